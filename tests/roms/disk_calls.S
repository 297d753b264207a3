| Disk IOCS calls $40-$4F by TRAP #15 on the images the test makes:
|   FD0 a writable type-0 image (each 1024-byte sector begins with its index),
|   FD1 a read-only image, FD2 empty, "hd0.hdf" (each 256-byte record begins
|   with its number), "hd1.xdf" alone, no unit 2 or 3.
        .include "report.inc"
        reset_vectors STACK_TOP, start

        .equ    BUF, 0x020000
        .equ    WBUF, 0x021000
        .equ    HBUF, 0x022000

| disk N, call, unit, D2, D3, A1: results N..N+3 := D0, D2, D3, A1 after the call.
        .macro  disk slot:req, call:req, unit:req, pos:req, len:req, buf:req
        moveq   #\call, d0
        move.w  #\unit, d1
        move.l  #\pos, d2
        move.l  #\len, d3
        movea.l #\buf, a1
        trap    #15
        result  \slot, d0
        result  \slot + 1, d2
        result  \slot + 2, d3
        result  \slot + 3, a1
        .endm
| status N, call, unit, D2: result N := D0 after the call.
        .macro  status slot:req, call:req, unit:req, pos:req
        moveq   #\call, d0
        move.w  #\unit, d1
        move.l  #\pos, d2
        moveq   #0, d3
        trap    #15
        result  \slot, d0
        .endm

        .text
start:
        rom_init
        lea     WBUF, a0
        move.w  #255, d0
1:      move.l  #0xA5A5A5A5, (a0)+
        dbra    d0, 1b
| Floppy reads.
        disk    0, 0x46, 0x9000, 0x03010108, 2048, BUF
        result  4, BUF
        result  5, BUF + 0x400
        disk    6, 0x46, 0x9000, 0x03000103, 0, BUF
        status  10, 0x46, 0x9000, 0x03510001
        status  11, 0x46, 0x9000, 0x03000009
        status  12, 0x46, 0x9000, 0x03000000
        disk    13, 0x46, 0x9000, 0x034C0108, 2048, BUF
        disk    17, 0x4C, 0x9000, 0x03010108, 4, PCG
        result  21, PCG
        catch   2f
        disk    22, 0x46, 0x9000, 0x03000001, 16, UNMAPPED
2:      caught
        result  26, CAUGHT
| Floppy writes.
        status  27, 0x45, 0x9000, 0x03000001
        disk    28, 0x45, 0x9000, 0x03020001, 1024, PCG
        disk    32, 0x45, 0x9000, 0x03020001, 1024, WBUF
        disk    36, 0x45, 0x9100, 0x03020001, 1024, WBUF
        status  40, 0x44, 0x9100, 0
        disk    41, 0x45, 0x9000, 0x03500108, 2048, WBUF
| Verify, position only, read ID.
        disk    45, 0x41, 0x9000, 0x03000001, 1024, BUF
        status  49, 0x41, 0x9200, 0x03000001
        disk    50, 0x42, 0x9000, 0x03010001, 4096, BUF
        status  54, 0x42, 0x9200, 0x03000001
        status  55, 0x4A, 0x9000, 0x03050001
        status  56, 0x4A, 0x9000, 0x02050001
        status  57, 0x4A, 0x9000, 0x03510001
| Sense, seek, recalibrate, format, the fixed calls.
        status  58, 0x44, 0x9000, 0
        status  59, 0x44, 0x9200, 0
        status  60, 0x40, 0x9100, 0
        status  61, 0x40, 0x9200, 0
        status  62, 0x47, 0x9200, 0
        status  63, 0x4D, 0x9000, 0
        status  64, 0x43, 0x9000, 0
        status  65, 0x48, 0x9000, 0
        status  66, 0x49, 0x9000, 0
        status  67, 0x4B, 0x9000, 0
| Hard disk.
        disk    68, 0x46, 0x8000, 5, 512, HBUF
        result  72, HBUF
        result  73, HBUF + 0x100
        status  74, 0x46, 0x8000, 0x00800000
        disk    75, 0x46, 0x8200, 0, 256, HBUF
        disk    79, 0x46, 0x8100, 1, 256, HBUF
        result  83, HBUF
        disk    84, 0x45, 0x8000, 3, 256, WBUF
        disk    88, 0x45, 0x8000, 4, 256, WBUF
        disk    92, 0x45, 0x8000, 35, 256, WBUF
        status  96, 0x40, 0x8200, 0
        status  97, 0x47, 0x8000, 0
        status  98, 0x4D, 0x8300, 2
        status  99, 0x4D, 0x8100, 0
        status  100, 0x44, 0x8200, 0
| Drive check and eject.
        status  101, 0x4E, 0x9000, 0
        status  102, 0x4E, 0x9100, 0
        status  103, 0x4E, 0x9200, 0
        status  104, 0x4E, 0x9000, 8
        status  105, 0x4E, 0x9000, 8
        status  106, 0x4E, 0x9000, 8
        status  107, 0x4E, 0x9000, 2
        status  108, 0x4E, 0x9000, 1
        status  109, 0x4E, 0x9000, 9
        status  110, 0x4F, 0x9000, 0
        status  111, 0x44, 0x9000, 0
        status  112, 0x4E, 0x9200, 4
        rom_done
