#include "input/scc.h"

#include "machine/device.h"
#include "machine/io_page.h"

SccState g_scc;

void scc_power_on() { device_clear(g_scc); }
std::span<const uint8_t> scc_state() { return device_state_bytes(g_scc); }

uint32_t scc_peek_byte(uint32_t addr) { return g_scc.regs[addr & 7]; }
uint32_t scc_read_byte(uint32_t addr) { return scc_peek_byte(addr); }
void scc_write_byte(uint32_t addr, uint32_t value) { g_scc.regs[addr & 7] = uint8_t(value); }
uint32_t scc_read_word(uint32_t addr) { return io_word_of_bytes<scc_read_byte>(addr); }
uint32_t scc_read_long(uint32_t addr) { return io_long_of_bytes<scc_read_byte>(addr); }
void scc_write_word(uint32_t addr, uint32_t value) { scc_write_byte(addr + 1, value); }
void scc_write_long(uint32_t addr, uint32_t value) {
    scc_write_word(addr, value >> 16);
    scc_write_word(addr + 2, value);
}
