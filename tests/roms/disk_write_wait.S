| Writes one sector to floppy drive 0 by the disk IOCS call $45, then runs
| on for ever: the run ends only from outside (a signal, the frame limit).
|   sector 2 of cylinder 0, head 0 (1024 bytes): "SIG!" repeated
| Results:
|    0  D0 after the write (0 for success)
        .include "report.inc"
        reset_vectors STACK_TOP, start

        .equ    WBUF, 0x021000

        .text
start:
        rom_init
        lea     WBUF, a0
        move.w  #255, d0
1:      move.l  #0x53494721, (a0)+      | "SIG!"
        dbra    d0, 1b
        moveq   #0x45, d0               | B_WRITE
        move.w  #0x9000, d1             | drive 0
        move.l  #0x03000002, d2         | 1024-byte sectors, C0 H0 R2
        move.l  #1024, d3
        lea     WBUF, a1
        trap    #15
        result  0, d0
2:      bra.s   2b
