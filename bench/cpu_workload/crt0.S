| Start code of the processor benchmark's guest program. It runs in
| supervisor mode from the load address: sets the stack, points every
| exception vector at a handler that flags the fault and spins, installs the
| TRAP #0 handler, clears .bss and the result words, then calls main forever.

        .section .text.start, "ax"
        .globl  _start
_start:
        move.l  #__stack_top, sp
        lea     0x08.w, a0
        move.w  #254-1, d0
0:      move.l  #unexpected, (a0)+
        dbra    d0, 0b
        move.l  #trap0_handler, 0x80.w
        lea     __bss_start, a0
        lea     __bss_end, a1
1:      cmp.l   a1, a0
        bcc.s   2f
        clr.l   (a0)+
        bra.s   1b
2:      clr.l   bench_result
        clr.l   bench_result+4
        clr.l   bench_result+8
3:      jsr     main
        bra.s   3b

| TRAP #0: d0 := (d0 rotated left by 5) + d1.
trap0_handler:
        rol.l   #5, d0
        add.l   d1, d0
        rte

| Any other exception: a fault of the processor under test.
unexpected:
        move.l  #1, bench_result+8
1:      bra.s   1b

        .text
| uint32_t wl_trap(uint32_t a, uint32_t b)
        .globl  wl_trap
wl_trap:
        move.l  4(sp), d0
        move.l  8(sp), d1
        trap    #0
        rts
