| FM 4 with FMPCM8 and a stand-in PCM8 driver: a long _ADPCMOUT of three
| blocks ($FF00, $FF00 and 7816 bytes, mode $0403) is stopped by
| _ADPCMMOD(0) from the V-DISP interrupt ten frames after the call, while
| the call waits to start its second block. The stop ends the call: its
| TRAP returns and nothing sounds again.
|
| Results:
|    0  frames at the _ADPCMOUT        1  frames at the stop
|    2  frames when the call returned  3  _ADPCMSNS right after it
|    4  _ADPCMSNS 20 frames later
        .include "report.inc"
        .include "sound_frames.inc"

        reset_vectors STACK_TOP, start

        .equ    DMA_VECTOR, 0x60
        .equ    STOP_AT, CNT_VDISP+8    | V-DISP count at which the handler stops the sound
        .equ    DATA, 0x010000
        .equ    DATA_BYTES, 2*0xFF00+7816
        .equ    PCM8_ENTRY, 0x009000

        .text
start:
        rom_init
        clr.l   STOP_AT
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

        move.l  CNT_VDISP, d6
        result  0, d6
        addi.l  #10, d6
        move.l  d6, STOP_AT
        moveq   #0x60, d0
        lea     DATA, a1
        move.l  #0x0403, d1
        move.l  #DATA_BYTES, d2
        trap    #15
        result  2, CNT_VDISP
        moveq   #0x66, d0
        trap    #15
        result  3, d0
        moveq   #20, d1
        bsr     wait_frames
        moveq   #0x66, d0
        trap    #15
        result  4, d0
        stop_frames
        rom_done

irq_vdisp_stop:
        addq.l  #1, CNT_VDISP
        movem.l d0-d1, -(sp)
        move.l  CNT_VDISP, d0
        cmp.l   STOP_AT, d0
        bne.s   1f
        result  1, d0
        moveq   #0x67, d0
        moveq   #0, d1
        trap    #15
1:      movem.l (sp)+, d0-d1
        rte

iocs_rom:
        rte
