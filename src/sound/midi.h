// MIDI board ($EAFA00-$EAFA0F): not fitted yet, so its addresses raise the
// bus error; the sprite page passes addresses below $EB0000 on to these.
#pragma once

#include <cstdint>

uint32_t midi_read_byte(uint32_t addr);
uint32_t midi_read_word(uint32_t addr);
uint32_t midi_read_long(uint32_t addr);
void midi_write_byte(uint32_t addr, uint32_t value);
void midi_write_word(uint32_t addr, uint32_t value);
void midi_write_long(uint32_t addr, uint32_t value);
// Peeks of an absent board read $FF.
inline uint32_t midi_peek_byte(uint32_t) { return 0xFF; }
