// Condition codes from host ALU flags.
//
// Handlers pack the flags of an operation into a word laid out as the x86
// flags register (carry bit 0, zero bit 6, sign bit 7, overflow bit 11) and
// look the CCR bits up in g_ccr_table. The packing is portable C++.
#pragma once

#include <cstdint>

#include "core/cpu_regs.h"

extern uint32_t g_ccr_table[4096];

inline constexpr uint32_t HF_C = 0x001, HF_Z = 0x040, HF_N = 0x080, HF_V = 0x800;
inline constexpr uint32_t HF_NZ = HF_N | HF_Z;
inline constexpr uint32_t HF_ALL = HF_C | HF_Z | HF_N | HF_V;

// Operand widths: mask and sign bit.
template <int Bits> struct Width;
template <> struct Width<8> { static constexpr uint32_t mask = 0xFF, sign = 0x80; };
template <> struct Width<16> { static constexpr uint32_t mask = 0xFFFF, sign = 0x8000; };
template <> struct Width<32> { static constexpr uint32_t mask = 0xFFFFFFFF, sign = 0x80000000; };

// Zero and sign of a result.
template <int Bits> inline uint32_t host_flags_nz(uint32_t result) {
    result &= Width<Bits>::mask;
    return (result == 0 ? HF_Z : 0) | ((result & Width<Bits>::sign) ? HF_N : 0);
}

// Flags of dst + src + carry_in, result at the width.
template <int Bits> inline uint32_t host_flags_add(uint32_t dst, uint32_t src, uint32_t result, uint32_t carry_in = 0) {
    constexpr uint32_t m = Width<Bits>::mask, s = Width<Bits>::sign;
    dst &= m; src &= m; result &= m;
    uint64_t wide = uint64_t(dst) + src + carry_in;
    uint32_t f = host_flags_nz<Bits>(result);
    if (wide > m) f |= HF_C;
    if ((~(dst ^ src) & (dst ^ result)) & s) f |= HF_V;
    return f;
}

// Flags of dst - src - borrow_in, result at the width.
template <int Bits> inline uint32_t host_flags_sub(uint32_t dst, uint32_t src, uint32_t result, uint32_t borrow_in = 0) {
    constexpr uint32_t m = Width<Bits>::mask, s = Width<Bits>::sign;
    dst &= m; src &= m; result &= m;
    uint32_t f = host_flags_nz<Bits>(result);
    if (uint64_t(src) + borrow_in > dst) f |= HF_C;
    if (((dst ^ src) & (dst ^ result)) & s) f |= HF_V;
    return f;
}

// Replaces the whole CCR (X takes C; bits 5-7 become 0).
inline void cpu_set_ccr_from_flags(uint32_t host_flags) {
    g_cpu_sr = (g_cpu_sr & 0xFF00) | g_ccr_table[host_flags & 0xFFF];
}

// Merges N, Z, V and C into the CCR and keeps X.
inline void cpu_merge_nzvc_from_flags(uint32_t host_flags) {
    g_cpu_sr = (g_cpu_sr & ~uint32_t(0x0F)) | (g_ccr_table[host_flags & 0xFFF] & 0x0F);
}
