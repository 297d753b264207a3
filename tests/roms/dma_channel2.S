| DMA controller: channel 2 runs (chain modes 0, 2 and 3), every error
| code, the normal and error vectors taken at level 3, the register image.
        .include "report.inc"
        reset_vectors STACK_TOP, start

        .equ    CH0, DMAC
        .equ    CH2, DMAC + 0x80
        .equ    CSR, 0x00
        .equ    CER, 0x01
        .equ    DCR, 0x04
        .equ    OCR, 0x05
        .equ    SCR, 0x06
        .equ    CCR, 0x07
        .equ    MTC, 0x0A
        .equ    MAR, 0x0C
        .equ    DAR, 0x14
        .equ    BTC, 0x1A
        .equ    BAR, 0x1C
        .equ    NIV, 0x25
        .equ    EIV, 0x27

        .equ    VEC_NORMAL, 0x60
        .equ    VEC_ERROR, 0x61
        .equ    LAST_VEC, 0x002000      | vector of the last DMA interrupt
        .equ    IRQ_COUNT, 0x002004
        .equ    SRC, 0x010000
        .equ    DST, 0x011000
        .equ    TABLE, 0x012000
        .equ    DEV8, 0x013000

| run2 ocr, scr, dcr, mtc, mar, dar: clears CSR and starts channel 2 with INT.
        .macro  run2 ocr:req, scr:req, dcr:req, mtc:req, mar:req, dar:req
        move.b  #0xFF, CH2 + CSR
        bsr     clear_irq
        move.b  #\dcr, CH2 + DCR
        move.b  #\ocr, CH2 + OCR
        move.b  #\scr, CH2 + SCR
        move.w  #\mtc, CH2 + MTC
        move.l  #\mar, CH2 + MAR
        move.l  #\dar, CH2 + DAR
        move.b  #0x88, CH2 + CCR
        nop
        nop
        .endm

| outcome N: results N, N+1, N+2 := CSR, CER, vector of the interrupt.
        .macro  outcome slot:req
        byte_result \slot, CH2 + CSR
        byte_result \slot + 1, CH2 + CER
        result  \slot + 2, LAST_VEC
        .endm

        .text
start:
        rom_init
        move.l  #on_normal, VEC_NORMAL * 4
        move.l  #on_error, VEC_ERROR * 4
        move.b  #VEC_NORMAL, CH2 + NIV
        move.b  #VEC_ERROR, CH2 + EIV
        move.w  #0x2200, sr             | level 3 open
        lea     SRC, a0
        move.l  #0x11223344, (a0)+
        move.l  #0x55667788, (a0)+
        move.l  #0x99AABBCC, (a0)+
        move.l  #0xDDEEFF00, (a0)+

| 0-2, 3: mode 0, four words memory to memory, both counts up.
        run2    0x10, 0x05, 0x08, 4, SRC, DST
        outcome 0
        result  3, DST + 4
        result  4, CH2 + MAR            | the run works on copies
| 5-7: MTC 0.
        run2    0x10, 0x05, 0x08, 0, SRC, DST
        outcome 5
| 8-9: a start while CSR shows the last run's end: timing error.
        move.b  #0x80, CH2 + CCR
        nop
        byte_result 8, CH2 + CSR
        byte_result 9, CH2 + CER
| 10-12: chain mode 1.
        run2    0x14, 0x05, 0x08, 4, SRC, DST
        outcome 10
| 13-17: array chain of two entries, BAR and BTC kept.
        lea     TABLE, a0
        move.l  #SRC + 8, (a0)+
        move.w  #2, (a0)+
        move.l  #SRC, (a0)+
        move.w  #1, (a0)+
        move.w  #2, CH2 + BTC
        move.l  #TABLE, CH2 + BAR
        run2    0x18, 0x05, 0x08, 0, 0, DST + 0x100
        outcome 13
        result  16, DST + 0x100
        result  17, DST + 0x104         | second entry follows on at the device
        result  18, CH2 + BAR
| 19-21: array chain with BTC 0.
        clr.w   CH2 + BTC
        run2    0x18, 0x05, 0x08, 0, 0, DST + 0x100
        outcome 19
