// MSM6258 ADPCM, I/O slot 9 ($E92000-$E93FFF): stored bytes until the voice is written.
#pragma once

#include <cstdint>
#include <span>

struct AdpcmState {
    uint8_t regs[8];  // $E92001 and $E92003 at 1 and 3; the dump reads 1, 3 and 5
};
extern AdpcmState g_adpcm;

// Power-on: all 0. The reset line leaves it.
void adpcm_power_on();
std::span<const uint8_t> adpcm_state();

uint32_t adpcm_peek_byte(uint32_t addr);
uint32_t adpcm_read_byte(uint32_t addr);
uint32_t adpcm_read_word(uint32_t addr);
uint32_t adpcm_read_long(uint32_t addr);
void adpcm_write_byte(uint32_t addr, uint32_t value);
void adpcm_write_word(uint32_t addr, uint32_t value);
void adpcm_write_long(uint32_t addr, uint32_t value);

// Channel 3 of the DMAC started with STR and INT (FM other than 4).
void adpcm_dma_start_hook();
