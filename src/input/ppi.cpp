#include "input/ppi.h"

#include <cstring>

#include "machine/device.h"

PpiState g_ppi;

void ppi_power_on() { std::memset(g_ppi.regs, 0xFF, sizeof g_ppi.regs); }
std::span<const uint8_t> ppi_state() { return device_state_bytes(g_ppi); }

uint32_t ppi_peek_byte(uint32_t addr) { return g_ppi.regs[addr & 0xF]; }
uint32_t ppi_read_byte(uint32_t addr) { return ppi_peek_byte(addr); }
void ppi_write_byte(uint32_t addr, uint32_t value) {
    if ((addr & 0xFFFFFF) < PPI_END) g_ppi.regs[addr & 7] = uint8_t(value);
}
uint32_t ppi_read_word(uint32_t addr) { return ppi_read_byte(addr + 1); }
uint32_t ppi_read_long(uint32_t addr) { return (ppi_read_word(addr) << 16) | ppi_read_word(addr + 2); }
void ppi_write_word(uint32_t addr, uint32_t value) { ppi_write_byte(addr + 1, value); }
void ppi_write_long(uint32_t addr, uint32_t value) {
    ppi_write_word(addr, value >> 16);
    ppi_write_word(addr + 2, value);
}
