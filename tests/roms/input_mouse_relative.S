| MOUSE 2 seen from the machine: every other frame the program asks SCC
| channel B for a packet (WR5 RTS) and takes its three bytes on the level 5
| interrupt, moving a cursor of its own by each X count's distance through
| the firmware's acceleration: d(k) = k x 5 x max(1, k / 8) / 4, d(72 and
| more) = 765. Frames are counted by V-DISP.
| Results: 0 the cursor at frame SNAP, 1 the cursor at the end, 2 the
| packet bytes taken.
        .include "report.inc"
        .include "next_frame.inc"

        reset_vectors STACK_TOP, start

        .equ    CURSOR_X, 0x001400
        .equ    BYTES_TAKEN, 0x001404
        .equ    SNAP, 30
        .equ    FRAMES, 240

        .text
start:
        rom_init
        clr.l   CURSOR_X
        clr.l   BYTES_TAKEN
        move.l  #mouse_byte, VEC_LEVEL5
        move.w  #0x2000, sr
        moveq   #0, d6                  | frames counted
frame:  next_frame
        addq.w  #1, d6
        cmpi.w  #SNAP, d6
        bne.s   1f
        result  0, CURSOR_X
1:      btst    #0, d6
        bne.s   2f
        move.b  #5, SCC_B_COMMAND       | WR5
        move.b  #2, SCC_B_COMMAND       | RTS: a packet
2:      cmpi.w  #FRAMES, d6
        bne.s   frame
        move.w  #0x2700, sr
        result  1, CURSOR_X
        result  2, BYTES_TAKEN
        rom_done

| A packet byte: the second of each three is the X count.
mouse_byte:
        movem.l d0-d2, -(sp)
        moveq   #0, d0
        move.b  SCC_B_DATA, d0
        move.l  BYTES_TAKEN, d1
        addq.l  #1, BYTES_TAKEN
        divu    #3, d1
        swap    d1
        cmpi.w  #1, d1
        bne.s   9f
        ext.w   d0
        move.w  d0, d2
        bpl.s   1f
        neg.w   d0
1:      bsr.s   count_to_dots
        tst.w   d2
        bpl.s   2f
        neg.l   d0
2:      add.l   d0, CURSOR_X
9:      movem.l (sp)+, d0-d2
        rte

| d0.w = a count 0-128: d0.l = its distance.
count_to_dots:
        cmpi.w  #72, d0
        bcs.s   1f
        move.l  #765, d0
        rts
1:      move.w  d0, d1
        lsr.w   #3, d1
        bne.s   2f
        moveq   #1, d1
2:      mulu    d0, d1
        mulu    #5, d1
        lsr.l   #2, d1
        move.l  d1, d0
        rts
