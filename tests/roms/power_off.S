| Power-off from inside the machine: the second write of $E8E00F since the
| last byte write of $E8E000 stops the run; a word write of $E8E000 lands
| on the contrast at $E8E001 and restarts nothing.
|
| Results:
|    0  stage reached: 1 after the first single write, 2 before the last
|       write; the instruction after that write must not run (it would
|       store 3)
|    1  frames seen (V-DISP rises) between the stages: 3
|    2  byte $E8E001 after the word write of $1234: $34
|    3  byte $E8E000 after that word write: $5A, from an earlier byte write
| "DONE" is written before the last write: a power-off that fails leaves
| the ROM looping with stage 2.
        .include "report.inc"

        reset_vectors STACK_TOP, start

        .equ    STAGE, RESULTS

        .text
start:
        rom_init
        move.b  #0, SYS_POWER_RESET     | count 0
        move.b  #0, SYS_POWER_OFF       | count 1
        move.b  #0x5A, SYS_POWER_RESET  | count 0 again
        move.b  #0, SYS_POWER_OFF       | count 1
        move.l  #1, STAGE

        moveq   #2, d1
frame:
1:      btst    #4, GPIP
        bne.s   1b
2:      btst    #4, GPIP
        beq.s   2b
        addq.l  #1, RESULTS+4
        dbra    d1, frame

        move.w  #0x1234, SYS_POWER_RESET | the contrast; the count stays 1
        moveq   #0, d0
        move.b  0xE8E001, d0
        result  2, d0
        move.b  SYS_POWER_RESET, d0
        result  3, d0
        move.l  #2, STAGE
        move.l  #0x444F4E45, MARK_DONE
        move.b  #0, SYS_POWER_OFF       | count 2: the run stops here
        move.l  #3, STAGE
3:      bra.s   3b
