// Operand routines: one per addressing mode, size and use, chosen once when
// the decode records are built.
#include "core/ea.h"

#include "core/ea_modes.h"

namespace {

using namespace ea_modes;

template <uint32_t Mode> EaResult ea_addr_t(uint32_t* slot, uint32_t pc) {
    uint32_t a = address<Mode, SIZE_L, true>(slot, pc);
    return {a, pc};
}

template <uint32_t Size> EaResult ea_read_reg(uint32_t* slot, uint32_t pc) { return read_reg<Size>(slot, pc); }

template <uint32_t Mode, uint32_t Size> EaResult ea_read_mem(uint32_t* slot, uint32_t pc) {
    return read_mem<Mode, Size>(slot, pc);
}

template <uint32_t Mode, uint32_t Size> EaResult ea_peek_mem(uint32_t* slot, uint32_t pc) {
    return peek<Mode, Size>(slot, pc);
}

template <uint32_t Size> uint32_t ea_write_dn(uint32_t* slot, uint32_t value, uint32_t pc) {
    return write_dn<Size>(slot, value, pc);
}

uint32_t ea_write_an_w(uint32_t* slot, uint32_t value, uint32_t pc) {
    *slot = sext16(value);
    optrace_record_reg_long(*slot);
    return pc;
}

uint32_t ea_write_an_l(uint32_t* slot, uint32_t value, uint32_t pc) {
    *slot = value;
    optrace_record_reg_long(value);
    return pc;
}

template <uint32_t Mode, uint32_t Size> uint32_t ea_write_mem(uint32_t* slot, uint32_t value, uint32_t pc) {
    return write_mem<Mode, Size>(slot, value, pc);
}

// Rows of the tables for one size, by mode index.
template <uint32_t S> constexpr EaRead read_row(uint32_t m) {
    switch (m) {
    case EA_DN: return ea_read_reg<S>;
    case EA_AN: return S == SIZE_B ? nullptr : ea_read_reg<S>;
    case EA_IND: return ea_read_mem<EA_IND, S>;
    case EA_POSTINC: return ea_read_mem<EA_POSTINC, S>;
    case EA_PREDEC: return ea_read_mem<EA_PREDEC, S>;
    case EA_DISP: return ea_read_mem<EA_DISP, S>;
    case EA_INDEX: return ea_read_mem<EA_INDEX, S>;
    case EA_ABSW: return ea_read_mem<EA_ABSW, S>;
    case EA_ABSL: return ea_read_mem<EA_ABSL, S>;
    case EA_PCDISP: return ea_read_mem<EA_PCDISP, S>;
    case EA_PCINDEX: return ea_read_mem<EA_PCINDEX, S>;
    case EA_IMM: return S == SIZE_L ? ea_read_imm_l : ea_read_imm_w;
    }
    return nullptr;
}

template <uint32_t S> constexpr EaRead peek_row(uint32_t m) {
    switch (m) {
    case EA_DN:
    case EA_AN:
    case EA_IND: return read_row<S>(m);
    case EA_POSTINC: return ea_peek_mem<EA_POSTINC, S>;
    case EA_PREDEC: return ea_peek_mem<EA_PREDEC, S>;
    case EA_DISP: return ea_peek_mem<EA_DISP, S>;
    case EA_INDEX: return ea_peek_mem<EA_INDEX, S>;
    case EA_ABSW: return ea_peek_mem<EA_ABSW, S>;
    case EA_ABSL: return ea_peek_mem<EA_ABSL, S>;
    case EA_PCDISP: return ea_peek_mem<EA_PCDISP, S>;
    case EA_PCINDEX: return ea_peek_mem<EA_PCINDEX, S>;
    case EA_IMM: return S == SIZE_L ? ea_peek_imm_l : ea_peek_imm_w;
    }
    return nullptr;
}

template <uint32_t S> constexpr EaWrite write_row(uint32_t m) {
    switch (m) {
    case EA_DN: return ea_write_dn<S>;
    case EA_AN: return S == SIZE_B ? nullptr : S == SIZE_W ? ea_write_an_w : ea_write_an_l;
    case EA_IND: return ea_write_mem<EA_IND, S>;
    case EA_POSTINC: return ea_write_mem<EA_POSTINC, S>;
    case EA_PREDEC: return ea_write_mem<EA_PREDEC, S>;
    case EA_DISP: return ea_write_mem<EA_DISP, S>;
    case EA_INDEX: return ea_write_mem<EA_INDEX, S>;
    case EA_ABSW: return ea_write_mem<EA_ABSW, S>;
    case EA_ABSL: return ea_write_mem<EA_ABSL, S>;
    }
    return nullptr;
}

#define ROW(f, S) \
    { f<S>(0), f<S>(1), f<S>(2), f<S>(3), f<S>(4), f<S>(5), f<S>(6), f<S>(7), f<S>(8), f<S>(9), f<S>(10), f<S>(11) }

}  // namespace


EaResult ea_read_imm_w(uint32_t*, uint32_t pc) { return {cpu_fetch_word(pc), pc + 2}; }
EaResult ea_read_imm_l(uint32_t*, uint32_t pc) { return {cpu_fetch_long(pc), pc + 4}; }
EaResult ea_peek_imm_w(uint32_t*, uint32_t pc) { return {cpu_fetch_word(pc), pc}; }
EaResult ea_peek_imm_l(uint32_t*, uint32_t pc) { return {cpu_fetch_long(pc), pc}; }

uint32_t ea_index_address(uint32_t base, uint32_t ext) {
    uint32_t index = g_cpu_regs.r[(ext >> 12) & 15];
    if (!(ext & 0x800)) index = sext16(index);
    return base + uint32_t(int32_t(int8_t(uint8_t(ext)))) + index;
}

const EaRead g_ea_addr_table[12] = {
    // clang-format off
    nullptr, nullptr, ea_addr_t<EA_IND>, nullptr, nullptr, ea_addr_t<EA_DISP>, ea_addr_t<EA_INDEX>,
    ea_addr_t<EA_ABSW>, ea_addr_t<EA_ABSL>, ea_addr_t<EA_PCDISP>, ea_addr_t<EA_PCINDEX>, nullptr,
    // clang-format on
};
const EaRead g_ea_read_table[3][12] = {ROW(read_row, SIZE_B), ROW(read_row, SIZE_W), ROW(read_row, SIZE_L)};
const EaRead g_ea_peek_table[3][12] = {ROW(peek_row, SIZE_B), ROW(peek_row, SIZE_W), ROW(peek_row, SIZE_L)};
const EaWrite g_ea_write_table[3][12] = {ROW(write_row, SIZE_B), ROW(write_row, SIZE_W), ROW(write_row, SIZE_L)};
