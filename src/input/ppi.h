// i8255 joystick ports, I/O slot 13 ($E9A000-$E9BFFF): the ports read $FF
// (nothing pressed); a word access uses the byte at address + 1.
#pragma once

#include <cstdint>
#include <span>

inline constexpr uint32_t PPI_END = 0xE9A008;  // ports A, B, C and control

struct PpiState {
    uint8_t regs[16];
};
extern PpiState g_ppi;

// Power-on: every byte $FF. The reset line leaves it.
void ppi_power_on();
std::span<const uint8_t> ppi_state();

uint32_t ppi_peek_byte(uint32_t addr);
uint32_t ppi_read_byte(uint32_t addr);
uint32_t ppi_read_word(uint32_t addr);
uint32_t ppi_read_long(uint32_t addr);
void ppi_write_byte(uint32_t addr, uint32_t value);
void ppi_write_word(uint32_t addr, uint32_t value);
void ppi_write_long(uint32_t addr, uint32_t value);
