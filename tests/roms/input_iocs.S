| Input through the keyboard IOCS calls served on the host (KEY 0):
| _B_KEYINP waits for an entry; then _B_KEYSNS finds the buffer empty and
| _B_SFTSNS reads the shift state. Results: 0 _B_KEYINP, 1 _B_KEYSNS,
| 2 _B_SFTSNS (low word).
        .include "report.inc"

        reset_vectors STACK_TOP, start

        .text
start:
        rom_init
        moveq   #0x00, d0               | _B_KEYINP
        trap    #15
        result  0, d0
        moveq   #0x01, d0               | _B_KEYSNS
        trap    #15
        result  1, d0
        moveq   #0x02, d0               | _B_SFTSNS
        trap    #15
        andi.l  #0xFFFF, d0
        result  2, d0
        rom_done
