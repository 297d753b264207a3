| The host drive's port, as the emulated system's driver uses it: the port
| answers $57, then initialise, create "ROMTEST.TXT" in the first unit's
| folder, write "HELLO" to it and close it.
|
| Results:
|    0  byte read of the port: $57
|    1  units reported by initialise (request byte 13)
|    2  D0 after initialise: 0
|    3  create: 0
|    4  write: 5 (bytes written)
|    5  close: 0
        .include "report.inc"

        reset_vectors STACK_TOP, start

        .equ    PORT, 0xE9F000
        .equ    REQUEST, 0x2000
        .equ    NAMESTS, 0x2100
        .equ    FCB, 0x2200
        .equ    DATA, 0x2300
        .equ    CMD_INIT, 0x40
        .equ    CMD_CREATE, 0x49
        .equ    CMD_CLOSE, 0x4B
        .equ    CMD_WRITE, 0x4D
        .equ    REQ_UNIT, 1
        .equ    REQ_BYTE13, 13
        .equ    REQ_ARG1, 14
        .equ    REQ_ARG2, 18
        .equ    REQ_ARG3, 22
        .equ    FCB_MODE, 14
        .equ    ATTR_ARCHIVE, 0x20

        .macro  command code:req
        moveq   #\code, d0
        move.b  d0, PORT
        .endm

        .text
start:
        rom_init
        byte_result 0, PORT

        lea     REQUEST, a5
        clr.b   REQ_UNIT(a5)
        clr.b   FCB                     | first drive number 0
        move.l  #FCB, REQ_ARG3(a5)
        moveq   #-1, d0
        command CMD_INIT
        byte_result 1, REQ_BYTE13(a5)
        result  2, d0

        lea     name_record, a0
        lea     NAMESTS, a1
        moveq   #88 - 1, d1
1:      move.b  (a0)+, (a1)+
        dbra    d1, 1b
        move.l  #NAMESTS, REQ_ARG1(a5)
        move.l  #1, REQ_ARG2(a5)        | mode 1: create when missing
        move.b  #ATTR_ARCHIVE, REQ_BYTE13(a5)
        clr.b   FCB + FCB_MODE
        command CMD_CREATE
        result  3, REQ_ARG2(a5)

        move.l  #0x48454C4C, DATA       | "HELL"
        move.b  #0x4F, DATA + 4         | "O"
        move.l  #DATA, REQ_ARG1(a5)
        move.l  #5, REQ_ARG2(a5)
        command CMD_WRITE
        result  4, REQ_ARG2(a5)

        command CMD_CLOSE
        result  5, REQ_ARG2(a5)
        rom_done

| Drive 0, the root (a lone TAB), "ROMTEST" + "TXT", no long name.
name_record:
        .byte   0, 0, 9
        .fill   64, 1, 0
        .ascii  "ROMTEST TXT"
        .fill   10, 1, 0
        .even
