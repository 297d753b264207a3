// Shared steps of the arithmetic handlers (ops_arith.cpp, ops_extended.cpp).
#pragma once

#include <cstdint>

#include "core/bus.h"
#include "core/cpu_regs.h"
#include "core/flags.h"
#include "core/trace.h"

namespace arith {

template <int Bits> inline constexpr uint32_t kMask = Width<Bits>::mask;

// old with its low Bits replaced by v: a .B or .W result in a data register.
template <int Bits> inline uint32_t merge_low(uint32_t old, uint32_t v) {
    return (old & ~kMask<Bits>) | (v & kMask<Bits>);
}

template <int Bits> inline void record_reg(uint32_t v) {
    if constexpr (Bits == 8) optrace_record_reg_byte(v);
    else if constexpr (Bits == 16) optrace_record_reg_word(v);
    else optrace_record_reg_long(v);
}

inline uint32_t x_bit() { return (g_cpu_regs.sr >> 4) & 1; }

enum class Alu { Add, Sub };

// d + s + x or d - s - x; f receives the condition codes at the width.
template <int Bits, Alu A> inline uint32_t alu(uint32_t d, uint32_t s, uint32_t x, uint32_t& f) {
    if constexpr (A == Alu::Add) {
        uint32_t r = d + s + x;
        f = ccr_add<Bits>(d, s, r, x);
        return r;
    } else {
        uint32_t r = d - s - x;
        f = ccr_sub<Bits>(d, s, r, x);
        return r;
    }
}

// Step of -(An) and (An)+: the size, and 2 for a byte on A7.
template <int Bits> inline uint32_t an_step(const uint32_t* slot) {
    if constexpr (Bits == 8) return slot == &g_cpu_regs.r[15] ? 2 : 1;
    else return Bits / 8;
}

template <int Bits> inline uint32_t bus_read(uint32_t addr) {
    if constexpr (Bits == 8) return mem_read_byte(addr);
    else if constexpr (Bits == 16) return mem_read_word(addr);
    else return mem_read_long(addr);
}

template <int Bits> inline void bus_write(uint32_t addr, uint32_t v) {
    if constexpr (Bits == 8) mem_write_byte(addr, v);
    else if constexpr (Bits == 16) mem_write_word(addr, v);
    else mem_write_long(addr, v);
}

}  // namespace arith
