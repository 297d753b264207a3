// Printer port, I/O slot 6 ($E8C000-$E8DFFF): no printer; reads 0, writes vanish.
#pragma once

#include <cstdint>

inline uint32_t prt_peek_byte(uint32_t) { return 0; }
uint32_t prt_read_byte(uint32_t addr);
uint32_t prt_read_word(uint32_t addr);
uint32_t prt_read_long(uint32_t addr);
void prt_write_byte(uint32_t addr, uint32_t value);
void prt_write_word(uint32_t addr, uint32_t value);
void prt_write_long(uint32_t addr, uint32_t value);
