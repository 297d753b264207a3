| FE-calls ($FExx) as a program meets them.
|   Every opcode $FE00-$FEFF runs once from RAM with A7 on a scratch area;
|   the line-F handler marks each one it sees in LINEF_MAP (a byte per low
|   byte).
|   Then a table of calls stores D0, D1 and the CCR, and $FEE0 runs in user
|   mode with an odd A7.
        .include "report.inc"

        .equ    LINEF_MAP, 0x001400     | 256 bytes
        .equ    SWEEP, 0x002000         | the opcode, then a jump back
        .equ    SCRATCH_SP, 0x003000    | A7 while an opcode of the sweep runs
        .equ    GUARD, 0x006FF0         | 32 bytes that $FEE0 must not change
        .equ    RAM_END, 0x400000       | 4 MB without "sram.ram"
        .equ    VEC_LINE_F, 11 * 4
        .equ    JMP_ABS_L, 0x4EF9

        reset_vectors STACK_TOP, start

| fe_reg N, call, d0, d1, d2, d3: the register form from X set; results
| N, N+1 := D0, D1, N+2 := the CCR.
        .macro  fe_reg slot:req, call:req, r0:req, r1=0, r2=0, r3=0
        move.l  #\r0, d0
        move.l  #\r1, d1
        move.l  #\r2, d2
        move.l  #\r3, d3
        move.w  #0x10, ccr
        .word   0xFE00 + \call
        move.w  sr, d7
        result  \slot, d0
        result  \slot + 1, d1
        andi.l  #0x1F, d7
        result  \slot + 2, d7
        .endm

| fe_stack N, call, l0, l1, l2, l3: the stack form on four longs at A7;
| results N, N+1 := (A7), (A7+4), N+2 := the CCR.
        .macro  fe_stack slot:req, call:req, l0:req, l1=0, l2=0, l3=0
        lea     -16(sp), sp
        move.l  #\l0, (sp)
        move.l  #\l1, 4(sp)
        move.l  #\l2, 8(sp)
        move.l  #\l3, 12(sp)
        move.w  #0x10, ccr
        .word   0xFE00 + \call
        move.w  sr, d7
        result  \slot, (sp)
        result  \slot + 1, 4(sp)
        andi.l  #0x1F, d7
        result  \slot + 2, d7
        lea     16(sp), sp
        .endm

        .text
start:
        rom_init
        move.l  #line_f, VEC_LINE_F
        lea     LINEF_MAP, a0
        move.w  #255, d0
1:      clr.b   (a0)+
        dbra    d0, 1b

        | The sweep.
        lea     SWEEP, a0
        move.w  #0xFE00, d6
sweep:  move.w  d6, (a0)
        move.w  #JMP_ABS_L, 2(a0)
        move.l  #sweep_back, 4(a0)
        moveq   #1, d0
        moveq   #1, d1
        moveq   #1, d2
        moveq   #1, d3
        movea.l sp, a3
        lea     SCRATCH_SP, sp
        jmp     (a0)
