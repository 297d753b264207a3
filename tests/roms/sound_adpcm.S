| The ADPCM voice on the WAV road: DMA channel 3 hands 8000 bytes to the
| MSM6258 at 15600 Hz; the player decodes them, plays them and completes the
| transfer with channel 3's interrupt when their time has run out.
|
| The data repeat "44 44 44 44 CC CC CC CC": eight codes up, eight down,
| a period of 16 samples: 15600 / 16 = 975 Hz. 8000 bytes give a WAV image
| of 22752 bytes at 22050 Hz: 1032 ms, and the transfer completes 1038 ms
| after the start.
|
| Results:
|    0  V-DISP count at the start     1  status right after the start
|    2  frames from the start to channel 3's interrupt
|    3  status after it               4  channel 3's CSR after it
        .include "report.inc"
        .include "sound_frames.inc"

        reset_vectors STACK_TOP, start

        .equ    DMA_VECTOR, 0x60
        .equ    DATA, 0x010000
        .equ    DATA_BYTES, 8000

        .text
start:
        rom_init
        catch_dma_done DMA_VECTOR
        count_frames 0x40

        lea     DATA, a0
        move.w  #DATA_BYTES/8-1, d0
1:      move.l  #0x44444444, (a0)+
        move.l  #0xCCCCCCCC, (a0)+
        dbra    d0, 1b

        move.b  #0x08, PPI_C            | 15600 Hz
        move.b  #0x00, OCR3             | memory to device, bytes, no chain
        move.l  #DATA, MAR3
        move.w  #DATA_BYTES, MTC3
        move.b  #DMA_VECTOR, NIV3
        move.b  #0x88, CCR3             | STR and INT

        moveq   #1, d1
        bsr     wait_frames
        move.l  CNT_VDISP, d6
        result  0, d6
        move.b  #0x02, ADPCM_CMD        | play
        byte_result 1, ADPCM_CMD
2:      tst.l   DONE_AT
        beq.s   2b
        move.l  DONE_AT, d7
        sub.l   d6, d7
        result  2, d7
        byte_result 3, ADPCM_CMD
        byte_result 4, CSR3
        moveq   #10, d1
        bsr     wait_frames
        stop_frames
        rom_done
