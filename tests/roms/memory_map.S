| Memory map from inside the machine: the end of main RAM (its size comes
| from the SRAM image), bus errors of pages without memory, ROM writes, even
| MFP addresses, the empty and host-drive I/O blocks and the area-set
| register, the supervisor area it sets, the graphic VRAM pages by colour
| mode, and IPL ROM data reads for the access map.
|
| Results (f(v, a) = v << 24 | a: vector v caught with fault address a;
| f(8) a privilege violation; 0 no fault):
|    0  first address of the first page without RAM ($C00000: none below)
|    1  fault of a long read there (0 at $C00000: graphic VRAM)
|    2  long written to and read back from the last long of RAM
|    3  long read $EE0000: f(2, $EE0000)     4  its access code
|    5  byte write $FC0001: f(2, $FC0001)    6  its access code
|    7  word write $FE0000 (IPL ROM)         8  byte write $F00001 (CG ROM)
|    9  byte read $E88000 (even MFP)        10  byte write $E89FFE
|   11  byte read $E88041 (GPIP mirror)     12  that byte AND $22
|   13  byte read $E9C001                   14  that byte
|   15  word read $E9E000
|   16  byte read $E86001 (area set)        17  word write $E86000
|   18  user word write $1FFFF0 after 17 (the boundary did not move)
|   19  area set := $0E   20  user word write $001F00
|   21  area set := $0F   22  user word write $01FFFE   23  at $020000
|   24  area set := $FF   25  user word write $1FFFFE   26  at $200000
|   27  user long read $001000                 28  the long read
|   29  user byte read $EE0000                 30  its access code
|   31  65536 colours: word read $C7FFFE      32  at $C80000
|   33  256 colours: word read $CFFFFE        34  at $D00000
|   35  16 colours: word read $DFFFFE
|   36  byte, 37 word, 38 long read from the IPL ROM at $FE1000, $FE1002, $FE1004
        .include "report.inc"

        reset_vectors STACK_TOP, start

        .equ    AREA_SET, 0xE86001

| Access code of the last fault as result N.
        .macro  code_result slot:req
        moveq   #0, d7
        move.w  CAUGHT_CODE, d7
        result  \slot, d7
        .endm

        rom_low
        .space  0x1000
        .byte   0x11, 0xFF
        .word   0x2222
        .long   0x44444444

        .text
start:
        rom_init

| Main RAM ends at the first page whose read is a bus error.
        lea     0.w, a0
1:      catch   2f
        move.l  (a0), d0
2:      caught
        tst.l   CAUGHT
        bne.s   3f
        adda.l  #0x20000, a0
        cmpa.l  #0xC00000, a0
        blo.s   1b
3:      result  0, a0
        result  1, CAUGHT
        move.l  #0x5AA5C33C, -4(a0)
        result  2, -4(a0)

        probe   3, move.l, 0xEE0000, d0
        code_result 4
        probe   5, move.b, d0, 0xFC0001
        code_result 6
        probe   7, move.w, d0, 0xFE0000
        probe   8, move.b, d0, 0xF00001
        probe   9, move.b, 0xE88000, d0
        probe   10, move.b, d0, 0xE89FFE
        moveq   #0, d0
        probe   11, move.b, 0xE88041, d0
        andi.l  #0x22, d0
        result  12, d0
        moveq   #-1, d0
        probe   13, move.b, 0xE9C001, d0
        andi.l  #0xFF, d0
        result  14, d0
        probe   15, move.w, 0xE9E000, d0

| Area set: reads and even bytes are bus errors; an odd byte write moves
| the supervisor boundary to (v + 1) x 8 KB, in whole 128 KB pages.
        probe   16, move.b, AREA_SET, d0
        probe   17, move.w, #0x0F0F, AREA_SET-1
        user_probe 18, move.w, d0, 0x1FFFF0
        probe   19, move.b, #0x0E, AREA_SET
        user_probe 20, move.w, d0, 0x001F00
        probe   21, move.b, #0x0F, AREA_SET
        user_probe 22, move.w, d0, 0x01FFFE
        user_probe 23, move.w, d0, 0x020000
        probe   24, move.b, #0xFF, AREA_SET
        user_probe 25, move.w, d0, 0x1FFFFE
        user_probe 26, move.w, d0, 0x200000
        moveq   #0, d1
        user_probe 27, move.l, MARK_START, d1
        result  28, d1
        user_probe 29, move.b, 0xEE0000, d0
        code_result 30

| Graphic VRAM pages follow the colour mode in R20's high byte.
        move.b  #3, CRTC_R20
        probe   31, move.w, 0xC7FFFE, d0
        probe   32, move.w, 0xC80000, d0
        move.b  #1, CRTC_R20
        probe   33, move.w, 0xCFFFFE, d0
        probe   34, move.w, 0xD00000, d0
        move.b  #0, CRTC_R20
        probe   35, move.w, 0xDFFFFE, d0

        moveq   #0, d0
        move.b  0xFE1000, d0
        result  36, d0
        moveq   #0, d0
        move.w  0xFE1002, d0
        result  37, d0
        result  38, 0xFE1004

        rom_done
