| Video test ROM: programs the CRTC, the video controller, the palette,
| text and graphic VRAM and the sprite/BG unit, lets the picture reach the
| display for two frames and powers off.
|
| The picture, 256 x 256 dots (31 kHz, each line shown twice), layers from
| back to front (priorities: graphic 2, sprites/BG 1, text 0):
|   graphic  page 0, 16 colours. Index 0, the background, is dark navy.
|            Rows 32-223 hold 16 vertical bars of 16 dots, bar k in index k:
|            palette 1-15 ramp from blue to orange.
|   BG0      a strip of 24 tiles of 8 x 8 dots (green frame, light grey
|            centre) at x 32-223, y 48-55.
|   sprites  pattern 1, 16 x 16: a one-dot frame (colour 1) round a body
|            (colour 2) with a 6 x 6 mark (colour 3) in its top-left corner.
|            Sprite 0 at x 112-127, y 36-51, palette block 1 (yellow frame,
|            red body, green mark), over the BG strip. Sprite 1 flipped both
|            ways, palette block 2 (cyan, magenta, white mark in the
|            bottom-right corner), at x -8..7, y 120-135: only its right half
|            is in the picture.
|   text     a white box (index 15, written to all planes at once), two dots
|            thick, x 24-231, y 40-215, whose top edge crosses sprite 0; a
|            green checkerboard of 4 x 4 squares (plane 1 alone) at x 48-207,
|            y 184-199 over the bars; 15 swatches of 8 x 8 dots, index k at
|            x 16k-8, y 228-235.
|
| Every register that is logged per raster line is written once, with its
| final value.
        .include "report.inc"
        .include "picture_crtc.inc"

        reset_vectors STACK_TOP, start

        .equ    R02, 6                  | horizontal display start, 8-dot units
        .equ    R06, 40                 | vertical display start line

| colour red, green, blue: one palette word, 5 bits a channel.
        .macro  colour red:req, green:req, blue:req
        .word   ((\green) << 11) + ((\red) << 6) + ((\blue) << 1)
        .endm

        .text
start:
        rom_init

| CRTC: 256 x 256 dots on 31 kHz, 16-colour graphic memory. The word
| write of R20 switches the graphic pages to the 16-colour layout.
        picture_crtc

| Palette: 16 graphic colours, then text and sprite/BG blocks 0-3.
        lea     palette, a1
        lea     PAL_GRAPHIC, a0
        moveq   #16 - 1, d0
3:      move.w  (a1)+, (a0)+
        dbra    d0, 3b
        lea     PAL_TEXT, a0
        moveq   #64 - 1, d0
4:      move.w  (a1)+, (a0)+
        dbra    d0, 4b

| Graphic page 0: the bars, two dots per long write.
        lea     GVRAM + 32 * 1024, a0
        move.w  #192 - 1, d1            | rows 32-223
bar_row:
        moveq   #0, d0                  | bar k in both dots of the long
        moveq   #16 - 1, d2
bar:    moveq   #8 - 1, d3              | 16 dots
5:      move.l  d0, (a0)+
        dbra    d3, 5b
        addi.l  #0x00010001, d0
        dbra    d2, bar
        lea     512(a0), a0             | dots 256-511 of the line stay 0
        dbra    d1, bar_row

| Text: the box through simultaneous access to planes 0-3.
        move.w  #0x01F0, CRTC_R21
        lea     TVRAM + 40 * 128 + 3, a0
        bsr     box_edge                | rows 40, 41
        lea     TVRAM + 214 * 128 + 3, a0
        bsr     box_edge                | rows 214, 215
        lea     TVRAM + 42 * 128, a0
        move.w  #172 - 1, d0            | rows 42-213
6:      move.b  #0xC0, 3(a0)            | dots 24, 25
        move.b  #0x03, 28(a0)           | dots 230, 231
        lea     128(a0), a0
        dbra    d0, 6b
        move.w  #0, CRTC_R21

| Text: the checkerboard in plane 1, bytes 6-25 of rows 184-199.
        lea     TVRAM + PLANE + 184 * 128 + 6, a0
        move.b  #0xF0, d2
        moveq   #4 - 1, d1              | four bands of four rows
7:      moveq   #4 - 1, d3
8:      movea.l a0, a1
        moveq   #20 - 1, d0
9:      move.b  d2, (a1)+
        dbra    d0, 9b
        lea     128(a0), a0
        dbra    d3, 8b
        not.b   d2
        dbra    d1, 7b

| Text: swatch k = 1-15 fills byte 2k - 1 of rows 228-235 in the planes
| of the bits of k.
        moveq   #1, d0
