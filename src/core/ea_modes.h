// Addressing modes as compile-time code: the operand routines of the
// tables are built from these, and handlers that are chosen per mode at
// start-up use them directly.
#pragma once

#include <cstdint>

#include "core/bus.h"
#include "core/decode.h"
#include "core/ea.h"
#include "core/inline.h"
#include "core/trace.h"

namespace ea_modes {

template <uint32_t Size> struct Op;
template <> struct Op<SIZE_B> {
    static constexpr uint32_t bytes = 1;
    ZOLM_ALWAYS_INLINE static uint32_t read(uint32_t a) { return mem_read_byte(a); }
    ZOLM_ALWAYS_INLINE static void write(uint32_t a, uint32_t v) { mem_write_byte(a, v); }
    ZOLM_ALWAYS_INLINE static void record_mem(uint32_t a, uint32_t v) { optrace_record_mem_b(a, v); }
    ZOLM_ALWAYS_INLINE static void record_reg(uint32_t v) { optrace_record_reg_b(v); }
    ZOLM_ALWAYS_INLINE static uint32_t merge(uint32_t reg, uint32_t v) { return (reg & 0xFFFFFF00) | (v & 0xFF); }
};
template <> struct Op<SIZE_W> {
    static constexpr uint32_t bytes = 2;
    ZOLM_ALWAYS_INLINE static uint32_t read(uint32_t a) { return mem_read_word(a); }
    ZOLM_ALWAYS_INLINE static void write(uint32_t a, uint32_t v) { mem_write_word(a, v); }
    ZOLM_ALWAYS_INLINE static void record_mem(uint32_t a, uint32_t v) { optrace_record_mem_w(a, v); }
    ZOLM_ALWAYS_INLINE static void record_reg(uint32_t v) { optrace_record_reg_w(v); }
    ZOLM_ALWAYS_INLINE static uint32_t merge(uint32_t reg, uint32_t v) { return (reg & 0xFFFF0000) | (v & 0xFFFF); }
};
template <> struct Op<SIZE_L> {
    static constexpr uint32_t bytes = 4;
    ZOLM_ALWAYS_INLINE static uint32_t read(uint32_t a) { return mem_read_long(a); }
    ZOLM_ALWAYS_INLINE static void write(uint32_t a, uint32_t v) { mem_write_long(a, v); }
    ZOLM_ALWAYS_INLINE static void record_mem(uint32_t a, uint32_t v) { optrace_record_mem_l(a, v); }
    ZOLM_ALWAYS_INLINE static void record_reg(uint32_t v) { optrace_record_reg_l(v); }
    ZOLM_ALWAYS_INLINE static uint32_t merge(uint32_t, uint32_t v) { return v; }
};

inline uint32_t sext16(uint32_t w) { return uint32_t(int32_t(int16_t(uint16_t(w)))); }

// Step of (An)+ and -(An): a byte on A7 keeps the stack even.
template <uint32_t Size> ZOLM_ALWAYS_INLINE uint32_t step(const uint32_t* slot) {
    if (Size == SIZE_B && slot == &cpu_sp()) return 2;
    return Op<Size>::bytes;
}

// Address of a memory mode. With Commit the mode's side effect on An is
// made and pc advances past the extension words; without it (peek) nothing
// changes.
template <uint32_t Mode, uint32_t Size, bool Commit>
ZOLM_ALWAYS_INLINE uint32_t address(uint32_t* slot, uint32_t& pc) {
    switch (Mode) {
    case EA_IND: return *slot;
    case EA_POSTINC: {
        uint32_t a = *slot;
        if (Commit) *slot = a + step<Size>(slot);
        return a;
    }
    case EA_PREDEC: {
        uint32_t a = *slot - step<Size>(slot);
        if (Commit) *slot = a;
        return a;
    }
    case EA_DISP: {
        uint32_t a = *slot + sext16(cpu_fetch_word(pc));
        if (Commit) pc += 2;
        return a;
    }
    case EA_INDEX: {
        uint32_t a = ea_index_address(*slot, cpu_fetch_word(pc));
        if (Commit) pc += 2;
        return a;
    }
    case EA_ABSW: {
        uint32_t a = sext16(cpu_fetch_word(pc));
        if (Commit) pc += 2;
        return a;
    }
    case EA_ABSL: {
        uint32_t a = cpu_fetch_long(pc);
        if (Commit) pc += 4;
        return a;
    }
    case EA_PCDISP: {
        uint32_t a = pc + sext16(cpu_fetch_word(pc));
        if (Commit) pc += 2;
        return a;
    }
    case EA_PCINDEX: {
        uint32_t a = ea_index_address(pc, cpu_fetch_word(pc));
        if (Commit) pc += 2;
        return a;
    }
    }
    return 0;
}

template <uint32_t Size> ZOLM_ALWAYS_INLINE EaResult read_reg(uint32_t* slot, uint32_t pc) {
    uint32_t v = *slot;
    Op<Size>::record_reg(v);
    return {v, pc};
}

template <uint32_t Mode, uint32_t Size> ZOLM_ALWAYS_INLINE EaResult read_mem(uint32_t* slot, uint32_t pc) {
    uint32_t a = address<Mode, Size, true>(slot, pc);
    uint32_t v = Op<Size>::read(a);
    Op<Size>::record_mem(a & 0xFFFFFF, v);
    return {v, pc};
}

// Read of any mode: registers, memory or an immediate.
template <uint32_t Mode, uint32_t Size> ZOLM_ALWAYS_INLINE EaResult read(uint32_t* slot, uint32_t pc) {
    if constexpr (Mode == EA_DN || Mode == EA_AN) return read_reg<Size>(slot, pc);
    else if constexpr (Mode == EA_IMM) {
        if constexpr (Size == SIZE_L) return {cpu_fetch_long(pc), pc + 4};
        else return {cpu_fetch_word(pc), pc + 2};
    } else return read_mem<Mode, Size>(slot, pc);
}

template <uint32_t Size> ZOLM_ALWAYS_INLINE uint32_t write_dn(uint32_t* slot, uint32_t value, uint32_t pc) {
    *slot = Op<Size>::merge(*slot, value);
    Op<Size>::record_reg(*slot);
    return pc;
}

template <uint32_t Mode, uint32_t Size> ZOLM_ALWAYS_INLINE uint32_t write_mem(uint32_t* slot, uint32_t value, uint32_t pc) {
    uint32_t a = address<Mode, Size, true>(slot, pc);
    Op<Size>::record_mem(a, value);
    Op<Size>::write(a, value);
    return pc;
}

// Write of a data-alterable mode.
template <uint32_t Mode, uint32_t Size> ZOLM_ALWAYS_INLINE uint32_t write(uint32_t* slot, uint32_t value, uint32_t pc) {
    if constexpr (Mode == EA_DN) return write_dn<Size>(slot, value, pc);
    else return write_mem<Mode, Size>(slot, value, pc);
}

} // namespace ea_modes
