| FM 4 with FMPCM8 and a stand-in PCM8 driver: a long _ADPCMOUT of three
| blocks ($FF00, $FF00 and 7816 bytes, mode $0403) is stopped by
| _ADPCMMOD(0) from the V-DISP interrupt ten frames after the call, while
| the call waits to start its second block. The stop ends the call: its
| TRAP returns and nothing sounds again. Then the same, but the handler
| plays a short sound of its own (one block of 7816 bytes, 55 frames)
| right after the stop: the long call returns and the short sound plays.
|
| Results:
|    0  frames at the _ADPCMOUT        1  frames at the stop
|    2  frames when the call returned  3  _ADPCMSNS right after it
|    4  _ADPCMSNS 20 frames later
|    5-8  the same for the second call (with the handler's sound)
|    9  frames at channel 3's interrupt, the end of the handler's sound
|   10  _ADPCMSNS then
        .include "report.inc"
        .include "sound_frames.inc"

        reset_vectors STACK_TOP, start

        .equ    DMA_VECTOR, 0x60
        .equ    STOP_AT, CNT_VDISP+8    | V-DISP count at which the handler stops the sound
        .equ    PLAY_AFTER, CNT_VDISP+12 | nonzero: the handler plays its own sound after the stop
        .equ    STOPPED_AT, CNT_VDISP+16 | V-DISP count when the handler stopped it
        .equ    SHORT_BYTES, 7816
        .equ    DATA, 0x010000
        .equ    DATA_BYTES, 2*0xFF00+7816
        .equ    PCM8_ENTRY, 0x009000

        .text
start:
        rom_init
        clr.l   STOP_AT
        clr.l   PLAY_AFTER
        clr.l   STOPPED_AT
        catch_dma_done DMA_VECTOR
        move.b  #DMA_VECTOR, NIV3
        move.b  #DMA_VECTOR, EIV3
        move.l  #iocs_rom, 47*4         | the ROM's part of _ADPCMMOD
        count_frames 0x40
        move.l  #irq_vdisp_stop, (MFP_VECTORS+6)*4

        lea     DATA, a0
        move.l  #DATA_BYTES/8-1, d0
1:      move.l  #0x33333333, (a0)+
        move.l  #0xBBBBBBBB, (a0)+
        subq.l  #1, d0
        bpl.s   1b

        move.l  #0x50434D38, PCM8_ENTRY-8
        move.w  #0x4E73, PCM8_ENTRY     | rte
        move.l  #PCM8_ENTRY, 0x88
        move.l  #0x0091, d0             | PCM8 GetMode: the driver is found
        trap    #2
        moveq   #2, d1
        bsr     wait_frames

        lea     RESULTS, a2
        bsr     long_out_stopped
        moveq   #20, d1
        bsr     wait_frames
        moveq   #0x66, d0
        trap    #15
        move.l  d0, (a2)+

        st      PLAY_AFTER
        clr.l   DONE_AT
        bsr     long_out_stopped
2:      tst.l   DONE_AT
        beq.s   2b
        result  9, DONE_AT
        moveq   #0x66, d0
        trap    #15
        result  10, d0
        moveq   #20, d1
        bsr     wait_frames
        stop_frames
        rom_done

| The long _ADPCMOUT, stopped ten frames on: its frames, the frames at the
| stop and at the return, and _ADPCMSNS then, stored from a2 on.
long_out_stopped:
        move.l  CNT_VDISP, d6
        move.l  d6, (a2)+
        addi.l  #10, d6
        move.l  d6, STOP_AT
        moveq   #0x60, d0
        lea     DATA, a1
        move.l  #0x0403, d1
        move.l  #DATA_BYTES, d2
        trap    #15
        move.l  STOPPED_AT, (a2)+
        move.l  CNT_VDISP, (a2)+
        moveq   #0x66, d0
        trap    #15
        move.l  d0, (a2)+
        rts

irq_vdisp_stop:
        addq.l  #1, CNT_VDISP
        movem.l d0-d2/a1, -(sp)
        move.l  CNT_VDISP, d0
        cmp.l   STOP_AT, d0
        bne.s   1f
        move.l  d0, STOPPED_AT
        moveq   #0x67, d0
        moveq   #0, d1
        trap    #15
        tst.l   PLAY_AFTER
        beq.s   1f
        moveq   #0x60, d0
        lea     DATA, a1
        move.l  #0x0403, d1
        move.l  #SHORT_BYTES, d2
        trap    #15
1:      movem.l (sp)+, d0-d2/a1
        rte

iocs_rom:
        rte