swatch:
        lea     TVRAM + 228 * 128 - 1, a0
        adda.w  d0, a0
        adda.w  d0, a0
        moveq   #0, d1                  | plane
10:     btst    d1, d0
        beq.s   12f
        movea.l a0, a1
        moveq   #8 - 1, d2
11:     move.b  #0xFF, (a1)
        lea     128(a1), a1
        dbra    d2, 11b
12:     adda.l  #PLANE, a0
        addq.w  #1, d1
        cmpi.w  #4, d1
        bne.s   10b
        addq.w  #1, d0
        cmpi.w  #16, d0
        bne.s   swatch

| Sprite/BG unit: its memory comes up as $FF everywhere. Clear the sprite
| table, the PCG and both BG maps, then set the registers: no scroll, BG0
| from map page 0, a 256 x 256 plane whose coordinate 16 is the picture's
| first dot.
        moveq   #0, d1
        lea     SPRITES, a0
        move.w  #0x800 / 4 - 1, d0
13:     move.l  d1, (a0)+
        dbra    d0, 13b
        lea     PCG, a0
        move.w  #0x8000 / 4 - 1, d0
14:     move.l  d1, (a0)+
        dbra    d0, 14b
        lea     BG_SCROLL, a0
        move.l  d1, (a0)+               | BG0 X, Y
        move.l  d1, (a0)+               | BG1 X, Y
        move.w  #0x0201, (a0)           | sprites/BG displayed, BG0 on
        move.w  #R02 + 4, SPR_HPOS
        move.w  #R06, SPR_VPOS
        move.w  #0, SPR_RES

| Pattern 1 (cells 4-7) and the BG tile (cell 8) lie one after the other.
        lea     sprite_pattern, a1
        lea     PCG + 4 * 32, a0
        moveq   #40 - 1, d0
15:     move.l  (a1)+, (a0)+
        dbra    d0, 15b
        lea     BG_MAP0 + (6 * 64 + 4) * 2, a0
        moveq   #24 - 1, d0
16:     move.w  #0x0308, (a0)+          | palette block 3, cell 8
        dbra    d0, 16b

        lea     SPRITES, a0
        move.l  #((112 + 16) << 16) + 36 + 16, (a0)+
        move.l  #0x01010003, (a0)+      | block 1, pattern 1; priority 3
        move.l  #((-8 + 16) << 16) + 120 + 16, (a0)+
        move.l  #0xC2010003, (a0)+      | both flips, block 2, pattern 1; priority 3

| Video controller last: 16 colours; sprites 1, text 0, graphic 2, graphic
| pages 0-3 front to back; sprites/BG, text and graphic page 0 on.
        move.w  #0x0000, VC_R0
        move.w  #0x12E4, VC_R1
        move.w  #0x0061, VC_R2

| Two frames: the display start latches the video controller and the
| sprite resolution.
        moveq   #2 - 1, d0
frame:
17:     btst    #4, GPIP
        bne.s   17b
18:     btst    #4, GPIP
        beq.s   18b
        dbra    d0, frame
        rom_done

| Two rows of 26 bytes $FF from a0 (text line length 128).
box_edge:
        moveq   #2 - 1, d1
19:     movea.l a0, a1
        moveq   #26 - 1, d0
20:     move.b  #0xFF, (a1)+
        dbra    d0, 20b
        lea     128(a0), a0
        dbra    d1, 19b
        rts

        .include "picture_setup.inc"
        .word   0                       | text 0: transparent
        colour  31, 0, 0
        colour  0, 31, 0
        colour  31, 31, 0
        colour  0, 0, 31
        colour  31, 0, 31
        colour  0, 31, 31
        colour  24, 24, 24
        colour  12, 12, 12
        colour  31, 16, 0
        colour  16, 31, 0
        colour  0, 16, 31
        colour  16, 0, 31
        colour  31, 0, 16
        colour  0, 31, 16
        colour  31, 31, 31              | 15: the box
        .word   0                       | block 1: sprite 0
        colour  31, 31, 0
        colour  31, 0, 0
        colour  0, 31, 0
        .fill   12, 2, 0
        .word   0                       | block 2: sprite 1
        colour  0, 31, 31
        colour  31, 0, 31
        colour  31, 31, 31
        .fill   12, 2, 0
        .fill   4, 2, 0                 | block 3: BG tiles
        colour  0, 20, 0
        colour  28, 28, 28
        .fill   10, 2, 0

        .include "sprite_pattern.inc"
bg_tile:                                | cell 8
        .long   0x44444444
        .rept   6
        .long   0x45555554
        .endr
        .long   0x44444444
