| Starts MFP timer D at prescale /4 with its data register at its reset
| value 0 (a count of 256) and its interrupt enabled but masked, then
| loops. The timer's events must not keep the frame events from running.
        .include "iplrom.inc"
        .include "io_map.inc"

        reset_vectors 0x00002000, start

        .equ    IER_TIMER_D, 0x10
        .equ    TIMER_D_DIV4, 0x01

        .text
start:
        move.b  #IER_TIMER_D, IERB
        move.b  #TIMER_D_DIV4, TCDCR
1:      bra.s   1b
