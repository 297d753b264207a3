| The YM2151 from inside the machine: timers A and B interrupting through
| MFP GPIP3 for 550 frames, and one note heard on whatever FM back end runs.
|
| Channel 0 plays KC $4A (A#4 on the OPM's scale) with operator M1 alone:
| CON 7, no feedback, MUL 1, TL 0, AR 31, sustained. On the OPL road that is
| F-number 647 in block 4: 647 x 49716 / 2^16 = 490.8 Hz.
| Timer A: CLKA 1000, 24 steps of 1/1136 frame. Timer B: CLKB 255, one step
| of 1/70 frame. Both interrupt; the handler counts each flag and clears it.
|
| Results:
|    0  V-DISP interrupts in the window (550)
|    1  timer A interrupts in it          2  timer B interrupts in it
|    3  status byte after both timers stopped and flags cleared
        .include "report.inc"
        .include "sound_frames.inc"
        .include "opm_note.inc"

        reset_vectors STACK_TOP, start

        .equ    COUNTS, CNT_VDISP
        .equ    CNT_A, COUNTS+4
        .equ    CNT_B, COUNTS+8
        .equ    SNAP, COUNTS+0x10

        .text
start:
        rom_init
        clr.l   CNT_A
        clr.l   CNT_B
        move.l  #irq_opm, (MFP_VECTORS+3)*4
        count_frames 0x48               | V-DISP and GPIP3 (the OPM)

| The voice of channel 0, keyed on.
        opm_note_m1

| The timers.
        opm     0x10, 0xFA              | CLKA 1000 = $3E8: bits 9-2 $FA
        opm     0x11, 0x00              |   bits 1-0 0
        opm     0x12, 0xFF              | CLKB 255
        opm     0x14, 0x3F              | clear flags, IRQ A and B, load A and B

        moveq   #2, d1
        bsr     wait_frames
        bsr     snapshot
        move.w  #550, d1
        bsr     wait_frames
        move.l  CNT_VDISP, d7
        sub.l   SNAP+0, d7
        result  0, d7
        move.l  CNT_A, d7
        sub.l   SNAP+4, d7
        result  1, d7
        move.l  CNT_B, d7
        sub.l   SNAP+8, d7
        result  2, d7

        opm     0x08, 0x00              | key off
        move.w  #0x2700, sr
        opm     0x14, 0x30              | timers stopped, flags cleared
        byte_result 3, OPM_DATA
        moveq   #10, d1
        move.w  #0x2000, sr
        bsr     wait_frames
        stop_frames
        rom_done

| Waits for d1 V-DISP interrupts.

snapshot:
        lea     COUNTS, a0
        lea     SNAP, a1
        move.l  (a0)+, (a1)+
        move.l  (a0)+, (a1)+
        move.l  (a0)+, (a1)+
        rts


| Counts the flags that are set and clears those, timers kept running.
irq_opm:
        move.l  d0, -(sp)
        move.b  OPM_DATA, d0
        btst    #0, d0
        beq.s   1f
        addq.l  #1, CNT_A
1:      btst    #1, d0
        beq.s   2f
        addq.l  #1, CNT_B
2:      andi.b  #3, d0                  | clears only the flags counted
        lsl.b   #4, d0
        ori.b   #0x0F, d0
        move.b  #0x14, OPM_ADDR
        move.b  d0, OPM_DATA
        move.l  (sp)+, d0
        rte
