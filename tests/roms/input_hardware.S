| Input through the hardware: key bytes from the MFP's receiver (KEY 1),
| a mouse packet from SCC channel B (MOUSE 1) and the joystick ports, fed
| by the headless runner's input script. Frames are counted by V-DISP.
| Results: 0 key bytes received, 1 and 2 the first two; 3-5 the mouse
| packet (status, X, Y); 6 and 7 ports A and B at frame 12.
        .include "report.inc"
        .include "next_frame.inc"

        reset_vectors STACK_TOP, start

        .equ    MOUSE_CURSOR_X, 0xACE   | the firmware's cursor in its work area
        .equ    MOUSE_CURSOR_Y, 0xAD0
        .equ    VEC_RX_FULL, (0x40 + 12) * 4
        .equ    KEY_COUNT, 0x001400
        .equ    KEY_BYTES, 0x001404     | one long each
        .equ    MOUSE_INDEX, 0x001420
        .equ    MOUSE_BYTES, 0x001424   | one long each

        .text
start:
        rom_init
        lea     KEY_COUNT, a0
        moveq   #15, d0
1:      clr.l   (a0)+
        dbra    d0, 1b
        move.l  #rx_full, VEC_RX_FULL
        move.l  #mouse_byte, VEC_LEVEL5
        move.b  #0x40, VR
        move.b  #0x10, IERA             | channel 12, receive buffer full
        move.b  #0x10, IMRA
        move.b  #0x92, PPI_CONTROL      | mode set: ports A and B in
        move.b  #0x00, PPI_C            | ports A and B show their low bytes
        move.w  #100, MOUSE_CURSOR_X
        move.w  #50, MOUSE_CURSOR_Y
        move.w  #0x2000, sr
        moveq   #10 - 1, d1
3:      next_frame
        tst.b   PPI_A                   | the program reads the ports: pads are polled
        dbra    d1, 3b
        move.b  #5, SCC_B_COMMAND       | WR5
        move.b  #2, SCC_B_COMMAND       | RTS: a packet
        next_frame
        next_frame
        moveq   #0, d0
        move.b  PPI_A, d0
        result  6, d0
        move.b  PPI_B, d0
        result  7, d0
        next_frame
        move.w  #0x2700, sr
        result  0, KEY_COUNT
        result  1, KEY_BYTES
        result  2, KEY_BYTES + 4
        result  3, MOUSE_BYTES
        result  4, MOUSE_BYTES + 4
        result  5, MOUSE_BYTES + 8
        rom_done

| keep_byte PORT, COUNT, LIST, MAX: a byte read from PORT joins LIST
| (one long each) while COUNT is below MAX.
        .macro  keep_byte port:req, count:req, list:req, max:req
        movem.l d0/a0, -(sp)
        moveq   #0, d0
        move.b  \port, d0
        move.l  \count, a0
        cmpa.w  #\max, a0
        bcc.s   1f
        adda.l  a0, a0
        adda.l  a0, a0
        move.l  d0, \list(a0)
        addq.l  #1, \count
1:      movem.l (sp)+, d0/a0
        rte
        .endm

rx_full:
        keep_byte UDR, KEY_COUNT, KEY_BYTES, 8

mouse_byte:
        keep_byte SCC_B_DATA, MOUSE_INDEX, MOUSE_BYTES, 3
