| Ten-frame IPL ROM: counts ten frames by the V-DISP bit, leaves a marker and
| the count in RAM, then switches the power off.
        .include "iplrom.inc"
        .include "io_map.inc"

        reset_vectors 0x00002000, start

        .text
start:
        move.l  #0x5A4F4C4D, 0x1000     | "ZOLM"
        clr.l   0x1004
        moveq   #9, d1
frame:
1:      btst    #4, GPIP                | wait for the display to end
        bne.s   1b
2:      btst    #4, GPIP                | and to start again
        beq.s   2b
        addq.l  #1, 0x1004
        dbra    d1, frame
        move.b  #0, SYS_POWER_RESET   | restart the power-off count
        move.b  #0, SYS_POWER_OFF
        move.b  #0, SYS_POWER_OFF
3:      bra.s   3b
