// Text and graphic VRAM: the host stores and their page handlers.
#pragma once

#include <cstdint>

// Text VRAM, 512 KB for $E00000-$E7FFFF: four planes of 128 KB in MC68000
// byte order (emulated address A is byte A - $E00000).
extern uint8_t* g_tvram;
inline constexpr uint32_t TVRAM_BASE = 0xE00000, TVRAM_SIZE = 0x80000;
// Graphic VRAM store, 1 MB behind $C00000-$DFFFFF. Its layout follows the
// colour mode: one byte per pixel word (16 and 256 colours, 1024 x 1024) or
// big-endian 16-bit pixels in the first 512 KB (65536 colours).
extern uint8_t* g_gvram;
inline constexpr uint32_t GVRAM_BASE = 0xC00000, GVRAM_SIZE = 0x100000;

uint32_t tvram_read_byte(uint32_t addr);
uint32_t tvram_read_word(uint32_t addr);
uint32_t tvram_read_long(uint32_t addr);
void tvram_write_byte(uint32_t addr, uint32_t value);
void tvram_write_word(uint32_t addr, uint32_t value);
void tvram_write_long(uint32_t addr, uint32_t value);

// Byte-per-pixel modes (16 and 256 colours, 1024 x 1024): the pixel of word
// address A is store byte (A - $C00000) >> 1.
uint32_t gvram_read_byte(uint32_t addr);
uint32_t gvram_read_word(uint32_t addr);
uint32_t gvram_read_long(uint32_t addr);
void gvram_write_byte(uint32_t addr, uint32_t value);
void gvram_write_word(uint32_t addr, uint32_t value);
void gvram_write_long(uint32_t addr, uint32_t value);
void gvram_write_byte_1024(uint32_t addr, uint32_t value);
void gvram_write_word_1024(uint32_t addr, uint32_t value);
void gvram_write_long_1024(uint32_t addr, uint32_t value);
// 65536 colours: store byte = A - $C00000.
uint32_t gvram_read_byte_64k(uint32_t addr);
uint32_t gvram_read_word_64k(uint32_t addr);
uint32_t gvram_read_long_64k(uint32_t addr);
void gvram_write_byte_64k(uint32_t addr, uint32_t value);
void gvram_write_word_64k(uint32_t addr, uint32_t value);
void gvram_write_long_64k(uint32_t addr, uint32_t value);

// Re-lays the graphic store from the old colour mode (low 3 bits of the
// layout mode) for the new one.
void gvram_convert_layout(int32_t new_mode, int32_t old_mode);
