// Palette RAM and the video controller, I/O slot 1 ($E82000-$E83FFF), and
// the colour table that turns colour words into host pixels.
#pragma once

#include <cstdint>
#include <span>

#include "machine/bus_device.h"

inline constexpr uint32_t PAL_BASE = 0xE82000;  // I/O slot 1: palette, then the video controller

// Video controller R0 ($E82400), R1 ($E82500), R2 ($E82600), each high byte
// first, as bytes of the register image.
enum VcByte : uint32_t {
    VC_R0_HIGH = 0,
    VC_R0_LOW = 1,   // bits 0-2: colour mode (3 = 65536 colours)
    VC_R1_HIGH = 2,  // bits 0-1 graphic, 2-3 text, 4-5 sprite/BG priority
    VC_R1_LOW = 3,   // graphic page order, 2 bits per position, front first
    VC_R2_HIGH = 4,  // half-tone and special priority
    VC_R2_LOW = 5,   // layer enables: bit 6 sprites/BG, 5 text, 0-3 graphic, 4 1024 screen
};
inline constexpr uint32_t VC_BYTES = 6;

struct PaletteState {
    // Palette RAM $E82000-$E823FF: 512 colour words in MC68000 byte order.
    // Words 0-255 are the graphic palette, 256-511 text (256-271) and
    // sprites and BG (block b at 256 + 16 b).
    uint8_t palette[0x400];
    // Video controller registers, and the copy the composition reads
    // priorities and modes from (taken at the display start and at raster
    // interrupts below line 128).
    uint8_t vc_regs[VC_BYTES];
    uint8_t vc_latch[VC_BYTES];
    // Palette writes since the last paced redraw, and frames without any.
    uint32_t change_count;
    uint32_t quiet_frames;
};
extern PaletteState g_pal;

// Power-on: palette, registers and counts 0; the colour table forgets what
// it was built for, so the next pal_build_lut builds it. The reset line
// leaves palette and video controller as they are.
void pal_power_on();
std::span<const uint8_t> pal_state();

inline uint32_t pal_word(uint32_t j) {
    const uint8_t* p = g_pal.palette + ((j & 0x1FF) << 1);
    return (uint32_t(p[0]) << 8) | p[1];
}


// Colour word G5 R5 B5 I1 -> host pixel (555 or 565 by g_video_host),
// scaled by the contrast; indexed by the colour word itself. Only colour
// word 0 gives host pixel 0, the renderers' transparent pixel.
extern uint16_t g_pal_lut[0x10000];

// Slot 1 handlers: the byte handlers do the work; a word is its high byte
// then its low byte, a long its high word then its low word. Reads have no
// side effects: a peek is a byte read.
uint32_t pal_peek_byte(uint32_t addr);
uint32_t pal_read_byte(uint32_t addr);
void pal_write_byte(uint32_t addr, uint32_t value);
inline constexpr BusDevice PALETTE_BUS = bus_device_of_bytes<pal_read_byte, pal_write_byte, pal_peek_byte>();

// Sets the contrast register to 15 and builds the table afresh (for a new
// host pixel format too).
void pal_alloc_lut();
// Rebuilds the table when the contrast ($E8E001 bits 0-3) is not the one
// it holds, and then asks for a full redraw of the next frame.
void pal_build_lut();
// The table is a fixed array; this only forgets what it was built for.
void pal_free_lut();
// Once per composed frame, before the composition: turns palette writes
// into paced full-redraw requests. Returns 0.
uint32_t pal_refresh_pacing();
