// Addressing modes as compile-time code: the operand routines of the
// tables are built from these, and handlers that are chosen per mode at
// start-up use them directly.
#pragma once

#include <array>
#include <cstdint>
#include <utility>

#include "core/bus.h"
#include "core/decode.h"
#include "core/ea.h"
#include "core/inline.h"
#include "core/trace.h"

namespace ea_modes {

template <uint32_t Size> struct Op;
template <> struct Op<SIZE_B> {
    static constexpr uint32_t bytes = 1;
    static constexpr uint8_t mem_kind = TRACE_MEM_B;
    ZOLM_ALWAYS_INLINE static uint32_t read(uint32_t a) { return mem_read_byte(a); }
    ZOLM_ALWAYS_INLINE static void write(uint32_t a, uint32_t v) { mem_write_byte(a, v); }
    ZOLM_ALWAYS_INLINE static void record_mem(uint32_t a, uint32_t v) { optrace_record_mem_b(a, v); }
    ZOLM_ALWAYS_INLINE static void record_reg(uint32_t v) { optrace_record_reg_byte(v); }
    ZOLM_ALWAYS_INLINE static uint32_t merge(uint32_t reg, uint32_t v) { return (reg & 0xFFFFFF00) | (v & 0xFF); }
};
template <> struct Op<SIZE_W> {
    static constexpr uint32_t bytes = 2;
    static constexpr uint8_t mem_kind = TRACE_MEM_W;
    ZOLM_ALWAYS_INLINE static uint32_t read(uint32_t a) { return mem_read_word(a); }
    ZOLM_ALWAYS_INLINE static void write(uint32_t a, uint32_t v) { mem_write_word(a, v); }
    ZOLM_ALWAYS_INLINE static void record_mem(uint32_t a, uint32_t v) { optrace_record_mem_w(a, v); }
    ZOLM_ALWAYS_INLINE static void record_reg(uint32_t v) { optrace_record_reg_word(v); }
    ZOLM_ALWAYS_INLINE static uint32_t merge(uint32_t reg, uint32_t v) { return (reg & 0xFFFF0000) | (v & 0xFFFF); }
};
template <> struct Op<SIZE_L> {
    static constexpr uint32_t bytes = 4;
    static constexpr uint8_t mem_kind = TRACE_MEM_L;
    ZOLM_ALWAYS_INLINE static uint32_t read(uint32_t a) { return mem_read_long(a); }
    ZOLM_ALWAYS_INLINE static void write(uint32_t a, uint32_t v) { mem_write_long(a, v); }
    ZOLM_ALWAYS_INLINE static void record_mem(uint32_t a, uint32_t v) { optrace_record_mem_l(a, v); }
    ZOLM_ALWAYS_INLINE static void record_reg(uint32_t v) { optrace_record_reg_long(v); }
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
template <uint32_t Mode, uint32_t Size, bool Commit> ZOLM_ALWAYS_INLINE uint32_t address(uint32_t* slot, uint32_t& pc) {
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

// Read without side effects: registers and (An) as read, the other memory
// modes without the step of An or the PC.
template <uint32_t Mode, uint32_t Size> ZOLM_ALWAYS_INLINE EaResult peek(uint32_t* slot, uint32_t pc) {
    if constexpr (Mode == EA_DN || Mode == EA_AN || Mode == EA_IND) return read<Mode, Size>(slot, pc);
    else if constexpr (Mode == EA_IMM) {
        if constexpr (Size == SIZE_L) return {cpu_fetch_long(pc), pc};
        else return {cpu_fetch_word(pc), pc};
    } else {
        uint32_t p = pc;
        return {Op<Size>::read(address<Mode, Size, false>(slot, p)), pc};
    }
}

template <uint32_t Size> ZOLM_ALWAYS_INLINE uint32_t write_dn(uint32_t* slot, uint32_t value, uint32_t pc) {
    *slot = Op<Size>::merge(*slot, value);
    Op<Size>::record_reg(*slot);
    return pc;
}

template <uint32_t Mode, uint32_t Size>
ZOLM_ALWAYS_INLINE uint32_t write_mem(uint32_t* slot, uint32_t value, uint32_t pc) {
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

// Handlers chosen per mode at start-up take the mode as a template
// argument; EA_BY_RECORD stands for the operand routines of the record,
// which serve the modes that have no handler of their own.
inline constexpr uint32_t EA_BY_RECORD = 12;

template <int Bits> inline constexpr uint32_t kSizeOf = Bits == 8 ? SIZE_B : Bits == 16 ? SIZE_W : SIZE_L;

// The operand at the record's EA slot: read, peek, write, or its address.
// The families that use these read no memory before a register operand of
// the record's EA, so its record is the instruction's first.
template <uint32_t Mode, int Bits> ZOLM_ALWAYS_INLINE EaResult operand_read(const DecodeRecord* rec, uint32_t pc) {
    if constexpr (Mode == EA_BY_RECORD) return rec->src(rec->ea, pc);
    else if constexpr (Mode == EA_DN || Mode == EA_AN) {
        uint32_t v = *rec->ea;
        optrace_record_reg_first(Op<kSizeOf<Bits>>::mem_kind, v);
        return {v, pc};
    } else return read<Mode, kSizeOf<Bits>>(rec->ea, pc);
}
template <uint32_t Mode, int Bits> ZOLM_ALWAYS_INLINE EaResult operand_peek(const DecodeRecord* rec, uint32_t pc) {
    if constexpr (Mode == EA_BY_RECORD) return rec->src(rec->ea, pc);
    else return peek<Mode, kSizeOf<Bits>>(rec->ea, pc);
}
template <uint32_t Mode, int Bits>
ZOLM_ALWAYS_INLINE uint32_t operand_write(const DecodeRecord* rec, uint32_t v, uint32_t pc) {
    if constexpr (Mode == EA_BY_RECORD) return rec->dst(rec->ea, v, pc);
    else if constexpr (Mode == EA_DN) {
        uint32_t* dn = rec->ea;
        *dn = Op<kSizeOf<Bits>>::merge(*dn, v);
        optrace_record_reg_first(Op<kSizeOf<Bits>>::mem_kind, *dn);
        return pc;
    } else return write<Mode, kSizeOf<Bits>>(rec->ea, v, pc);
}
template <uint32_t Mode> ZOLM_ALWAYS_INLINE EaResult operand_address(const DecodeRecord* rec, uint32_t pc) {
    if constexpr (Mode == EA_BY_RECORD) return rec->src(rec->ea, pc);
    else {
        uint32_t a = address<Mode, SIZE_L, true>(rec->ea, pc);
        return {a, pc};
    }
}

// History records that a handler's next record replaces, and those that
// cannot change what is recorded, are left out:
// - a register operand's record, when a register record follows with no
//   access between them (it replaces kind and value);
// - a register record of the size of a memory operand read just before
//   (a register record never replaces a memory one of its size).
template <uint32_t Mode> inline constexpr bool kRegisterMode = Mode == EA_DN || Mode == EA_AN;
template <uint32_t Mode> inline constexpr bool kMemoryMode = Mode >= EA_IND&& Mode <= EA_PCINDEX;

// The source read of a handler that makes a register record next.
template <uint32_t Mode, int Bits>
ZOLM_ALWAYS_INLINE EaResult operand_read_before_reg(const DecodeRecord* rec, uint32_t pc) {
    if constexpr (kRegisterMode<Mode>) return {*rec->ea, pc};
    else return operand_read<Mode, Bits>(rec, pc);
}
// The operand of a read-modify-write: a data register's write records it anew.
template <uint32_t Mode, int Bits>
ZOLM_ALWAYS_INLINE EaResult operand_peek_before_write(const DecodeRecord* rec, uint32_t pc) {
    if constexpr (Mode == EA_DN) return {*rec->ea, pc};
    else return operand_peek<Mode, Bits>(rec, pc);
}
// A register record of the source's size after reading it; after a
// register or an immediate it is the instruction's first record.
template <uint32_t Mode, int Bits> ZOLM_ALWAYS_INLINE void record_reg_after(uint32_t v) {
    if constexpr (kRegisterMode<Mode> || Mode == EA_IMM) optrace_record_reg_first(Op<kSizeOf<Bits>>::mem_kind, v);
    else if constexpr (!kMemoryMode<Mode>) Op<kSizeOf<Bits>>::record_reg(v);
}

// Mode sets, one bit per mode index.
inline constexpr uint32_t mode_bit(uint32_t m) { return 1u << m; }
inline constexpr uint32_t MODES_REG_AND_SIMPLE_MEM = mode_bit(EA_DN) | mode_bit(EA_IND) | mode_bit(EA_POSTINC) |
                                                     mode_bit(EA_PREDEC) | mode_bit(EA_DISP) | mode_bit(EA_ABSW) |
                                                     mode_bit(EA_ABSL);
inline constexpr uint32_t MODES_SOURCE = MODES_REG_AND_SIMPLE_MEM | mode_bit(EA_AN) | mode_bit(EA_IMM);

// Handlers by mode index: F::run<Mode> for the modes in the set, nullptr
// (the family's handler through the record) for the others.
using ModeHandlers = std::array<OpHandler, 12>;
template <class F, uint32_t Modes, uint32_t M> constexpr OpHandler mode_handler() {
    if constexpr ((Modes >> M) & 1) return &F::template run<M>;
    else return nullptr;
}
template <class F, uint32_t Modes, size_t... M> constexpr ModeHandlers mode_handlers(std::index_sequence<M...>) {
    return {mode_handler<F, Modes, uint32_t(M)>()...};
}
template <class F, uint32_t Modes> constexpr ModeHandlers mode_handlers() {
    return mode_handlers<F, Modes>(std::make_index_sequence<12>{});
}
inline OpHandler handler_for_mode(const ModeHandlers& handlers, uint32_t m, OpHandler by_record) {
    return handlers[m] ? handlers[m] : by_record;
}

}  // namespace ea_modes
