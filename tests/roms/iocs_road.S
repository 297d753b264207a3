| The road of IOCS calls: every TRAP #15 that reaches the ROM enters the
| vector 47 handler, which counts it. Result N: 1 when call N of the list
| reached the ROM, 0 when the host served it. ($00 on the host waits for a
| key, so it is not in the list.)
        .include "report.inc"

        .equ    ROM_CALLS, 0x001400     | calls the ROM's handler saw
        .equ    VEC_IOCS, 47 * 4

        reset_vectors STACK_TOP, start

| road N, call: result N := whether the call reached the ROM.
        .macro  road slot:req, call:req
        move.l  ROM_CALLS, d6
        move.l  #\call, d0
        move.l  #0xFFFF, d1             | $30: only asks the mode
        trap    #15
        move.l  ROM_CALLS, d7
        sub.l   d6, d7
        result  \slot, d7
        .endm

        .text
start:
        rom_init
        clr.l   ROM_CALLS
        move.l  #rom_iocs, VEC_IOCS
        road    0, 0x01
        road    1, 0x02
        road    2, 0x03
        road    3, 0x04
        road    4, 0x05
        road    5, 0x06
        road    6, 0x07
        road    7, 0x0D
        road    8, 0x30
        road    9, 0x31
        road    10, 0x32
        road    11, 0x33
        road    12, 0x34
        road    13, 0x35
        road    14, 0x60
        road    15, 0x61
        road    16, 0x62
        road    17, 0x63
        road    18, 0x64
        road    19, 0x65
        road    20, 0x66
        road    21, 0x67
        rom_done

| The ROM's own IOCS handler stands in: it counts the call.
rom_iocs:
        addq.l  #1, ROM_CALLS
        rte
