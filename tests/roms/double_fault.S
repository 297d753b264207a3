| Halts over and over: the supervisor stack is odd, so the address error
| of the word read below faults again while its frame is stacked, the
| processor halts on the double fault and the machine resets into the same
| code, showing the same "MPU HALT" box each time. Main RAM outlives the
| resets: the long at $1000 counts the starts, and the HALTS+1st start
| switches the power off.
        .include "iplrom.inc"
        .include "io_map.inc"

        reset_vectors 0x00002001, start

        .equ    HALTS, 1000
        .equ    STARTS, 0x00001000
        .equ    ODD_ADDRESS, 0x00001001

        .text
start:
        addq.l  #1, STARTS
        cmpi.l  #HALTS, STARTS
        bhi.s   power_off
        move.w  ODD_ADDRESS, d0         | halts
power_off:
        move.b  #0, SYS_POWER_RESET     | restart the power-off count
        move.b  #0, SYS_POWER_OFF
        move.b  #0, SYS_POWER_OFF
1:      bra.s   1b
