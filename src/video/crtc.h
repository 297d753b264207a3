// CRTC: register image R00-R24 and the operation port in I/O slot 0
// ($E80000-$E81FFF), with raster copy (text VRAM) and fast clear (graphic
// VRAM).
#pragma once

#include <cstdint>
#include <span>

#include "machine/bus_device.h"

// Register numbers (R00-R24; register n is at $E80000 + 2n).
enum CrtcReg : unsigned {
    // clang-format off
    CRTC_H_TOTAL = 0, CRTC_H_SYNC_END = 1, CRTC_H_DISP_START = 2, CRTC_H_DISP_END = 3,
    CRTC_V_TOTAL = 4, CRTC_V_SYNC_END = 5, CRTC_V_DISP_START = 6, CRTC_V_DISP_END = 7,
    CRTC_H_ADJUST = 8, CRTC_RASTER_INT = 9,
    CRTC_TEXT_X = 10, CRTC_TEXT_Y = 11,
    CRTC_GR0_X = 12, CRTC_GR0_Y = 13, CRTC_GR1_X = 14, CRTC_GR1_Y = 15,
    CRTC_GR2_X = 16, CRTC_GR2_Y = 17, CRTC_GR3_X = 18, CRTC_GR3_Y = 19,
    // clang-format on
    CRTC_MODE = 20,         // R20: high byte memory mode, low byte resolution
    CRTC_TEXT_ACCESS = 21,  // R21: simultaneous access, plane and page select
    CRTC_RASTER_COPY = 22,  // R22: source raster high byte, destination low byte
    CRTC_TEXT_MASK = 23,    // R23: text VRAM write mask
    CRTC_R24 = 24,
};
inline constexpr unsigned CRTC_REGS = 25;
inline constexpr unsigned CRTC_SCROLL_REGS = 10;  // R10-R19
inline constexpr uint32_t CRTC_BASE = 0xE80000;
inline constexpr uint16_t CRTC_RASTER_MASK = 0x03FF;  // line bits of R04-R09

// R20 fields.
inline constexpr uint16_t CRTC_MODE_H_RES = 0x0003;      // bits 0-1: horizontal resolution
inline constexpr uint16_t CRTC_MODE_V_RES = 0x000C;      // bits 2-3: vertical resolution, 0 = 256 lines
inline constexpr uint16_t CRTC_MODE_512_LINES = 0x0004;  // bit 2
inline constexpr uint16_t CRTC_MODE_HIGH_RES = 0x0010;   // bit 4: 31 kHz display
inline constexpr unsigned CRTC_MODE_SCAN_SHIFT = 2;      // bits 2-4 index the raster-step tables
inline constexpr unsigned CRTC_MODE_MEMORY_SHIFT = 8;    // bits 8-10: graphic memory mode
// R21 fields.
inline constexpr uint16_t CRTC_ACCESS_PLANES = 0x000F;        // bits 0-3: raster copy planes, fast clear pages
inline constexpr unsigned CRTC_ACCESS_WRITE_SHIFT = 4;        // bits 4-7: planes of a simultaneous write
inline constexpr uint16_t CRTC_ACCESS_SIMULTANEOUS = 0x0100;  // bit 8
inline constexpr uint16_t CRTC_ACCESS_MASKED = 0x0200;        // bit 9: R23 keeps its bits
// Operation port bits: written, they start the operation; bit 1 of the port
// toggles on every read.
inline constexpr uint8_t CRTC_OP_FAST_CLEAR = 0x02, CRTC_OP_RASTER_COPY = 0x08;
inline constexpr uint8_t CRTC_OP_READ_TOGGLE = 0x02;

struct CrtcState {
    uint16_t regs[CRTC_REGS];  // R00-R24 as host words; emulated byte k of $E80000 is image byte k ^ 1
    uint8_t op_port;           // $E80481; only bit 1 is used
};
extern CrtcState g_crtc;

// Power-on: every register and the port 0. The reset line leaves the CRTC
// as it is (the IPL ROM programs it).
void crtc_power_on();
std::span<const uint8_t> crtc_state();

inline uint32_t crtc_reg(CrtcReg n) { return g_crtc.regs[n]; }
// The scroll registers of graphic page 0-3.
inline CrtcReg crtc_graphic_x(uint32_t page) { return CrtcReg(CRTC_GR0_X + 2 * page); }
inline CrtcReg crtc_graphic_y(uint32_t page) { return CrtcReg(CRTC_GR0_Y + 2 * page); }
// R20 bits 8-10, the graphic memory mode; R20 bits 2-4, the scan mode.
inline uint32_t crtc_memory_mode() { return (crtc_reg(CRTC_MODE) >> CRTC_MODE_MEMORY_SHIFT) & 7; }
inline uint32_t crtc_scan_mode() { return (crtc_reg(CRTC_MODE) >> CRTC_MODE_SCAN_SHIFT) & 7; }

// Slot 0 handlers. The byte handlers do the work; a word is its high byte
// then its low byte, a long its high word then its low word, so a side
// effect of a low byte sees the whole new register. A read of the operation
// port toggles its bit 1 first.
uint32_t crtc_read_byte(uint32_t addr);
void crtc_write_byte(uint32_t addr, uint32_t value);
// The byte a read at addr gives, without its side effect: the operation
// port as it stands, untoggled.
uint32_t crtc_peek_byte(uint32_t addr);
inline constexpr BusDevice CRTC_BUS = bus_device_of_bytes<crtc_read_byte, crtc_write_byte, crtc_peek_byte>();

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
