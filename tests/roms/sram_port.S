| SRAM and system port from inside the machine: the image loaded from
| "sram.ram" (with its fix-up), the write enable at $E8E00D, the bounds of
| the 16 KB, the boot-setting check, and the stored bytes of the port.
|
| The test's "sram.ram" holds 00 FC 00 00 at offset $0C, $11 at $100 and
| $CAFE at $102.
|
| Results (f(2, a): bus error at a; 0 no fault):
|    0  long $ED0008 (RAM size field)        1  long $ED000C (fixed up)
|   protected ($E8E00D := 0):
|    2  byte write $ED0100                   3  byte $ED0100 afterwards
|    4  word write $ED0102                   5  word $ED0102 afterwards
|    6  long write $ED0104                   7  long $ED0104 afterwards
|    8  byte $E8E00D
|   writable ($E8E00D := $31):
|    9  byte $E8E00D
|   10  byte $ED0101 after writing $33      11  word $ED0102 after $1234
|   12  long $ED3FFC after $12345678
|   13  byte read $EC0000                   14  byte read $ED4000
|   15  byte write $ED4001
|   16  byte write $E8E010                  17  byte $E8E010 afterwards
|   18  byte $E8E003 after writing $5A      19  byte $E8E002 after $A5
|   boot setting $ED0018 (the test refuses the first question only):
|   20  byte write $B0: refused             21  byte $ED0018 afterwards
|   22  byte write $B0: allowed             23  byte write $B0 again
|   24  long write $B0000000 after $00 there (never asks)
|   25  byte $ED0018 afterwards
|   26  word write $B012 after $00 there    27  word $ED0018 afterwards
|   protected again: a byte write of $EE to $ED0200 that the saved file
|   must not hold.
        .include "report.inc"

        reset_vectors STACK_TOP, start

| result N := the word at the address, zero-extended.
        .macro  word_result slot:req, addr:req
        moveq   #0, d7
        move.w  \addr, d7
        result  \slot, d7
        .endm

        .text
start:
        rom_init
        result  0, SRAM+0x08
        result  1, SRAM+0x0C

        move.b  #0, SRAM_ENABLE
        probe   2, move.b, #0x99, SRAM+0x100
        byte_result 3, SRAM+0x100
        probe   4, move.w, #0xBEEF, SRAM+0x102
        word_result 5, SRAM+0x102
        probe   6, move.l, #0x01020304, SRAM+0x104
        result  7, SRAM+0x104
        byte_result 8, SRAM_ENABLE

        move.b  #0x31, SRAM_ENABLE
        byte_result 9, SRAM_ENABLE
        move.b  #0x33, SRAM+0x101
        byte_result 10, SRAM+0x101
        move.w  #0x1234, SRAM+0x102
        word_result 11, SRAM+0x102
        move.l  #0x12345678, SRAM+0x3FFC
        result  12, SRAM+0x3FFC
        probe   13, move.b, 0xEC0000, d0
        probe   14, move.b, 0xED4000, d0
        probe   15, move.b, d0, 0xED4001

        probe   16, move.b, #0x77, 0xE8E010
        byte_result 17, 0xE8E010
        move.b  #0x5A, 0xE8E003
        byte_result 18, 0xE8E003
        move.b  #0xA5, 0xE8E002
        byte_result 19, 0xE8E002

        probe   20, move.b, #0xB0, SRAM+0x18
        byte_result 21, SRAM+0x18
        probe   22, move.b, #0xB0, SRAM+0x18
        probe   23, move.b, #0xB0, SRAM+0x18
        move.b  #0, SRAM+0x18
        probe   24, move.l, #0xB0000000, SRAM+0x18
        byte_result 25, SRAM+0x18
        move.b  #0, SRAM+0x18
        probe   26, move.w, #0xB012, SRAM+0x18
        word_result 27, SRAM+0x18

        move.b  #0, SRAM_ENABLE
        move.b  #0xEE, SRAM+0x200
        rom_done
