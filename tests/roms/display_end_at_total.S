| Changes the SRAM, then sets the display end equal to the vertical total
| (R04 = R07 = 600 lines) and runs on for ever: the run ends only from
| outside (a signal, the frame limit), and shut-down saves "sram.ram".
        .include "report.inc"
        reset_vectors STACK_TOP, start

        .equ    SRAM_BYTE, 0xED0100

        .text
start:
        rom_init
        move.b  #0x31, SRAM_ENABLE      | writable
        move.b  #0x5A, SRAM_BYTE
        move.b  #0, SRAM_ENABLE
        move.w  #600, CRTC+2*4          | R04, vertical total
        move.w  #600, CRTC+2*7          | R07, vertical display end
1:      bra.s   1b
