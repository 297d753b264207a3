| Compute-bound work for the machine benchmark: passes over a 4 KB table in
| RAM (long loads and stores, add, eor, rotate, compare and branch, a word
| multiply now and then, a subroutine call per block of 16 longs). It never
| powers off.
|
| Results:
|    0  passes done                         1  running checksum
        .include "report.inc"

        reset_vectors STACK_TOP, start

        .equ    TABLE, 0x010000
        .equ    TABLE_LONGS, 1024

        .text
start:
        rom_init
        lea     TABLE, a0
        move.w  #TABLE_LONGS-1, d1
        move.l  #0x9E3779B9, d0
1:      move.l  d0, (a0)+
        rol.l   #5, d0
        addi.l  #0x7F4A7C15, d0
        dbra    d1, 1b
        moveq   #0, d2                  | checksum

pass:
        lea     TABLE, a0
        move.w  #TABLE_LONGS/16-1, d1
block:
        moveq   #15, d3
2:      move.l  (a0), d0
        add.l   d0, d2
        eor.l   d2, d0
        rol.l   #3, d0
        cmp.l   d2, d0
        bcs.s   3f
        addq.l  #1, d0
3:      move.l  d0, (a0)+
        dbra    d3, 2b
        bsr.s   mix
        dbra    d1, block
        addq.l  #1, RESULTS
        move.l  d2, RESULTS+4
        bra.s   pass

| Folds the last long of the block into the checksum with a multiply.
mix:
        move.w  -4(a0), d4
        mulu.w  d2, d4
        swap    d4
        eor.l   d4, d2
        tst.w   d4
        bpl.s   4f
        neg.l   d2
4:      rts
