// Z8530 SCC (mouse), I/O slot 12 ($E98000-$E99FFF): stored bytes until the
// mouse is written; a word write is a byte write of its low byte to address + 1.
#pragma once

#include <cstdint>
#include <span>

struct SccState {
    uint8_t regs[8];
};
extern SccState g_scc;

// Power-on: all 0. The reset line leaves it.
void scc_power_on();
std::span<const uint8_t> scc_state();

uint32_t scc_peek_byte(uint32_t addr);
uint32_t scc_read_byte(uint32_t addr);
uint32_t scc_read_word(uint32_t addr);
uint32_t scc_read_long(uint32_t addr);
void scc_write_byte(uint32_t addr, uint32_t value);
void scc_write_word(uint32_t addr, uint32_t value);
void scc_write_long(uint32_t addr, uint32_t value);
