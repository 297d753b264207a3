| Does nothing but halt: the supervisor stack is odd, so the address error
| of the word read below faults again while its frame is stacked; the
| processor halts on the double fault and the machine resets into the same
| code, for ever. Its run must still count frames and end.
        .include "iplrom.inc"

        reset_vectors 0x00002001, start

        .equ    ODD_ADDRESS, 0x00001001

        .text
start:
        move.w  ODD_ADDRESS, d0
1:      bra.s   1b
