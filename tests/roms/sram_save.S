| Changes the SRAM and switches the power off, so that shut-down saves
| "sram.ram".
        .include "iplrom.inc"
        .include "io_map.inc"

        reset_vectors 0x00002000, start

        .equ    SRAM_BYTE, 0xED0100

        .text
start:
        move.b  #0x31, SRAM_ENABLE      | writable
        move.b  #0x5A, SRAM_BYTE
        move.b  #0, SRAM_ENABLE
        move.b  #0, SYS_POWER_RESET     | restart the power-off count
        move.b  #0, SYS_POWER_OFF
        move.b  #0, SYS_POWER_OFF
1:      bra.s   1b
