| Every key the input script presses reaches the IOCS key matrix (KEY 0):
| each frame the 16 matrix bytes at $800 are or'ed into MATRIX_SEEN, and
| the buffer is emptied through _B_KEYSNS / _B_KEYINP, the scan code of
| each entry marked in BUFFER_SEEN (bit scan & 7 of byte scan >> 3).
| Results: 0-3 MATRIX_SEEN as four longs, 4-7 BUFFER_SEEN.
        .include "report.inc"
        .include "next_frame.inc"

        reset_vectors STACK_TOP, start

        .equ    KEY_MATRIX, 0x000800
        .equ    MATRIX_SEEN, 0x001400
        .equ    BUFFER_SEEN, 0x001410
        .equ    FRAMES, 260
        .equ    DRAIN_MAX, 70           | more than the buffer holds

        .text
start:
        rom_init
        lea     MATRIX_SEEN, a0
        moveq   #7, d0
1:      clr.l   (a0)+
        dbra    d0, 1b
        move.w  #FRAMES - 1, d6
frame:  next_frame
        lea     KEY_MATRIX, a0
        lea     MATRIX_SEEN, a1
        moveq   #15, d1
2:      move.b  (a0)+, d0
        or.b    d0, (a1)+
        dbra    d1, 2b
        moveq   #DRAIN_MAX - 1, d5
3:      moveq   #0x01, d0               | _B_KEYSNS
        trap    #15
        tst.l   d0
        beq.s   4f
        moveq   #0x00, d0               | _B_KEYINP
        trap    #15
        lsr.w   #8, d0
        andi.w  #0x7F, d0
        move.w  d0, d1
        lsr.w   #3, d1
        lea     BUFFER_SEEN, a1
        bset    d0, (a1, d1.w)          | bit d0 & 7 of the byte
        dbra    d5, 3b
4:      dbra    d6, frame
        result  0, MATRIX_SEEN
        result  1, MATRIX_SEEN + 4
        result  2, MATRIX_SEEN + 8
        result  3, MATRIX_SEEN + 12
        result  4, BUFFER_SEEN
        result  5, BUFFER_SEEN + 4
        result  6, BUFFER_SEEN + 8
        result  7, BUFFER_SEEN + 12
        rom_done
