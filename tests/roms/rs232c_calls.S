| RS-232C IOCS calls through TRAP #15. The test puts one byte, $80, in the
| receive ring before the run.
        .include "report.inc"

        .equ    SET232C, 0x30
        .equ    LOF232C, 0x31
        .equ    INP232C, 0x32
        .equ    ISNS232C, 0x33
        .equ    OSNS232C, 0x34
        .equ    OUT232C, 0x35

        reset_vectors STACK_TOP, start

| rs232c N, call, d1: result N := D0 after the call.
        .macro  rs232c slot:req, call:req, d1=0
        move.l  #\d1, d1
        move.l  #\call, d0
        trap    #15
        result  \slot, d0
        .endm

        .text
start:
        rom_init
        rs232c  0, SET232C, 0xFFFF      | asks: the mode at start
        rs232c  1, SET232C, 0x00001234  | the old mode
        rs232c  2, SET232C, 0xFFFF      | the new one
        rs232c  3, LOF232C
        rs232c  4, ISNS232C             | $80 without taking it
        rs232c  5, INP232C              | $80 taken
        rs232c  6, LOF232C
        rs232c  7, ISNS232C             | nothing waits
        rs232c  8, INP232C              | D0 keeps the call number
        rs232c  9, OSNS232C
        | 300 bytes out, 0 to 299 (low bytes)
        clr.l   d5
1:      move.l  d5, d1
        move.l  #OUT232C, d0
        trap    #15
        addq.l  #1, d5
        cmpi.l  #300, d5
        bne.s   1b
        result  10, d5
        rom_done
