// SASI hard disk controller stub, I/O slot 11 ($E96000-$E97FFF): reads 0, writes vanish.
#pragma once

#include <cstdint>

inline uint32_t sasi_peek_byte(uint32_t) { return 0; }
uint32_t sasi_read_byte(uint32_t addr);
uint32_t sasi_read_word(uint32_t addr);
uint32_t sasi_read_long(uint32_t addr);
void sasi_write_byte(uint32_t addr, uint32_t value);
void sasi_write_word(uint32_t addr, uint32_t value);
void sasi_write_long(uint32_t addr, uint32_t value);
