| One note on the left output alone: the note of the sound ROMs with only
| the left bit of register $20 set, held for 300 frames, then keyed off
| and left to fall silent.
|
| Results:
|    0  V-DISP interrupts while the note was held (300)
        .include "report.inc"
        .include "sound_frames.inc"
        .include "opm_note.inc"

        reset_vectors STACK_TOP, start

        .text
start:
        rom_init
        count_frames 0x40
        opm_note_m1 0x40
        move.w  #300, d1
        bsr     wait_frames
        move.l  CNT_VDISP, d7
        result  0, d7
        opm     0x08, 0x00              | key off
        move.w  #100, d1
        bsr     wait_frames
        stop_frames
        rom_done