| 22-25: link chain of two entries.
        lea     TABLE + 0x40, a0
        move.l  #SRC + 12, (a0)+
        move.w  #1, (a0)+
        move.l  #TABLE + 0x50, (a0)+
        lea     TABLE + 0x50, a0
        move.l  #SRC + 4, (a0)+
        move.w  #1, (a0)+
        clr.l   (a0)+
        move.l  #TABLE + 0x40, CH2 + BAR
        run2    0x1C, 0x05, 0x08, 0, 0, DST + 0x200
        outcome 22
        result  25, DST + 0x200
| 26-28: a link chain that loops on itself ends with a count error.
        lea     TABLE + 0x80, a0
        move.l  #SRC, (a0)+
        move.w  #1, (a0)+
        move.l  #TABLE + 0x80, (a0)+
        move.l  #TABLE + 0x80, CH2 + BAR
        run2    0x0C, 0x04, 0x08, 0, 0, DST + 0x300
        outcome 26
| 29-31: a link entry with count 0.
        clr.w   TABLE + 0x84
        run2    0x0C, 0x05, 0x08, 0, 0, DST + 0x300
        outcome 29
| 32-34: destination unmapped: bus error.
        run2    0x10, 0x05, 0x08, 2, SRC, UNMAPPED
        outcome 32
| 35-37: word from an odd address: address error.
        run2    0x10, 0x05, 0x08, 2, SRC + 1, DST
        outcome 35
| 38-40: three words to an 8-bit device: bytes at every second address.
        lea     DEV8, a0
        moveq   #15, d0
1:      clr.b   (a0)+
        dbra    d0, 1b
        run2    0x10, 0x05, 0x00, 3, SRC, DEV8
        outcome 38
        result  41, DEV8
        result  42, DEV8 + 4
        result  43, DEV8 + 8
| 44-46: device type 2 keeps the device address; device to memory.
        run2    0x80, 0x05, 0x28, 3, DST + 0x400, SRC + 5
        outcome 44
        result  47, DST + 0x400
| 48-50: a long write of $00000080 to DCR..CCR starts channel 2 (no INT).
        move.b  #0xFF, CH2 + CSR
        bsr     clear_irq
        move.w  #1, CH2 + MTC
        move.l  #SRC, CH2 + MAR
        move.l  #DST + 0x500, CH2 + DAR
        move.l  #0x00000080, CH2 + DCR
        nop
        outcome 48
        result  51, DST + 0x500
| 52-54: channel 2's CCR through the repeat at $E84187.
        run2    0x00, 0x05, 0x08, 1, SRC + 1, DST + 0x600
        move.b  #0xFF, DMAC + 0x180
        bsr     clear_irq
        move.b  #0x88, DMAC + 0x187
        nop
        nop
        outcome 52
| 55-58: a transfer that writes channel 2's CCR with STR finishes once.
        move.b  #0x88, SRC + 0x20
        clr.l   IRQ_COUNT
        run2    0x00, 0x00, 0x08, 1, SRC + 0x20, CH2 + CCR
        nop
        outcome 55
        result  58, IRQ_COUNT
| 59-60: channel 0's CSR: bits written as 1 cleared, COC set.
        move.b  #0xFF, CH0 + CSR
        byte_result 59, CH0 + CSR
        move.b  #0x00, CH0 + CSR
        byte_result 60, CH0 + CSR
| 61: a word read of DCR:OCR.
        move.b  #0x08, CH2 + DCR
        move.b  #0x10, CH2 + OCR
        moveq   #0, d7
        move.w  CH2 + DCR, d7
        result  61, d7
| 62-64: a link entry of $FFFF longs to an 8-bit port, linked to itself,
| stops with a count error once it has moved 16 MB.
        lea     TABLE + 0xC0, a0
        move.l  #SRC, (a0)+
        move.w  #0xFFFF, (a0)+
        move.l  #TABLE + 0xC0, (a0)+
        move.l  #TABLE + 0xC0, CH2 + BAR
        run2    0x2C, 0x04, 0x00, 0, 0, DST + 0x700
        outcome 62
        move.w  #0x2700, sr
        rom_done

clear_irq:
        clr.l   LAST_VEC
        rts

on_normal:
        move.l  #VEC_NORMAL, LAST_VEC
        addq.l  #1, IRQ_COUNT
        rte
on_error:
        move.l  #VEC_ERROR, LAST_VEC
        addq.l  #1, IRQ_COUNT
        rte
