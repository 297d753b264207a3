| The MIDI board: a flute plays note $45 (A4, 440 Hz) for 30 frames through
| the host's MIDI output, and the board's timer interrupts once.
|
| Results:
|    0  V-DISP count at the note on     1  V-DISP count at the note off
|    2  frames from the timer's start to its interrupt (R84 = 2250: one frame)
        .include "report.inc"
        .include "sound_frames.inc"

        reset_vectors STACK_TOP, start

        .equ    MIDI_R01, 0xEAFA03      | group select
        .equ    MIDI_R05, 0xEAFA0B      | group 0
        .equ    MIDI_R06, 0xEAFA0D      | group 0
        .equ    MIDI_R56, 0xEAFA0D      | group 5: transmit data
        .equ    MIDI_R84, 0xEAFA09      | group 8
        .equ    MIDI_R85, 0xEAFA0B      | group 8
        .equ    LEVEL4_VECTOR, 0x8E     | the MIDI board's level-4 vector

        .equ    TIMER_AT, CNT_VDISP+4

| midi byte: one byte through the transmit register (group 5 selected).
        .macro  midi byte:req
        move.b  #\byte, MIDI_R56
        .endm

        .text
start:
        rom_init
        clr.l   TIMER_AT
        move.l  #irq_timer, LEVEL4_VECTOR*4
        count_frames 0x40

        move.b  #5, MIDI_R01
        midi    0xC0                    | program change: flute
        midi    73
        moveq   #2, d1
        bsr     wait_frames
        move.b  #5, MIDI_R01
        midi    0x90                    | note on: $45, velocity 100
        midi    0x45
        midi    0x64
        result  0, CNT_VDISP
        moveq   #30, d1
        bsr     wait_frames
        midi    0x45                    | running status: velocity 0 is a note off
        midi    0x00
        result  1, CNT_VDISP

| The timer: 2250 steps, one frame.
        move.b  #8, MIDI_R01
        move.b  #0xCA, MIDI_R84         | 2250 = $8CA
        move.b  #0x08, MIDI_R85
        clr.b   MIDI_R01
        move.b  #0x80, MIDI_R05
        move.l  CNT_VDISP, d6
        move.b  #0x80, MIDI_R06         | starts it
1:      tst.l   TIMER_AT
        beq.s   1b
        move.l  TIMER_AT, d7
        sub.l   d6, d7
        result  2, d7

        moveq   #40, d1
        bsr     wait_frames
        stop_frames
        rom_done



irq_timer:
        move.l  CNT_VDISP, TIMER_AT
        rte
