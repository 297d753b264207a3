| Smallest IPL ROM: the stack at $2000 and a loop on itself.
        .include "iplrom.inc"

        reset_vectors 0x00002000, start

        .text
start:
        bra.s   start
