// CRTC: register image R00-R24 and the operation port in I/O slot 0
// ($E80000-$E81FFF), with raster copy (text VRAM) and fast clear (graphic
// VRAM).
#pragma once

#include <cstdint>

// R00-R24 as host words; emulated byte k of $E80000 is image byte k ^ 1.
extern uint16_t g_crtc_regs[25];

inline uint32_t crtc_reg(unsigned n) { return g_crtc_regs[n]; }

// State of the operation port $E80481; only bit 1 is used (it toggles on
// every read).
extern uint8_t g_crtc_op_port;

// Slot 0 handlers. The byte handlers do the work; a word is its high byte
// then its low byte, a long its high word then its low word, so a side
// effect of a low byte sees the whole new register.
uint32_t crtc_read_byte(uint32_t addr);
uint32_t crtc_read_word(uint32_t addr);
uint32_t crtc_read_long(uint32_t addr);
void crtc_write_byte(uint32_t addr, uint32_t value);
void crtc_write_word(uint32_t addr, uint32_t value);
void crtc_write_long(uint32_t addr, uint32_t value);

// Raster copy: text raster R22 high byte onto raster R22 low byte (512
// bytes each) in the planes selected by R21 bits 0-3.
void crtc_raster_copy();
// Fast clear: zeroes the graphic rows under the Y scroll of the pages
// selected by R21 bits 0-3, by the colour mode of R20, and asks for a full
// redraw.
void crtc_fast_clear();
void crtc_fast_clear_page16(uint32_t page);   // page 0-3
void crtc_fast_clear_page256(uint32_t page);  // 0 (pages 0/1) or 2 (pages 2/3)
void crtc_fast_clear_64k();
void crtc_fast_clear_1024();
