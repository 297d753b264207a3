| A small program for the console debugger's script: a counting loop that
| calls a subroutine, writes its count to RAM, reads the MFP's GPIP and sets
| the CRTC's R20, over and over. Interrupts stay masked.
        .include "iplrom.inc"
        .include "io_map.inc"

        reset_vectors 0x00008000, start

        .equ    COUNT, 0x003000

        .text
start:
        moveq   #0, d0
        lea     COUNT, a0
loop:
        bsr.s   twice
        addq.l  #1, d0
        move.l  d0, (a0)
        move.b  GPIP, d1
        move.w  #0x0316, CRTC_R20
        bra.s   loop

twice:
        move.w  d0, d2
        add.w   d2, d2
        rts
