// Condition codes, computed in the CCR's own layout (X 0x10, N 8, Z 4, V 2,
// C 1). One helper per flag rule serves every size and addressing mode.
#pragma once

#include <cstdint>

#include "core/cpu_regs.h"
#include "core/inline.h"

// A carry out sets C and, where the instruction sets the whole CCR, X.
inline constexpr uint32_t CCR_CARRY = SR_X | SR_C;
inline constexpr uint32_t CCR_NZVC = SR_N | SR_Z | SR_V | SR_C;

// Operand widths: mask and sign bit.
template <int Bits> struct Width;
template <> struct Width<8> { static constexpr uint32_t mask = 0xFF, sign = 0x80; };
template <> struct Width<16> { static constexpr uint32_t mask = 0xFFFF, sign = 0x8000; };
template <> struct Width<32> { static constexpr uint32_t mask = 0xFFFFFFFF, sign = 0x80000000; };

// The sign bit of v at the width, moved to the flag's bit (Bit 0 C ... 4 X).
template <int Bits, int Bit> ZOLM_ALWAYS_INLINE uint32_t sign_to(uint32_t v) {
    return (v >> (Bits - 1 - Bit)) & (1u << Bit);
}

// N and Z of a result; V and C clear. Z: only 0 borrows from bit 32 when
// 1 is taken away.
template <int Bits> ZOLM_ALWAYS_INLINE uint32_t ccr_nz(uint32_t result) {
    result &= Width<Bits>::mask;
    return sign_to<Bits, 3>(result) | (uint32_t((uint64_t(result) - 1) >> 61) & SR_Z);
}

// dst + src + carry_in, result at the width: N, Z, V, and the carry.
template <int Bits>
ZOLM_ALWAYS_INLINE uint32_t ccr_add(uint32_t dst, uint32_t src, uint32_t result, uint32_t carry_in = 0) {
    constexpr uint32_t m = Width<Bits>::mask;
    dst &= m;
    src &= m;
    result &= m;
    uint32_t carry = (uint64_t(dst) + src + carry_in) > m ? CCR_CARRY : 0;
    return ccr_nz<Bits>(result) | sign_to<Bits, 1>((dst ^ result) & (src ^ result)) | carry;
}

// dst - src - borrow_in, result at the width: N, Z, V, and the borrow.
template <int Bits>
ZOLM_ALWAYS_INLINE uint32_t ccr_sub(uint32_t dst, uint32_t src, uint32_t result, uint32_t borrow_in = 0) {
    constexpr uint32_t m = Width<Bits>::mask;
    dst &= m;
    src &= m;
    result &= m;
    uint32_t borrow = uint64_t(src) + borrow_in > dst ? CCR_CARRY : 0;
    return ccr_nz<Bits>(result) | sign_to<Bits, 1>((dst ^ src) & (dst ^ result)) | borrow;
}

// Replaces the whole CCR (X with the carry; bits 5-7 become 0).
ZOLM_ALWAYS_INLINE void cpu_set_ccr(uint32_t ccr) { g_cpu_regs.sr = (g_cpu_regs.sr & 0xFF00) | ccr; }

// Sets N, Z, V and C and keeps X.
ZOLM_ALWAYS_INLINE void cpu_merge_nzvc(uint32_t ccr) { g_cpu_regs.sr = (g_cpu_regs.sr & ~CCR_NZVC) | (ccr & CCR_NZVC); }
