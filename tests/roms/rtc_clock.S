| RP5C15 clock from inside the machine: the digits of the host time the
| test injects, the two banks, the addresses around the registers, the
| second pulse on MFP channel 0, and the refresh by reading the 1-second
| register twice.
|
| The test starts the host clock at 2026-12-25 (Friday) 23:47:26 and moves
| it one second on at each phase the ROM announces in PHASE: to :27 at 1,
| :28 at 2, :29 at 3.
|
| Results:
|  0-12  the digits $E8A001-$E8A019 in bank 0 after a mode register write
|    13  $E8A001 in bank 1 after writing 5 there
|    14  $E8A01B in bank 1 (mode 9)           15  $E8A001 back in bank 0
|    16  $E8A01B in bank 0 (mode 8)
|    17  byte $E8A021                         18  byte read $E8A000: f(2, $E8A000)
|   second pulses on (reset register 0), time moved once:
|    19  channel 0 interrupts                 20  GPIP bit 0 at the interrupt
|    21  GPIP bit 0 read again                22  1-second digit
|   second pulses off (reset register 8), time moved again:
|    23  channel 0 interrupts in all          24  1-second digit
|   refreshes over, time moved again:
|    25  1-second digit read once             26  read again at once
        .include "report.inc"

        reset_vectors STACK_TOP, start

        .equ    RTC, 0xE8A000
        .equ    RTC_MODE, RTC+0x1B
        .equ    RTC_RESET, RTC+0x1F

        .equ    PHASE, 0x001400
        .equ    CNT_VDISP, 0x001404
        .equ    CNT_RTC, 0x001408
        .equ    RTC_GPIP, 0x00140C      | GPIP bit 0 at the first interrupt, then read again

        .text
start:
        rom_init
        clr.l   PHASE
        clr.l   CNT_VDISP
        clr.l   CNT_RTC
        move.l  #-1, RTC_GPIP
        move.l  #irq_rtc, (MFP_VECTORS+0)*4
        move.l  #irq_vdisp, (MFP_VECTORS+6)*4
        clr.b   IERA
        clr.b   IMRA
        move.b  #MFP_VECTORS, VR
        move.b  #0x10, AER
        move.b  #0x41, IMRB             | V-DISP, RTC alarm
        move.b  #0x41, IERB
        move.b  #0x08, RTC_RESET        | no second pulses yet
        move.w  #0x2000, sr

        move.b  #0x08, RTC_MODE         | bank 0: a refresh from the host
        lea     RTC+1, a0
        lea     RESULTS, a1
        moveq   #12, d1
1:      moveq   #0, d0
        move.b  (a0), d0
        move.l  d0, (a1)+
        addq.l  #2, a0
        dbra    d1, 1b

        move.b  #0x09, RTC_MODE         | bank 1
        move.b  #5, RTC+1
        byte_result 13, RTC+1
        byte_result 14, RTC_MODE
        move.b  #0x08, RTC_MODE
        byte_result 15, RTC+1
        byte_result 16, RTC_MODE
        byte_result 17, RTC+0x21
        probe   18, move.b, RTC, d0

| Second pulses: the next refresh that sees the time moved raises channel 0.
        move.b  #0x00, RTC_RESET
        move.l  #1, PHASE
        move.w  #99, d1
2:      moveq   #1, d0
        bsr     wait_frames
        tst.l   CNT_RTC
        dbne    d1, 2b
        moveq   #10, d0
        bsr     wait_frames
        result  19, CNT_RTC
        moveq   #0, d0
        move.b  RTC_GPIP, d0
        result  20, d0
        move.b  RTC_GPIP+1, d0
        result  21, d0
        tst.b   RTC+3                   | not a second read in a row
        byte_result 22, RTC+1

        move.b  #0x08, RTC_RESET
        move.l  #2, PHASE
        moveq   #20, d0
        bsr     wait_frames
        result  23, CNT_RTC
        tst.b   RTC+3
        byte_result 24, RTC+1

| Once the hold-off has run out (at most 70 ticks, some 77 frames), only
| a second read of the 1-second register in a row refreshes.
        move.l  #150, d0
        bsr     wait_frames
        move.l  #3, PHASE
        moveq   #2, d0
        bsr     wait_frames
        tst.b   RTC+3
        byte_result 25, RTC+1
        byte_result 26, RTC+1

        move.w  #0x2700, sr
        clr.b   IERB
        clr.b   IMRB
        clr.b   AER
        rom_done

| Waits for d0 V-DISP interrupts.
wait_frames:
        add.l   CNT_VDISP, d0
3:      cmp.l   CNT_VDISP, d0
        bhi.s   3b
        rts

irq_vdisp:
        addq.l  #1, CNT_VDISP
        rte

irq_rtc:
        tst.l   CNT_RTC
        bne.s   4f
        move.l  d0, -(sp)
        move.b  GPIP, d0
        andi.b  #1, d0
        move.b  d0, RTC_GPIP
        move.b  GPIP, d0
        andi.b  #1, d0
        move.b  d0, RTC_GPIP+1
        move.l  (sp)+, d0
4:      addq.l  #1, CNT_RTC
        rte
