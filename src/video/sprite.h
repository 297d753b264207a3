// Page $EA0000-$EBFFFF: the MIDI board below $EB0000, the sprite, BG and
// PCG area from $EB0000.
#pragma once

#include <cstdint>

// Image of $EB0000-$EBFFFF (64 KB).
extern uint8_t* g_sprite_area;
inline constexpr uint32_t SPRITE_AREA_BASE = 0xEB0000, SPRITE_AREA_SIZE = 0x10000;

uint32_t spr_read_byte(uint32_t addr);
uint32_t spr_read_word(uint32_t addr);
uint32_t spr_read_long(uint32_t addr);
void spr_write_byte(uint32_t addr, uint32_t value);
void spr_write_word(uint32_t addr, uint32_t value);
void spr_write_long(uint32_t addr, uint32_t value);

// MIDI board ($EAFA00-$EAFA0F); the sprite handlers pass addresses below
// $EB0000 on to these.
uint32_t midi_read_byte(uint32_t addr);
uint32_t midi_read_word(uint32_t addr);
uint32_t midi_read_long(uint32_t addr);
void midi_write_byte(uint32_t addr, uint32_t value);
void midi_write_word(uint32_t addr, uint32_t value);
void midi_write_long(uint32_t addr, uint32_t value);
