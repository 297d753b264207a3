#include "sound/midi.h"

#include "core/bus.h"

uint32_t midi_read_byte(uint32_t addr) { mem_bus_error_read(addr); return 0; }
uint32_t midi_read_word(uint32_t addr) { mem_bus_error_read(addr); return 0; }
uint32_t midi_read_long(uint32_t addr) { mem_bus_error_read(addr); return 0; }
void midi_write_byte(uint32_t addr, uint32_t) { mem_bus_error_write(addr); }
void midi_write_word(uint32_t addr, uint32_t) { mem_bus_error_write(addr); }
void midi_write_long(uint32_t addr, uint32_t) { mem_bus_error_write(addr); }
