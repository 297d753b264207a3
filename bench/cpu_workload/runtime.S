| Runtime routines that gcc calls for -m68000 code: 32-bit multiply and
| divide. Calling convention: arguments on the stack,
| result in d0; d0, d1, a0 and a1 may be changed.

        .text

| uint32_t __mulsi3(uint32_t a, uint32_t b): the low 32 bits of a * b.
        .globl  __mulsi3
__mulsi3:
        move.w  4(sp), d0       | a.hi
        mulu.w  10(sp), d0      | a.hi * b.lo
        move.w  8(sp), d1       | b.hi
        mulu.w  6(sp), d1       | b.hi * a.lo
        add.w   d1, d0
        swap    d0
        clr.w   d0              | cross products << 16
        move.w  6(sp), d1
        mulu.w  10(sp), d1      | a.lo * b.lo
        add.l   d1, d0
        rts

| Unsigned 32-bit divide: d0 = dividend, d1 = divisor (not 0).
| Gives d0 = quotient, d1 = remainder; changes a0 and a1, keeps d2.
udivmod:
        move.l  d2, -(sp)
        cmp.l   #0xFFFF, d1
        bhi.s   2f
        | Divisor of 16 bits: two DIVU steps, high word first.
        move.l  d0, d2
        clr.w   d2
        swap    d2              | high word of the dividend
        divu.w  d1, d2          | d2 = r1:q1
        swap    d0
        move.w  d2, d0
        swap    d0              | d0 = q1:low word of the dividend
        move.w  d0, d2          | d2 = r1:low word
        divu.w  d1, d2          | d2 = r0:q0
        move.w  d2, d0          | d0 = q1:q0
        clr.w   d2
        swap    d2
        move.l  d2, d1
        move.l  (sp)+, d2
        rts
        | Divisor above 16 bits: the quotient fits in 16 bits. Estimate it
        | from both operands shifted until the divisor fits, then step it
        | down while quotient * divisor exceeds the dividend.
2:      move.l  d0, a0
        move.l  d1, a1
3:      lsr.l   #1, d1
        lsr.l   #1, d0
        cmp.l   #0xFFFF, d1
        bhi.s   3b
        divu.w  d1, d0
        and.l   #0xFFFF, d0     | estimate, never below the quotient
4:      move.l  a1, d1
        move.l  d1, d2
        swap    d2
        mulu.w  d0, d2          | q * divisor.hi
        mulu.w  d0, d1          | q * divisor.lo
        swap    d2
        tst.w   d2
        bne.s   5f              | product of 32 bits or more
        clr.w   d2
        add.l   d2, d1
        bcs.s   5f
        move.l  a0, d2
        sub.l   d1, d2          | remainder
        bcs.s   5f              | product above the dividend
        move.l  d2, d1
        move.l  (sp)+, d2
        rts
5:      subq.l  #1, d0
        bra.s   4b

| uint32_t __udivsi3(uint32_t a, uint32_t b)
        .globl  __udivsi3
__udivsi3:
        move.l  4(sp), d0
        move.l  8(sp), d1
        bsr.s   udivmod
        rts

| uint32_t __umodsi3(uint32_t a, uint32_t b)
        .globl  __umodsi3
__umodsi3:
        move.l  4(sp), d0
        move.l  8(sp), d1
        bsr.s   udivmod
        move.l  d1, d0
        rts

| int32_t __divsi3(int32_t a, int32_t b): quotient rounded toward zero.
        .globl  __divsi3
__divsi3:
        move.l  d2, -(sp)
        move.l  8(sp), d0
        move.l  12(sp), d1
        move.l  d0, d2
        eor.l   d1, d2          | bit 31: sign of the quotient
        tst.l   d0
        bpl.s   1f
        neg.l   d0
1:      tst.l   d1
        bpl.s   2f
        neg.l   d1
2:      bsr     udivmod
        tst.l   d2
        bpl.s   3f
        neg.l   d0
3:      move.l  (sp)+, d2
        rts

| int32_t __modsi3(int32_t a, int32_t b): remainder with the dividend's sign.
        .globl  __modsi3
__modsi3:
        move.l  d2, -(sp)
        move.l  8(sp), d0
        move.l  12(sp), d1
        move.l  d0, d2          | bit 31: sign of the remainder
        bpl.s   1f
        neg.l   d0
1:      tst.l   d1
        bpl.s   2f
        neg.l   d1
2:      bsr     udivmod
        move.l  d1, d0
        tst.l   d2
        bpl.s   3f
        neg.l   d0
3:      move.l  (sp)+, d2
        rts
