| The machine's reset in the middle of a mouse packet and of register
| writes on both SCC channels. The first start leaves channel B two bytes
| into a packet with WR5 selected and its value still to come, and channel A
| with register 15 selected, then halts on a double fault, which resets the
| machine. The second start checks that the reset put the SCC back in step.
| Results: 0 channel A's RR0 ($24 while its pointer is 0), 1 level-5
| interrupts after one data read (1: the read was a packet's status byte),
| 2 level-5 interrupts after writing 2 to channel B's command port (0: it
| selected a register; it was not WR5's RTS).
        .include "report.inc"
        .include "next_frame.inc"

        reset_vectors STACK_TOP, start

        .equ    STARTS, 0x001800        | past the result area: outlives the reset
        .equ    INTERRUPTS, 0x001804
        .equ    ODD_ADDRESS, 0x001001
        .equ    ODD_STACK, 0x002001

        .text
start:
        addq.l  #1, STARTS
        cmpi.l  #1, STARTS
        bne.s   checks
        move.b  #5, SCC_B_COMMAND       | WR5
        move.b  #2, SCC_B_COMMAND       | RTS: a packet
        tst.b   SCC_B_DATA              | its status byte
        tst.b   SCC_B_DATA              | its X byte
        move.b  #5, SCC_B_COMMAND       | WR5 again, its value to come
        move.b  #15, SCC_A_COMMAND      | channel A register 15, its value to come
        movea.l #ODD_STACK, sp          | the address error below cannot be stacked:
        move.w  ODD_ADDRESS, d0         | a double fault, the halt and the reset
1:      bra.s   1b

checks:
        rom_init
        move.l  #level5, VEC_LEVEL5
        byte_result 0, SCC_A_COMMAND
        clr.l   INTERRUPTS
        tst.b   SCC_B_DATA
        bsr.s   wait_interrupts
        result  1, INTERRUPTS
        clr.l   INTERRUPTS
        move.b  #2, SCC_B_COMMAND
        bsr.s   wait_interrupts
        result  2, INTERRUPTS
        rom_done

| Two frames with the interrupts on.
wait_interrupts:
        move.w  #0x2000, sr
        next_frame
        next_frame
        move.w  #0x2700, sr
        rts

level5:
        addq.l  #1, INTERRUPTS
        rte
