#include "sound/adpcm.h"

#include "machine/device.h"
#include "machine/io_page.h"

AdpcmState g_adpcm;

void adpcm_power_on() { device_clear(g_adpcm); }
std::span<const uint8_t> adpcm_state() { return device_state_bytes(g_adpcm); }

uint32_t adpcm_peek_byte(uint32_t addr) { return g_adpcm.regs[addr & 3]; }
uint32_t adpcm_read_byte(uint32_t addr) { return adpcm_peek_byte(addr); }
void adpcm_write_byte(uint32_t addr, uint32_t value) { g_adpcm.regs[addr & 3] = uint8_t(value); }
uint32_t adpcm_read_word(uint32_t addr) { return io_word_of_bytes<adpcm_read_byte>(addr); }
uint32_t adpcm_read_long(uint32_t addr) { return io_long_of_bytes<adpcm_read_byte>(addr); }
void adpcm_write_word(uint32_t addr, uint32_t value) { io_word_to_bytes<adpcm_write_byte>(addr, value); }
void adpcm_dma_start_hook() {}
void adpcm_write_long(uint32_t addr, uint32_t value) { io_long_to_bytes<adpcm_write_byte>(addr, value); }
