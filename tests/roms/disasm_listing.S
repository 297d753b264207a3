| Code for the debugger's golden listing: one of each listing layout, with
| absolute and immediate operands that tests/debugger/data/comment.lst names.
        .include "iplrom.inc"

        reset_vectors 0x00002000, start

        .text
start:
        nop
        move.w  #0x1234,d0
        move.l  0x00e88001,0x00ed0010   | two long extension words, two comments
        move.b  0x0800:w,d1
        move.w  0xf000:w,d2             | $FFF000 once sign-extended
        move.l  #0x00e88001,d0
        lea     0x00ff0100,a0
        moveq   #0x21,d0
        trap    #15
        moveq   #0x21,d1                | not D0: no call name
        trap    #15
        bsr.w   sub
loop:
        bra.s   loop
        dbf     d0,loop
        movem.l d0-d2/a5-a6,-(a7)
        movem.l (a7)+,d0-d2/a5-a6
        seq     d3
        abcd    d1,d0
        exg     d1,a2
        lsl.w   #8,d0
        roxr.l  d1,d2
        asl.w   (a0)
        btst    #3,(a0)
        bset    d1,d2
        andi.w  #0xf8ff,sr
        ori.b   #0x01,ccr
        movep.w d0,16(a0)
        move.w  12(a0,d1.l),-4(a1)
        move.w  8(pc,d0.w),d1
        stop    #0x2700
        .word   0x4afc                  | ILLEGAL
        .word   0xff09                  | DOS call
        .word   0xfe12                  | FLOAT call
sub:
        link    a6,#-16
        unlk    a6
        rts
