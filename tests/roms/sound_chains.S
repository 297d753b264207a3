| Chains that never end, handed to the sound devices: a PCM8 link table
| (TRAP #2, D0 = $20) whose one entry has length 0 and links to itself, the
| same table to _ADPCMLOT, and to DMA channel 3 started by hand for the
| MSM6258. The machine goes on and the ROM ends within 30 frames.
|
| With FM 4 and FMPCM8 the PCM8 voice ends at once and channel 3 stops with
| a count error; on the WAV road (FM 0) the chain is given up: nothing is
| played and channel 3 raises no interrupt.
|
| Results:
|    0  D0 of the PCM8 link-table call  1  PCM8 GetRest of channel 0 then
|    2  PCM8 GetRest two frames later   3  _ADPCMSNS two frames after _ADPCMLOT
|    4  channel 3's CSR, 5 its CER, after the start by hand
|    6  vector of channel 3's last interrupt (0 none)
|    7  the ADPCM status then
        .include "report.inc"
        .include "sound_frames.inc"

        reset_vectors STACK_TOP, start

        .equ    VEC_NORMAL, 0x60
        .equ    VEC_ERROR, 0x61
        .equ    LAST_VEC, 0x001500
        .equ    DATA, 0x010000
        .equ    TABLE, 0x011000
        .equ    PCM8_ENTRY, 0x009000

        .text
start:
        rom_init
        clr.l   LAST_VEC
        move.l  #on_normal, VEC_NORMAL*4
        move.l  #on_error, VEC_ERROR*4
        move.b  #VEC_NORMAL, NIV3
        move.b  #VEC_ERROR, EIV3
        count_frames 0x40

        move.l  #DATA, TABLE            | address
        clr.w   TABLE+4                 | length 0
        move.l  #TABLE, TABLE+6         | next: itself

        move.l  #0x50434D38, PCM8_ENTRY-8
        move.w  #0x4E73, PCM8_ENTRY     | rte
        move.l  #PCM8_ENTRY, 0x88

| PCM8 link table.
        moveq   #0x20, d0
        lea     TABLE, a1
        move.l  #0x080403, d1
        trap    #2
        result  0, d0
        move.l  #0x0080, d0
        trap    #2
        result  1, d0
        moveq   #2, d1
        bsr     wait_frames
        move.l  #0x0080, d0
        trap    #2
        result  2, d0

| _ADPCMLOT, only where the library served the PCM8 call (D0 came back
| changed) and so serves the IOCS ADPCM calls too.
        cmpi.l  #0x20, RESULTS
        beq.s   3f
        moveq   #0x64, d0
        lea     TABLE, a1
        move.l  #0x0403, d1
        trap    #15
        moveq   #2, d1
        bsr     wait_frames
        moveq   #0x66, d0
        trap    #15
        result  3, d0
3:

| Channel 3 by hand: link chain, then the MSM6258's play command.
        clr.l   LAST_VEC
        move.b  #0xFF, CSR3
        move.b  #0x08, PPI_C            | 15600 Hz
        move.b  #0x0C, OCR3             | memory to device, bytes, link chain
        move.l  #TABLE, BAR3
        move.b  #0x88, CCR3             | STR and INT
        move.b  #0x02, ADPCM_CMD
        moveq   #2, d1
        bsr     wait_frames
        byte_result 4, CSR3
        byte_result 5, CER3
        result  6, LAST_VEC
        byte_result 7, ADPCM_CMD
        move.b  #0x10, CCR3             | abort
        move.b  #0x01, ADPCM_CMD        | stop
        moveq   #2, d1
        bsr     wait_frames
        stop_frames
        rom_done

on_normal:
        move.l  #VEC_NORMAL, LAST_VEC
        rte
on_error:
        move.l  #VEC_ERROR, LAST_VEC
        rte
