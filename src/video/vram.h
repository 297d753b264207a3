// Text and graphic VRAM: the host stores and their page handlers. Every
// write marks the lines it touches in the dirty-line tables of g_video
// (video_state.h), which the frame composition consumes.
#pragma once

#include <cstdint>
#include <span>

#include "machine/bus_device.h"

// Text VRAM, 512 KB for $E00000-$E7FFFF: four planes of 128 KB in MC68000
// byte order (emulated address A is byte A - $E00000). A text line is 128
// bytes, one bit per dot with bit 7 leftmost; a plane holds 1024 lines, and
// dirty entry (offset >> 7) & 0x3FF covers the line in all four planes.
extern uint8_t* g_tvram;
inline constexpr uint32_t TVRAM_BASE = 0xE00000, TVRAM_SIZE = 0x80000;
inline constexpr uint32_t TVRAM_PLANE_SIZE = 0x20000;
// The text VRAM's state is its image, which the memory map allocates.
// Power-on: the image 0 (nothing before it is allocated). The reset line
// leaves it as it is.
void tvram_power_on();
std::span<const uint8_t> tvram_state();  // the image; empty before it is allocated
// Graphic VRAM store, 1 MB behind $C00000-$DFFFFF, laid out by the colour
// mode (CRTC R20 bits 8-10):
//   0  16 colours: one byte per pixel word, page p at p * $40000, 512 bytes
//      per line; dirty entry page * 512 + line.
//   1  256 colours: one byte per pixel word, pages 0/1 at 0 and pages 2/3 at
//      $40000, 512 bytes per line; dirty entry pair * 512 + line.
//   3  65536 colours: big-endian 16-bit pixels in the first 512 KB, 1024
//      bytes per line; dirty entry = line.
//   2, 4-7  1024 x 1024, 16 colours: one byte per pixel word, linear, 1024
//      bytes per line; dirty entry = line.
extern uint8_t* g_gvram;
inline constexpr uint32_t GVRAM_BASE = 0xC00000, GVRAM_SIZE = 0x100000;
// Likewise the graphic VRAM's state is its store: power-on zeroes it, the
// reset line leaves it.
void gvram_power_on();
std::span<const uint8_t> gvram_state();  // the store; empty before it is allocated

// Text handlers. Reads return the stored bytes. Writes follow CRTC R21: bit 9
// keeps the bits set in R23 (the write mask), bit 8 writes the same plane-0
// offset into each plane of bits 4-7 (none selected: nothing is written).
extern const BusDevice TVRAM_BUS;

// Byte-per-pixel modes (16 and 256 colours, 1024 x 1024): the pixel of word
// address A is store byte (A - $C00000) >> 1. Reads give the pixel as the
// low byte of the word (an even-address byte reads 0); writes store the low
// byte of the word (an even-address byte write is ignored). The writes of
// GVRAM_BUS mark 512-pixel lines, those of GVRAM_1024_BUS 1024-pixel lines.
extern const BusDevice GVRAM_BUS, GVRAM_1024_BUS;
// 65536 colours: store byte = A - $C00000, big-endian words.
extern const BusDevice GVRAM_64K_BUS;

// Re-lays the graphic store from the old colour mode (low 3 bits of the
// layout mode) for the new one, through a 512 x 512 image of 16-bit words,
// so that the picture survives the change. Dirty flags are left alone.
void gvram_convert_layout(int32_t new_mode, int32_t old_mode);