sweep_back:
        movea.l a3, sp
        addq.w  #1, d6
        cmpi.w  #0xFF00, d6
        bne.s   sweep

        | Exact operations: results 2-49.
        fe_reg   2, 0x00, 0x00010000, 0x00010000              | lmul: 0, C
        fe_reg   5, 0x01, 7, -2                               | ldiv: -3
        fe_reg   8, 0x09, 100, 7                              | idiv: 14, 2
        fe_reg  11, 0x1B, 0x41E65A0B, 0xC0000000              | dtol 3e9: $B2D05E00
        fe_reg  14, 0x2B, 0x3FF00000, 0, 0x40000000, 0        | dadd 1 + 2
        fe_reg  17, 0x2E, 0x3FF00000, 0, 0, 0                 | ddiv 1 / 0: inf, C Z
        fe_reg  20, 0x5E, 0, 0                                | fdiv 0 / 0: NaN
        fe_reg  23, 0x3C, 0x40100000, 0                       | dsqr 4: 2
        fe_reg  26, 0x35, 0xBFE00000, 0                       | dsgn -0.5: -1
        fe_stack 29, 0xE1, 0x80000000, 0xFFFFFFFF             | cldiv $80000000 / -1
        fe_stack 32, 0xED, 0x7FEFFFFF, 0xFFFFFFFF, 0x7FEFFFFF, 0xFFFFFFFF | cdadd max + max
        fe_stack 35, 0xF7, 0x3F800000, 0                      | cfmod 1 % 0: NaN, C Z
        fe_reg  38, 0x3A, 0xBFF00000, 0                       | dlog -1: kept, C Z
        fe_reg  41, 0x1E, 0x3FC00000                          | ftod 1.5
        fe_stack 44, 0xEB, 0x3FF00000, 0                      | cdtof 1.0
        fe_reg  47, 0x3B, 0xC08F4000, 0                       | dexp -1000: 0, C

        | Transcendental operations: results 50-88, compared with the host's libm.
        fe_reg  50, 0x36, 0x3FE00000, 0                       | dsin 0.5
        fe_reg  53, 0x37, 0x3FF00000, 0                       | dcos 1.0
        fe_reg  56, 0x38, 0x3FF00000, 0                       | dtan 1.0
        fe_reg  59, 0x39, 0x3FF00000, 0                       | datan 1.0
        fe_reg  62, 0x3A, 0x40000000, 0                       | dlog 2.0
        fe_reg  65, 0x3B, 0x3FF00000, 0                       | dexp 1.0
        fe_reg  68, 0x3F, 0x40000000, 0, 0x3FE00000, 0        | dpower 2 ^ 0.5
        fe_reg  71, 0x66, 0x3F000000                          | fsin 0.5
        fe_reg  74, 0x67, 0x3F800000                          | fcos 1.0
        fe_reg  77, 0x68, 0x3F800000                          | ftan 1.0
        fe_reg  80, 0x6A, 0x40000000                          | flog 2.0
        fe_reg  83, 0x6B, 0x3F800000                          | fexp 1.0
        fe_reg  86, 0x36, 0x4D6E2D8B, 0xE9CFE4A3              | dsin 1e65

        | $FEE0 in user mode with A7 odd: an address error, nothing written.
        lea     GUARD, a0
        moveq   #7, d0
2:      move.l  #0x5A5A5A5A, (a0)+
        dbra    d0, 2b
        catch   3f
        andi.w  #0xDFFF, sr
        lea     GUARD + 0x11, sp
        .word   0xFEE0
        trap    #0
3:      caught
        result  89, CAUGHT
        clr.l   d7
        move.w  CAUGHT_CODE, d7
        result  90, d7
        lea     GUARD, a0
        clr.l   d1
        moveq   #7, d0
4:      cmpi.l  #0x5A5A5A5A, (a0)+
        beq.s   5f
        addq.l  #1, d1
5:      dbra    d0, 4b
        result  91, d1                  | longs changed

        | $FEED with its second double beyond the end of RAM: a bus error
        | on the read of (A7+8), nothing written.
        move.l  #0x11111111, RAM_END - 8
        move.l  #0x22222222, RAM_END - 4
        catch   6f
        lea     RAM_END - 8, sp
        .word   0xFEED
6:      caught
        result  92, CAUGHT
        move.l  RAM_END - 8, d0
        sub.l   #0x11111111, d0
        move.l  RAM_END - 4, d1
        sub.l   #0x22222222, d1
        or.l    d1, d0
        result  93, d0                  | nonzero when a long changed
        rom_done

| Line F: result 0 counts every one, result 1 those whose stacked PC is not
| at an $FExx opcode; the sweep's opcodes are marked by their low byte; the
| program goes on after the opcode.
line_f:
        addq.l  #1, RESULTS
        movea.l 2(sp), a1
        cmpi.b  #0xFE, (a1)
        beq.s   1f
        addq.l  #1, RESULTS + 4
1:      cmpa.l  #SWEEP, a1
        bne.s   2f
        moveq   #0, d7
        move.b  1(a1), d7
        lea     LINEF_MAP, a2
        addq.b  #1, 0(a2, d7.w)
2:      addq.l  #2, 2(sp)
        rte
