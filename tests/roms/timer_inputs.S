| Keeps changing what the host timer's tick depends on: the CRTC's R20
| (31 kHz bit) and the system port's display byte, for ever, with an
| arithmetic loop between the writes.
        .include "iplrom.inc"
        .include "io_map.inc"

        reset_vectors 0x00002000, start

        .text
start:
        moveq   #0, d1
1:      eori.w  #0x0010, d1
        move.w  d1, CRTC_R20
        move.b  d1, d2
        lsr.b   #3, d2
        move.b  d2, SYS_DISPLAY
        move.w  #200, d0
2:      dbra    d0, 2b
        bra.s   1b
