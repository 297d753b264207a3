// Page $EA0000-$EBFFFF: the MIDI board below $EB0000, the sprite, BG and
// PCG area from $EB0000, and the sprite unit's mid-frame table snapshots.
#pragma once

#include <cstdint>
#include <span>

#include "machine/bus_device.h"

// Image of $EB0000-$EBFFFF (64 KB) in MC68000 byte order, like every other
// image of the machine: emulated byte A is image byte A - $EB0000, so code
// fetched from the page sees the words the program wrote. Read registers,
// sprite records and map entries with spr_area_word; a PCG cell row (8 dots,
// most significant nibble first) is spr_area_long.
extern uint8_t* g_sprite_area;
inline constexpr uint32_t SPRITE_AREA_BASE = 0xEB0000, SPRITE_AREA_SIZE = 0x10000;

// Offsets into the image.
inline constexpr uint32_t SPR_TABLE = 0x0000;       // sprite s at 8 s: X, Y, attribute, priority
inline constexpr uint32_t SPR_TABLE_BYTES = 0x400;  // the 128 records
inline constexpr uint32_t SPR_BG0_X = 0x800, SPR_BG0_Y = 0x802, SPR_BG1_X = 0x804, SPR_BG1_Y = 0x806;
inline constexpr uint32_t SPR_BG_CTRL = 0x808;                     // bit 9 display, bits 0/1 BG0 on/page, bits 3/4 BG1
inline constexpr uint32_t SPR_H_DISP = 0x80C, SPR_V_DISP = 0x80E;  // plane display position
inline constexpr uint32_t SPR_RESOLUTION = 0x810;
inline constexpr uint32_t SPR_PCG = 0x8000;                            // 1024 cells of 32 bytes
inline constexpr uint32_t SPR_BG_MAP0 = 0xC000, SPR_BG_MAP1 = 0xE000;  // 64 x 64 words each

// Word at an image offset (the offset is taken even and within the image).
inline uint32_t spr_area_word(uint32_t offset) {
    const uint8_t* p = g_sprite_area + (offset & (SPRITE_AREA_SIZE - 2));
    return (uint32_t(p[0]) << 8) | p[1];
}
// Long at an image offset; the second word wraps within the image.
inline uint32_t spr_area_long(uint32_t offset) { return (spr_area_word(offset) << 16) | spr_area_word(offset + 2); }
// Word of a snapshot of the sprite table (offset 0-$3FF, same layout).
inline uint32_t spr_table_word(const uint8_t* table, uint32_t offset) {
    const uint8_t* p = table + (offset & (SPR_TABLE_BYTES - 2));
    return (uint32_t(p[0]) << 8) | p[1];
}

inline constexpr uint32_t SPR_SNAPSHOTS = 16;

struct SpriteBand {
    uint16_t first;  // first picture line of the band
    uint16_t last;   // last picture line
};

// The sprite/BG unit. Part of the machine's per-frame video state: the
// frame start zeroes reserved, armed, prev_raster, cur_raster and
// snapshot_count; a raster interrupt sets cur_raster and, on a line above
// 0, armed; the display start (and raster interrupts below line 128) latch
// resolution from $EB0810.
struct SpriteUnit {
    uint32_t reserved;
    uint32_t armed;           // nonzero: the next write below $EB0800 snapshots the table first
    uint32_t prev_raster;     // raster line where the current band began
    uint32_t cur_raster;      // raster line of the latest raster interrupt
    uint32_t snapshot_count;  // snapshots taken this frame, 0-16
    uint32_t resolution;      // latched $EB0810: bit 0 512-dot width, bit 2 512 lines,
                              // bits 2-3 both 0: vertical coordinates halved
    uint8_t snapshots[SPR_SNAPSHOTS][SPR_TABLE_BYTES];  // copies of $EB0000-$EB03FF
    SpriteBand snapshot_bands[SPR_SNAPSHOTS];
};
extern SpriteUnit g_sprite_unit;

// Power-on: the unit 0 and the image (once allocated) filled with 0xFF. The
// reset line leaves both as they are. The state is the unit; the image
// belongs to the memory map's allocation.
void spr_power_on();
std::span<const uint8_t> spr_state();
// Fills the image with 0xFF, as the machine powers up (nothing before the
// image is allocated).
void spr_init_area();

// Saves the sprite table with the band from prev_raster to cur_raster and
// disarms; does nothing once 16 snapshots exist this frame.
void spr_take_snapshot();

// Raster lines to picture lines: value x factor / 2 (truncated toward 0),
// the factor indexed by the CRTC scan mode (R20 bits 2-4).
extern const int32_t g_spr_raster_factor_table[8];
int32_t spr_scale_raster(int32_t value);

// Page handlers of $EA0000-$EBFFFF. Below $EB0000 they hand the access to
// the MIDI board.
extern const BusDevice SPRITE_BUS;
