| Demo IPL ROM: a picture of colour bars on graphic page 0, two lines of
| text from the CG ROM's 8 x 16 font, and a sprite that moves one dot each
| frame. It counts the frames at $1004 and runs until the power switch is
| pressed ("power"), then switches the power off.
|
| 256 x 256 dots on 31 kHz, each line shown twice.
        .include "iplrom.inc"
        .include "io_map.inc"
        .include "picture_crtc.inc"

        reset_vectors 0x00002000, start

        .equ    MARK, 0x1000            | "ZOLM" once running
        .equ    FRAMES, 0x1004          | frames shown so far
        .equ    GPIP_VDISP, 4
        .equ    GPIP_POWER, 2
        .equ    R02, 6                  | horizontal display start, 8-dot units
        .equ    R06, 40                 | vertical display start line
        .equ    SPRITE_Y, 120           | the moving sprite's row
        .equ    SPRITE_SPAN, 240        | it crosses the picture from x 0 to 239

| colour red, green, blue: one palette word, 5 bits a channel.
        .macro  colour red:req, green:req, blue:req
        .word   ((\green) << 11) + ((\red) << 6) + ((\blue) << 1)
        .endm

        .text
start:
        clr.l   FRAMES
| CRTC: 256 x 256 dots on 31 kHz, 16-colour graphic memory.
        picture_crtc

| Palette: 16 graphic colours, 16 text colours, sprite block 1.
        lea     palette, a1
        lea     PAL_GRAPHIC, a0
        moveq   #16 - 1, d0
3:      move.w  (a1)+, (a0)+
        dbra    d0, 3b
        lea     PAL_TEXT, a0
        moveq   #32 - 1, d0
4:      move.w  (a1)+, (a0)+
        dbra    d0, 4b

| Graphic page 0: 16 bars of 16 dots over rows 48-207.
        lea     GVRAM + 48 * 1024, a0
        move.w  #160 - 1, d1
bar_row:
        moveq   #0, d0
        moveq   #16 - 1, d2
bar:    moveq   #8 - 1, d3              | 16 dots, two a long
5:      move.l  d0, (a0)+
        dbra    d3, 5b
        addi.l  #0x00010001, d0
        dbra    d2, bar
        lea     512(a0), a0             | dots 256-511 stay 0
        dbra    d1, bar_row

| Text plane 0 (colour 1): the title at row 12, the hint at row 224.
        lea     title_text, a1
        lea     TVRAM + 12 * 128 + 9, a0
        bsr     draw_text
        lea     hint_text, a1
        lea     TVRAM + 224 * 128 + 6, a0
        bsr     draw_text

| Sprite/BG unit: its memory comes up as $FF. Clear the sprite table and
| the PCG; sprites on, BG off; coordinate 16 is the picture's first dot.
        moveq   #0, d1
        lea     SPRITES, a0
        move.w  #0x800 / 4 - 1, d0
6:      move.l  d1, (a0)+
        dbra    d0, 6b
        lea     PCG, a0
        move.w  #0x8000 / 4 - 1, d0
7:      move.l  d1, (a0)+
        dbra    d0, 7b
        lea     BG_SCROLL, a0
        move.l  d1, (a0)+
        move.l  d1, (a0)+
        move.w  #0x0200, (a0)           | sprites/BG displayed, no BG layer
        move.w  #R02 + 4, SPR_HPOS
        move.w  #R06, SPR_VPOS
        move.w  #0, SPR_RES
        lea     sprite_pattern, a1
        lea     PCG + 4 * 32, a0
        moveq   #32 - 1, d0
8:      move.l  (a1)+, (a0)+
        dbra    d0, 8b
        move.l  #(16 << 16) + SPRITE_Y + 16, SPRITES
        move.l  #0x01010003, SPRITES + 4 | block 1, pattern 1; priority 3

| Video controller last: sprites over text over graphic page 0.
        move.w  #0x0000, VC_R0
        move.w  #0x12E4, VC_R1
        move.w  #0x0061, VC_R2
        move.l  #0x5A4F4C4D, MARK       | "ZOLM"

| Each frame: wait for the display to end, move the sprite a dot, count.
        move.b  GPIP, d4
        andi.b  #1 << GPIP_POWER, d4    | the switch as it stood at start
        moveq   #0, d5                  | sprite x
frame:
9:      btst    #GPIP_VDISP, GPIP
        beq.s   9b
10:     btst    #GPIP_VDISP, GPIP
        bne.s   10b
        addq.l  #1, FRAMES
        move.b  GPIP, d0
        andi.b  #1 << GPIP_POWER, d0
        cmp.b   d4, d0
        bne.s   power_off
        addq.w  #1, d5
        cmpi.w  #SPRITE_SPAN, d5
        blo.s   11f
        moveq   #0, d5
11:     move.w  d5, d0
        addi.w  #16, d0
        move.w  d0, SPRITES
        bra.s   frame
| The switch was pressed: the power goes off, the picture as the last
| frame showed it.
power_off:
        move.b  #0, SYS_POWER_RESET
        move.b  #0, SYS_POWER_OFF
        move.b  #0, SYS_POWER_OFF
12:     bra.s   12b

| Draws the NUL-ended text at a1 from the text byte at a0, plane 0.
draw_text:
        moveq   #0, d0
        move.b  (a1)+, d0
        beq.s   2f
        lsl.w   #4, d0
        lea     FONT_8X16, a2
        adda.w  d0, a2
        movea.l a0, a3
        moveq   #16 - 1, d1
1:      move.b  (a2)+, (a3)
        lea     128(a3), a3
        dbra    d1, 1b
        addq.l  #1, a0
        bra.s   draw_text
2:      rts

        .include "picture_setup.inc"
        .word   0                       | text 0: transparent
        colour  31, 31, 31              | text 1: the lines
        .fill   14, 2, 0
        .word   0                       | block 1: the sprite
        colour  31, 31, 0
        colour  31, 0, 0
        colour  0, 31, 0
        .fill   12, 2, 0

        .include "sprite_pattern.inc"

title_text:
        .asciz  "ZOLM for Linux"
hint_text:
        .asciz  "\"power\" switches off"
