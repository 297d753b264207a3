| MFP from inside the machine, across frames: the V-DISP and raster
| interrupts, GPIP bits, timers C and D (periodic), timer A in delay and
| in V-DISP event-count mode, the counting read of a timer data register
| and the unused bytes of the register window.
|
| The CRTC is set to 567 lines, display from line 40 to 552, raster
| interrupt at line 200. Timer C: mode 6 (prescale 100), data 144, so 145
| x 100 MFP steps, 5.0 a frame. Timer D: mode 4 (prescale 50), data 144,
| 10.0 a frame. A frame has 72724 MFP steps whatever its cycle budget.
|
| Results (counts taken between two V-DISP rises):
|    0  V-DISP interrupts in 10 frames       1  raster interrupts in them
|    2  GPIP reads that saw bit 6            3  OR of all GPIP reads AND $F2
|    4  AND of all GPIP reads AND $F2
|    5  timer C interrupts in 10 frames      6  timer D interrupts in them
|    7  timer C in 3 frames after IERB bit 5 is cleared
|    8  timer D in those 3 frames            9  timer D in 2 frames after TCDCR := 0
|   10  timer A interrupts in 5 frames after one delay-mode start (256 x 200 steps)
|   11  timer A interrupts in 9 frames of event counting from 3
|   12  TADR after them                     13  TADR one frame later
|   14  TCDR read with timer C stopped after writing $55
|   15  TCDR read some 2000 cycles after writing 144 and starting mode 6
|   16  TCDR read some 2000 cycles later
|   17  $E88033 read after writing $77      18  $E88031 read after writing $66
        .include "report.inc"

        reset_vectors STACK_TOP, start

        .equ    COUNTS, 0x001400        | interrupt counters, cleared below
        .equ    CNT_VDISP, COUNTS+0
        .equ    CNT_RASTER, COUNTS+4
        .equ    CNT_C, COUNTS+8
        .equ    CNT_D, COUNTS+12
        .equ    CNT_A, COUNTS+16
        .equ    SNAP, COUNTS+0x20       | counters at the start of a window

        .macro  set_vector channel:req, handler:req
        move.l  #\handler, (MFP_VECTORS+\channel)*4
        .endm

| result N := counter now - counter at the last snapshot.
        .macro  delta slot:req, counter:req
        move.l  \counter, d7
        sub.l   SNAP+(\counter-COUNTS), d7
        result  \slot, d7
        .endm

        .text
start:
        rom_init
        lea     COUNTS, a0
        moveq   #15, d0
1:      clr.l   (a0)+
        dbra    d0, 1b
        set_vector 6, irq_vdisp
        set_vector 14, irq_raster
        set_vector 5, irq_timer_c
        set_vector 4, irq_timer_d
        set_vector 13, irq_timer_a

        move.w  #567, CRTC+0x08         | R04 vertical total
        move.w  #5, CRTC+0x0A           | R05 end of sync
        move.w  #40, CRTC+0x0C          | R06 display start
        move.w  #552, CRTC+0x0E         | R07 display end
        move.w  #200, CRTC+0x12         | R09 raster interrupt line

        clr.b   IERA
        clr.b   IERB
        clr.b   IMRA
        clr.b   IMRB
        clr.b   TACR
        clr.b   TCDCR
        move.b  #MFP_VECTORS, VR
        move.b  #0x10, AER              | V-DISP counts on its rise
        move.b  #144, TCDR
        move.b  #144, TDDR
        move.b  #0x64, TCDCR            | C mode 6, D mode 4
        move.b  #0x70, IMRB             | V-DISP, timer C, timer D
        move.b  #0x70, IERB
        move.b  #0x40, IMRA             | raster
        move.b  #0x40, IERA
        move.w  #0x2000, sr

        moveq   #1, d1
        bsr     wait_frames
        bsr     snapshot
        moveq   #0, d2                  | OR of the reads
        moveq   #-1, d3                 | AND of the reads
        moveq   #0, d4                  | reads with bit 6
        moveq   #10, d1
        bsr     wait_frames
        bsr     settle
        delta   0, CNT_VDISP
        delta   1, CNT_RASTER
        result  2, d4
        andi.l  #0xF2, d2
        result  3, d2
        andi.l  #0xF2, d3
        result  4, d3
        delta   5, CNT_C
        delta   6, CNT_D

        move.b  #0x50, IERB             | timer C off, the others stay
        bsr     snapshot
        moveq   #3, d1
        bsr     wait_frames
        bsr     settle
        delta   7, CNT_C
        delta   8, CNT_D
        move.b  #0x00, TCDCR
        bsr     snapshot
        moveq   #2, d1
        bsr     wait_frames
        bsr     settle
        delta   9, CNT_D

