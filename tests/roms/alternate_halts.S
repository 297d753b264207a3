| Halts over and over at two places by turns: the supervisor stack is odd,
| so the address error of a word read faults again while its frame is
| stacked, and the machine resets into the same code. Main RAM outlives the
| resets: the long at $1000 counts the starts, and odd and even starts halt
| at different instructions, so the "MPU HALT" boxes of the two PCs take turns.
        .include "iplrom.inc"

        reset_vectors 0x00002001, start

        .equ    STARTS, 0x00001000
        .equ    ODD_ADDRESS, 0x00001001

        .text
start:
        addq.l  #1, STARTS
        btst    #0, STARTS+3
        beq.s   even
        move.w  ODD_ADDRESS, d0         | halts on odd starts
even:
        move.w  ODD_ADDRESS, d1         | halts on even starts
1:      bra.s   1b
