// Host-file-system drive port, I/O slot 15 ($E9E000-$E9FFFF, byte
// accesses): not fitted yet, so its port is a bus error and the emulated
// driver finds no drive.
#pragma once

#include <cstdint>

inline uint32_t windrv_io_peek_byte(uint32_t) { return 0xFF; }
uint32_t windrv_io_read_byte(uint32_t addr);
void windrv_io_write_byte(uint32_t addr, uint32_t value);
