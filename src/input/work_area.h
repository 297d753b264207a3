// Firmware work areas in main RAM that the input devices read and write:
// big-endian words, touched only while main RAM exists.
#pragma once

#include <cstdint>

#include "machine/machine.h"

inline bool work_area_has(uint32_t addr, uint32_t size) {
    return g_machine.main_ram && addr + size <= g_machine.main_ram_size;
}

inline uint8_t work_area_byte(uint32_t addr) { return work_area_has(addr, 1) ? g_machine.main_ram[addr] : 0; }

inline uint16_t work_area_word(uint32_t addr) {
    if (!work_area_has(addr, 2)) return 0;
    return uint16_t(g_machine.main_ram[addr] << 8 | g_machine.main_ram[addr + 1]);
}

inline void work_area_set_word(uint32_t addr, uint16_t v) {
    if (!work_area_has(addr, 2)) return;
    g_machine.main_ram[addr] = uint8_t(v >> 8);
    g_machine.main_ram[addr + 1] = uint8_t(v);
}