| Timer A, delay mode: one interrupt per start.
        move.b  #0, TADR                | 256 steps
        move.b  #0x07, TACR             | prescale 200; IERA bit 5 still clear
        move.b  #0x20, IMRA
        bsr     snapshot
        move.b  #0x20, IERA             | starts it
        moveq   #5, d1
        bsr     wait_frames
        bsr     settle
        delta   10, CNT_A

| Timer A, event count: a V-DISP rise counts TADR down; at 0 it reloads
| and interrupts.
        clr.b   TACR
        move.b  #3, TADR
        move.b  #0x08, TACR
        bsr     snapshot
        moveq   #9, d1
        bsr     wait_frames
        bsr     settle
        delta   11, CNT_A
        byte_result 12, TADR
        moveq   #1, d1
        bsr     wait_frames
        bsr     settle
        byte_result 13, TADR

| Counting reads of TCDR.
        move.w  #0x2700, sr
        clr.b   TCDCR
        clr.b   IERA
        clr.b   IERB
        move.b  #0x55, TCDR
        byte_result 14, TCDR
        move.b  #144, TCDR
        move.b  #0x60, TCDCR
        move.w  #200, d0
        bsr     delay
        byte_result 15, TCDR
        move.w  #200, d0
        bsr     delay
        byte_result 16, TCDR
        clr.b   TCDCR

        move.b  #0x77, MFP+0x33
        byte_result 17, MFP+0x33
        move.b  #0x66, MFP+0x31
        byte_result 18, MFP+0x31

        clr.b   TACR
        clr.b   IMRA
        clr.b   IMRB
        clr.b   AER
        clr.w   CRTC+0x12
        clr.w   CRTC+0x0E
        clr.w   CRTC+0x0C
        clr.w   CRTC+0x0A
        clr.w   CRTC+0x08
        rom_done

| Waits for d1 V-DISP rises. Every GPIP read goes into d2 (OR), d3 (AND)
| and d4 (reads that saw bit 6).
wait_frames:
        subq.w  #1, d1
1:      bsr.s   read_gpip
        btst    #4, d0
        bne.s   1b
2:      bsr.s   read_gpip
        btst    #4, d0
        beq.s   2b
        dbra    d1, 1b
        rts

read_gpip:
        move.b  GPIP, d0
        or.b    d0, d2
        and.b   d0, d3
        btst    #6, d0
        beq.s   3f
        addq.l  #1, d4
3:      rts

| Lets the interrupts of an edge just seen arrive (they come 1 to 10
| cycles after it).
settle:
        move.w  #20, d0
delay:
4:      dbra    d0, 4b
        rts

snapshot:
        bsr.s   settle
        lea     COUNTS, a0
        lea     SNAP, a1
        moveq   #4, d0
5:      move.l  (a0)+, (a1)+
        dbra    d0, 5b
        rts

irq_vdisp:
        addq.l  #1, CNT_VDISP
        rte
irq_raster:
        addq.l  #1, CNT_RASTER
        rte
irq_timer_c:
        addq.l  #1, CNT_C
        rte
irq_timer_d:
        addq.l  #1, CNT_D
        rte
irq_timer_a:
        addq.l  #1, CNT_A
        rte
