// MIDI board ($EAFA00-$EAFA0F): not fitted yet, so its addresses raise the
// bus error; the sprite page passes addresses below $EB0000 on to these.
#pragma once

#include <cstdint>

struct MidiState {
    uint32_t group_base;    // register group selected through R01, times 16
    int32_t host_state;     // 0 not open, 1 open, -1 opening failed
    uint32_t transmit_byte; // the last value written to R56
    int32_t enable;         // MIDI: output on
    uint8_t regs[256];
};
inline MidiState g_midi;
inline constexpr auto& g_cfg_midi = g_midi.enable;

uint32_t midi_read_byte(uint32_t addr);
uint32_t midi_read_word(uint32_t addr);
uint32_t midi_read_long(uint32_t addr);
void midi_write_byte(uint32_t addr, uint32_t value);
void midi_write_word(uint32_t addr, uint32_t value);
void midi_write_long(uint32_t addr, uint32_t value);
// Peeks of an absent board read $FF.
inline uint32_t midi_peek_byte(uint32_t) { return 0xFF; }
