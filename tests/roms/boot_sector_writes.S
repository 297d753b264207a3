| Writes floppy drive 0's boot sector (C0 H0 R1) by the disk IOCS call $45
| again and again, as a virus would: every write asks the virus question.
| Results:
|    0  D0 after the last write (0 for success)
|    1  writes done
        .include "report.inc"
        reset_vectors STACK_TOP, start

        .equ    WBUF, 0x021000

        .text
start:
        rom_init
        lea     WBUF, a0
        move.w  #255, d0
1:      move.l  #0x56495221, (a0)+      | "VIR!"
        dbra    d0, 1b
        moveq   #0, d4
2:      moveq   #0x45, d0               | B_WRITE
        move.w  #0x9000, d1             | drive 0
        move.l  #0x03000001, d2         | 1024-byte sectors, C0 H0 R1
        move.l  #1024, d3
        lea     WBUF, a1
        trap    #15
        result  0, d0
        addq.l  #1, d4
        result  1, d4
        bra.s   2b
