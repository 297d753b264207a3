| Disk IOCS calls with unit words that name no drive ($0xxx-$7xxx, $Axxx-$Fxxx)
| while FD0 holds a writable image and "hd0.hdf" is in the start folder: no
| call reaches either, and the drives named afterwards still answer.
        .include "report.inc"
        reset_vectors STACK_TOP, start

        .equ    BUF, 0x020000
        .equ    WBUF, 0x021000

| call N, call, unit, D2, D3: result N := D0, result N + 1 := D2 after the call.
        .macro  call slot:req, call:req, unit:req, pos:req, len:req
        moveq   #\call, d0
        move.w  #\unit, d1
        move.l  #\pos, d2
        move.l  #\len, d3
        movea.l #WBUF, a1
        trap    #15
        result  \slot, d0
        result  \slot + 1, d2
        .endm

        .text
start:
        rom_init
        lea     WBUF, a0
        move.w  #511, d0
1:      move.l  #0xA5A5A5A5, (a0)+
        dbra    d0, 1b
| Hard-disk rules below $8000.
        call    0, 0x45, 0x0000, 0x00010000, 256
        call    2, 0x45, 0x0000, 0, 1024
        call    4, 0x4D, 0x0000, 0, 0
        call    6, 0x4D, 0x0100, 4, 0
        call    8, 0x46, 0x0000, 0, 256
        call    10, 0x40, 0x7000, 0, 0
        call    12, 0x44, 0x0000, 0, 0
        call    14, 0x4E, 0x0000, 8, 0
        call    16, 0x4E, 0x0000, 0, 0
| Floppy rules from $A000.
        call    18, 0x45, 0xA000, 0x03000001, 1024
        call    20, 0x45, 0xF000, 0x03000002, 1024
        call    22, 0x46, 0xA000, 0x03000001, 1024
        call    24, 0x44, 0xA000, 0, 0
        call    26, 0x4E, 0xA000, 8, 0
        call    28, 0x4E, 0xB000, 2, 0
| The drives themselves.
        call    30, 0x4E, 0x9000, 8, 0
        call    32, 0x4E, 0x9000, 0, 0
        call    34, 0x46, 0x8000, 0, 256
        rom_done
