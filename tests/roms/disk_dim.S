| Disk IOCS calls on converted ".DIM" images: FD0 a type-0 image of 154
| tracks, FD1 one whose ".DIM" cannot be written. Run twice: the first read
| of cylinder 80, head 1 finds nothing, the second finds what the first run
| wrote there.
        .include "report.inc"
        reset_vectors STACK_TOP, start

        .equ    BUF, 0x020000
        .equ    WBUF, 0x021000

| call N, call, unit, D2, D3: result N := D0, result N + 1 := D2 after the call.
        .macro  call slot:req, call:req, unit:req, pos:req, len:req, buf:req
        moveq   #\call, d0
        move.w  #\unit, d1
        move.l  #\pos, d2
        move.l  #\len, d3
        movea.l #\buf, a1
        trap    #15
        result  \slot, d0
        result  \slot + 1, d2
        .endm

        .text
start:
        rom_init
        lea     WBUF, a0
        move.w  #255, d0
1:      move.l  #0xA5A5A5A5, (a0)+
        dbra    d0, 1b
        call    0, 0x46, 0x9000, 0x03500101, 1024, BUF
        result  2, BUF
        result  3, BUF + 1020
        call    4, 0x45, 0x9000, 0x03500101, 1024, WBUF
        call    6, 0x45, 0x9100, 0x03000002, 1024, WBUF
        call    8, 0x4E, 0x9100, 0, 0, BUF
        call    10, 0x4E, 0x9000, 0, 0, BUF
        rom_done
