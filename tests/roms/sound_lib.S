| FM 4 with FMPCM8: our sound library plays an OPM note, an _ADPCMOUT block,
| two PCM8 voices and an _ADPCMLOT link table, one after another.
|
| Channel 0 plays KC $4A with M1 alone (CON 7, MUL 1, TL 0, AR 31): 491.7 Hz
| for 110 frames, then keyed off (RR 15).
| A stand-in PCM8 driver: "PCM8" 8 bytes before the TRAP #2 entry. The first
| TRAP #2 call finds it, and the IOCS ADPCM calls go to the library too.
| _ADPCMOUT, mode $0403 (15625 Hz, both sides): 7816 bytes repeating
| "33 33 33 33 BB BB BB BB", eight codes up, eight down: a triangle of 16
| samples, 976.6 Hz, for 2 x 7816 / 15625 s = 55.0 frames; channel 3's
| interrupt ends it.
| PCM8 channel 0 (left, 15.6 kHz) and channel 1 (right, 7.8 kHz) of the same
| data: 976.6 Hz and 488.3 Hz.
|
| Results:
|    0  frames at the _ADPCMOUT        1  _ADPCMSNS right after it
|    2  frames from it to channel 3's interrupt
|    3  _ADPCMSNS after the interrupt  4  PCM8 mode of channel 1 (GetMode)
|    5  frames at the PCM8 start       6  PCM8 GetRest of channel 0 then
|    7  PCM8 GetRest of channel 0 ten frames later
|    8  frames at the _ADPCMLOT        9  _ADPCMSNS right after it
|   10  frames from it to channel 3's interrupt
|   11  _ADPCMSNS after the interrupt
|
| _ADPCMLOT, mode $0403: a link table of two entries of 3904 bytes each of
| the same data, 2 x 7808 / 15625 s = 55.0 frames.
        .include "report.inc"
        .include "sound_frames.inc"
        .include "opm_note.inc"

        reset_vectors STACK_TOP, start

        .equ    DMA_VECTOR, 0x60
        .equ    DATA, 0x010000
        .equ    DATA_BYTES, 7816
        .equ    PCM8_ENTRY, 0x009000
        .equ    LINK_TABLE, 0x00A000
        .equ    LINK_BYTES, 3904

        .text
start:
        rom_init
        catch_dma_done DMA_VECTOR
        move.b  #DMA_VECTOR, NIV3
        count_frames 0x40

        lea     DATA, a0
        move.w  #DATA_BYTES/8, d0
1:      move.l  #0x33333333, (a0)+
        move.l  #0xBBBBBBBB, (a0)+
        dbra    d0, 1b

        move.l  #0x50434D38, PCM8_ENTRY-8
        move.w  #0x4E73, PCM8_ENTRY     | rte
        move.l  #PCM8_ENTRY, 0x88

| The note.
        opm_note_m1
        move.w  #110, d1
        bsr     wait_frames
        opm     0x08, 0x00
        moveq   #5, d1
        bsr     wait_frames

| PCM8 found; channel 1's mode set and read back.
        move.l  #0x0071, d0
        move.l  #0x080202, d1
        trap    #2
        move.l  #0x0091, d0
        trap    #2
        result  4, d0

| _ADPCMOUT.
        move.l  CNT_VDISP, d6
        result  0, d6
        moveq   #0x60, d0
        lea     DATA, a1
        move.l  #0x0403, d1
        move.l  #DATA_BYTES, d2
        trap    #15
        moveq   #0x66, d0
        trap    #15
        result  1, d0
2:      tst.l   DONE_AT
        beq.s   2b
        move.l  DONE_AT, d7
        sub.l   d6, d7
        result  2, d7
        moveq   #0x66, d0
        trap    #15
        result  3, d0
        moveq   #5, d1
        bsr     wait_frames

| Two PCM8 voices.
        move.l  CNT_VDISP, d6
        result  5, d6
        moveq   #0x00, d0
        lea     DATA, a1
        move.l  #0x080401, d1
        move.l  #DATA_BYTES, d2
        trap    #2
        moveq   #0x01, d0
        lea     DATA, a1
        move.l  #-1, d1
        move.l  #DATA_BYTES/2, d2
        trap    #2
        move.l  #0x0080, d0
        trap    #2
        result  6, d0
        moveq   #10, d1
        bsr     wait_frames
        move.l  #0x0080, d0
        trap    #2
        result  7, d0
        moveq   #60, d1
        bsr     wait_frames

| _ADPCMLOT.
        lea     LINK_TABLE, a0
        move.l  #DATA, (a0)+
        move.w  #LINK_BYTES, (a0)+
        move.l  #LINK_TABLE+10, (a0)+
        move.l  #DATA, (a0)+
        move.w  #LINK_BYTES, (a0)+
        clr.l   (a0)+
        clr.l   DONE_AT
        move.l  CNT_VDISP, d6
        result  8, d6
        moveq   #0x64, d0
        lea     LINK_TABLE, a1
        move.l  #0x0403, d1
        trap    #15
        moveq   #0x66, d0
        trap    #15
        result  9, d0
4:      tst.l   DONE_AT
        beq.s   4b
        move.l  DONE_AT, d7
        sub.l   d6, d7
        result  10, d7
        moveq   #0x66, d0
        trap    #15
        result  11, d0
        moveq   #30, d1
        bsr     wait_frames
        stop_frames
        rom_done
