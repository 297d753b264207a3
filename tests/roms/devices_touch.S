| Changes some state of every device, then powers off: after that a new
| start must find each device as a fresh power-on leaves it.
        .include "report.inc"

        reset_vectors STACK_TOP, start

        .text
start:
        rom_init
        | CRTC registers and the operation port, palette, video controller
        move.w  #0x0316, 0xE80028       | R20
        move.w  #0x0123, 0xE80014       | R10 text X scroll
        move.w  #0x0033, 0xE8002A       | R21
        move.w  #0xAAAA, 0xE8002E       | R23 text mask
        tst.b   0xE80481                | operation port read
        move.w  #0x7FFF, 0xE82002       | graphic palette 1
        move.w  #0x1234, 0xE82202       | text palette 1
        move.w  #0x0004, 0xE82400       | video controller R0
        move.w  #0x1234, 0xE82500       | R1
        move.w  #0x007F, 0xE82600       | R2
        | DMA controller, area set, MFP, RTC, system port
        move.b  #0x55, 0xE84005
        move.b  #0x40, 0xE86001         | area set
        move.b  #0x40, 0xE88017         | MFP VR
        move.b  #0x21, 0xE8800F         | ISRA
        move.b  #0x77, 0xE88025         | TDDR
        move.b  #0x01, 0xE8A01B         | RTC mode: bank 1
        move.b  #0x08, 0xE8A01F         | RTC reset register, 1 Hz off
        move.b  #0x0B, 0xE8E001         | contrast
        move.b  #0x02, 0xE8E007         | display byte
        | YM2151 (a key on: the OPL road's key slots), ADPCM (four bytes
        | through the WAV road's decoder), floppy controller, SCC, i8255
        .equ    ADPCM_BYTES, 0x002000
        move.b  #0x20, 0xE90001
        move.b  #0xC7, 0xE90003
        move.b  #0x08, 0xE90001
        move.b  #0x78, 0xE90003         | channel 0, every slot
        move.l  #0x77777777, ADPCM_BYTES
        move.l  #ADPCM_BYTES, 0xE840CC  | channel 3 MAR
        move.w  #4, 0xE840CA            | MTC
        move.b  #0x0B, 0xE9A005         | i8255 port C: 15.6 kHz, both sides off
        move.b  #0x02, 0xE92001
        move.b  #0x03, 0xE94003
        tst.b   0xE94001                | floppy status toggles
        move.b  #0x09, 0xE98001
        move.b  #0x92, 0xE9A007
        | sprite registers, BG, PCG, text and graphic VRAM
        move.w  #0x0111, 0xEB0000
        move.w  #0x0022, 0xEB0808       | BG control
        move.w  #0x0025, 0xEB0810       | sprite resolution
        move.w  #0xF0F0, 0xEB8000       | PCG
        move.w  #0xFFFF, 0xE00000       | text VRAM
        move.w  #0x000F, 0xC00000       | graphic VRAM
        | RS-232C calls: a mode and a byte out
        move.l  #0x4E07, d1
        moveq   #0x30, d0               | SET232C
        trap    #15
        moveq   #0x41, d1
        moveq   #0x35, d0               | OUT232C
        trap    #15
        | FE-call FPU: 1 / 3 leaves the inexact flag, which no report clears
        move.l  #0x3FF00000, d0
        moveq   #0, d1
        move.l  #0x40080000, d2
        moveq   #0, d3
        .word   0xFE2E                  | __DDIV
        rom_done
