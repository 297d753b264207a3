// Arithmetic and compare instructions and their decode builders.
//
// Each family is one template over the operand width; the named handlers
// are thin instances of it. Condition codes come from the flag rules of
// flags.h.

#include "core/ops_arith.h"

#include "core/bus.h"
#include "core/cpu_regs.h"
#include "core/decode.h"
#include "core/ea.h"
#include "core/ea_modes.h"
#include "core/flags.h"
#include "core/trace.h"
#include "core/boundary.h"

namespace {

template <int Bits> inline constexpr uint32_t kMask = Width<Bits>::mask;

// old with its low Bits replaced by v: a .B or .W result in a data register.
template <int Bits> inline uint32_t merge_low(uint32_t old, uint32_t v) {
    return (old & ~kMask<Bits>) | (v & kMask<Bits>);
}

template <int Bits> inline void record_reg(uint32_t v) {
    if constexpr (Bits == 8) optrace_record_reg_b(v);
    else if constexpr (Bits == 16) optrace_record_reg_w(v);
    else optrace_record_reg_l(v);
}

inline uint32_t x_bit() { return (g_cpu_sr >> 4) & 1; }

enum class Alu { Add, Sub };

// d + s + x or d - s - x; f receives the host flags at the width.
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

// ADDX, SUBX, NEGX: the whole CCR from the table, except that a zero result
// keeps Z as it was and a nonzero one clears it.
inline void set_ccr_extended(uint32_t f) {
    uint32_t z = (f & SR_Z) ? (g_cpu_sr & SR_Z) : 0;
    cpu_set_ccr((f & ~SR_Z) | z);
}

// ABCD, SBCD, NBCD: X and C from the decimal carry, Z cleared by a nonzero
// result; N, V and bits 5-7 stay.
inline void set_ccr_decimal(uint32_t result, uint32_t carry) {
    uint32_t sr = g_cpu_sr & ~(SR_X | SR_C);
    if (carry) sr |= SR_X | SR_C;
    if (result & 0xFF) sr &= ~SR_Z;
    g_cpu_sr = sr;
}

struct Bcd {
    uint32_t value;
    uint32_t carry;
};

// d + s + x in packed decimal.
inline Bcd bcd_add(uint32_t d, uint32_t s, uint32_t x) {
    d &= 0xFF;
    s &= 0xFF;
    uint32_t sum = d + s + x;
    uint32_t plain = sum & 0xFF;
    bool half = (d & 0xF) + (s & 0xF) + x > 0xF;
    uint32_t r = plain, carry = 0;
    if ((plain & 0xF) > 9 || half) r += 6;
    if (plain > 0x99 || sum > 0xFF) {
        r += 0x60;
        carry = 1;
    }
    return {r & 0xFF, carry};
}

// d - s - x in packed decimal.
inline Bcd bcd_sub(uint32_t d, uint32_t s, uint32_t x) {
    d &= 0xFF;
    s &= 0xFF;
    uint32_t plain = (d - s - x) & 0xFF;
    bool half = (d & 0xF) < (s & 0xF) + x;
    bool borrow = d < s + x;
    uint32_t r = plain, carry = 0;
    if ((plain & 0xF) > 9 || half) {
        carry = r < 6;
        r -= 6;
    }
    if (plain > 0x99 || borrow) {
        r -= 0x60;
        carry = 1;
    }
    return {r & 0xFF, carry};
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

// Sign-extends a word source of the address forms.
template <int Bits> inline uint32_t address_source(uint32_t v) {
    if constexpr (Bits == 16) return uint32_t(int32_t(int16_t(uint16_t(v))));
    else return v;
}

// ---- ADD, SUB, CMP -------------------------------------------------------

using ea_modes::EA_BY_RECORD;
using ea_modes::operand_peek_before_write;
using ea_modes::operand_read;
using ea_modes::operand_read_before_reg;
using ea_modes::operand_write;
using ea_modes::record_reg_after;

// The long register record of the address forms after a source of Bits.
template <uint32_t M, int Bits> inline void record_long_after(uint32_t an) {
    if constexpr (Bits == 32 || ea_modes::kRegisterMode<M> || M == EA_IMM) record_reg_after<M, 32>(an);
    else optrace_record_reg_l(an);
}

// Each handler takes the mode of its EA operand (EA_BY_RECORD: through the
// record's routines).
template <int Bits, Alu A, uint32_t M = EA_BY_RECORD> inline OpResult op_ea_dn(const DecodeRecord* rec, uint32_t pc) {
    EaResult s = operand_read_before_reg<M, Bits>(rec, pc);
    uint32_t d = *rec->reg, f;
    uint32_t r = alu<Bits, A>(d, s.value, 0, f);
    cpu_set_ccr(f);
    *rec->reg = merge_low<Bits>(d, r);
    record_reg_after<M, Bits>(*rec->reg);
    return {rec->cycles, s.pc};
}

// Read-modify-write of the record's EA: peek, compute, flags, write.
template <int Bits, Alu A, uint32_t M = EA_BY_RECORD> inline OpResult op_rmw(const DecodeRecord* rec, uint32_t src, uint32_t pc) {
    uint32_t d = operand_peek_before_write<M, Bits>(rec, pc).value, f;
    uint32_t r = alu<Bits, A>(d, src, 0, f);
    cpu_set_ccr(f);
    return {rec->cycles, operand_write<M, Bits>(rec, r & kMask<Bits>, pc)};
}

template <int Bits, uint32_t M = EA_BY_RECORD> inline OpResult op_cmp(const DecodeRecord* rec, uint32_t pc) {
    EaResult s = operand_read_before_reg<M, Bits>(rec, pc);
    uint32_t d = *rec->reg, f;
    alu<Bits, Alu::Sub>(d, s.value, 0, f);
    cpu_merge_nzvc(f);
    record_reg_after<M, Bits>(d);
    return {rec->cycles, s.pc};
}

// ---- ADDA, SUBA, CMPA ----------------------------------------------------

template <int Bits, Alu A, uint32_t M = EA_BY_RECORD> inline OpResult op_addr(const DecodeRecord* rec, uint32_t pc) {
    EaResult s = operand_read_before_reg<M, Bits>(rec, pc);
    uint32_t v = address_source<Bits>(s.value);
    uint32_t& an = *rec->reg;
    an = A == Alu::Add ? an + v : an - v;
    record_long_after<M, Bits>(an);
    return {rec->cycles, s.pc};
}

template <int Bits, uint32_t M = EA_BY_RECORD> inline OpResult op_cmpa(const DecodeRecord* rec, uint32_t pc) {
    EaResult s = operand_read_before_reg<M, Bits>(rec, pc);
    uint32_t an = *rec->reg, f;
    alu<32, Alu::Sub>(an, address_source<Bits>(s.value), 0, f);
    cpu_merge_nzvc(f);
    record_long_after<M, Bits>(an);
    return {rec->cycles, s.pc};
}

// ---- ADDI, SUBI, CMPI ----------------------------------------------------

// The immediate: a word for .B and .W (a byte uses its low half), a long for .L.
template <int Bits> inline EaResult fetch_imm(uint32_t pc) {
    if constexpr (Bits == 32) return {cpu_fetch_long(pc), pc + 4};
    else return {cpu_fetch_word(pc), pc + 2};
}

template <int Bits, Alu A, uint32_t M = EA_BY_RECORD> inline OpResult op_imm(const DecodeRecord* rec, uint32_t pc) {
    EaResult imm = fetch_imm<Bits>(pc);
    return op_rmw<Bits, A, M>(rec, imm.value, imm.pc);
}

template <int Bits, uint32_t M = EA_BY_RECORD> inline OpResult op_cmpi(const DecodeRecord* rec, uint32_t pc) {
    EaResult imm = fetch_imm<Bits>(pc);
    EaResult d = operand_read<M, Bits>(rec, imm.pc);
    uint32_t f;
    alu<Bits, Alu::Sub>(d.value, imm.value, 0, f);
    cpu_merge_nzvc(f);
    return {rec->cycles, d.pc};
}

// ---- NEG, NEGX -----------------------------------------------------------

template <int Bits> inline OpResult op_neg(const DecodeRecord* rec, uint32_t pc) {
    uint32_t d = rec->src(rec->ea, pc).value, f;
    uint32_t r = alu<Bits, Alu::Sub>(0, d, 0, f);
    cpu_set_ccr(f);
    return {rec->cycles, rec->dst(rec->ea, r & kMask<Bits>, pc)};
}

template <int Bits> inline OpResult op_negx(const DecodeRecord* rec, uint32_t pc) {
    uint32_t d = rec->src(rec->ea, pc).value, f;
    uint32_t r = alu<Bits, Alu::Sub>(0, d, x_bit(), f);
    set_ccr_extended(f);
    return {rec->cycles, rec->dst(rec->ea, r & kMask<Bits>, pc)};
}

// ---- ADDX, SUBX ----------------------------------------------------------

template <int Bits, Alu A, bool Record> inline OpResult op_x_rr(const DecodeRecord* rec, uint32_t pc, uint32_t cycles) {
    uint32_t& dx = *rec->reg;
    uint32_t f;
    uint32_t r = alu<Bits, A>(dx, *rec->ea, x_bit(), f);
    set_ccr_extended(f);
    dx = merge_low<Bits>(dx, r);
    if constexpr (Record) record_reg<Bits>(dx);
    return {cycles, pc};
}

// -(Ay),-(Ax): Ay is decremented and read, then Ax; each register keeps its
// new value even when the access after it faults.
struct MemOperands {
    uint32_t src;
    uint32_t dst;
    uint32_t addr;  // of the destination
};

template <int Bits> inline MemOperands read_predec_pair(const DecodeRecord* rec) {
    uint32_t& ay = *rec->ea;
    ay -= an_step<Bits>(rec->ea);
    uint32_t src = bus_read<Bits>(ay);
    uint32_t& ax = *rec->reg;
    ax -= an_step<Bits>(rec->reg);
    uint32_t dst = bus_read<Bits>(ax);
    return {src, dst, ax};
}

template <int Bits, Alu A, bool Record> inline OpResult op_x_mm(const DecodeRecord* rec, uint32_t pc, uint32_t cycles) {
    MemOperands m = read_predec_pair<Bits>(rec);
    uint32_t f;
    uint32_t r = alu<Bits, A>(m.dst, m.src, x_bit(), f) & kMask<Bits>;
    set_ccr_extended(f);
    bus_write<Bits>(m.addr, r);
    if constexpr (Record) record_reg<Bits>(r);
    return {cycles, pc};
}

// ---- CMPM ----------------------------------------------------------------

template <int Bits> inline OpResult op_cmpm(const DecodeRecord* rec, uint32_t pc, uint32_t cycles) {
    uint32_t& ay = *rec->ea;
    uint32_t s = bus_read<Bits>(ay);
    ay += an_step<Bits>(rec->ea);
    uint32_t& ax = *rec->reg;
    uint32_t d = bus_read<Bits>(ax);
    ax += an_step<Bits>(rec->reg);
    uint32_t f;
    alu<Bits, Alu::Sub>(d, s, 0, f);
    cpu_merge_nzvc(f);
    return {cycles, pc};
}

// ---- ABCD, SBCD ----------------------------------------------------------

template <bool Sub> inline Bcd bcd(uint32_t d, uint32_t s) {
    return Sub ? bcd_sub(d, s, x_bit()) : bcd_add(d, s, x_bit());
}

template <bool Sub> inline OpResult op_bcd_rr(const DecodeRecord* rec, uint32_t pc) {
    uint32_t& dx = *rec->reg;
    Bcd b = bcd<Sub>(dx, *rec->ea);
    set_ccr_decimal(b.value, b.carry);
    dx = merge_low<8>(dx, b.value);
    return {6, pc};
}

template <bool Sub> inline OpResult op_bcd_mm(const DecodeRecord* rec, uint32_t pc) {
    MemOperands m = read_predec_pair<8>(rec);
    Bcd b = bcd<Sub>(m.dst, m.src);
    set_ccr_decimal(b.value, b.carry);
    mem_write_byte(m.addr, b.value);
    return {18, pc};
}

}  // namespace

// ---- Handlers ------------------------------------------------------------

OpResult cpu_op_add_ea_dn_b(const DecodeRecord* rec, uint32_t pc) { return op_ea_dn<8, Alu::Add>(rec, pc); }
OpResult cpu_op_add_ea_dn_w(const DecodeRecord* rec, uint32_t pc) { return op_ea_dn<16, Alu::Add>(rec, pc); }
OpResult cpu_op_add_ea_dn_l(const DecodeRecord* rec, uint32_t pc) { return op_ea_dn<32, Alu::Add>(rec, pc); }
OpResult cpu_op_add_dn_ea_b(const DecodeRecord* rec, uint32_t pc) { return op_rmw<8, Alu::Add>(rec, *rec->reg, pc); }
OpResult cpu_op_add_dn_ea_w(const DecodeRecord* rec, uint32_t pc) { return op_rmw<16, Alu::Add>(rec, *rec->reg, pc); }
OpResult cpu_op_add_dn_ea_l(const DecodeRecord* rec, uint32_t pc) { return op_rmw<32, Alu::Add>(rec, *rec->reg, pc); }

OpResult cpu_op_sub_ea_dn_b(const DecodeRecord* rec, uint32_t pc) { return op_ea_dn<8, Alu::Sub>(rec, pc); }
OpResult cpu_op_sub_ea_dn_w(const DecodeRecord* rec, uint32_t pc) { return op_ea_dn<16, Alu::Sub>(rec, pc); }
OpResult cpu_op_sub_ea_dn_l(const DecodeRecord* rec, uint32_t pc) { return op_ea_dn<32, Alu::Sub>(rec, pc); }
OpResult cpu_op_sub_dn_ea_b(const DecodeRecord* rec, uint32_t pc) { return op_rmw<8, Alu::Sub>(rec, *rec->reg, pc); }
OpResult cpu_op_sub_dn_ea_w(const DecodeRecord* rec, uint32_t pc) { return op_rmw<16, Alu::Sub>(rec, *rec->reg, pc); }
OpResult cpu_op_sub_dn_ea_l(const DecodeRecord* rec, uint32_t pc) { return op_rmw<32, Alu::Sub>(rec, *rec->reg, pc); }

OpResult cpu_op_cmp_b(const DecodeRecord* rec, uint32_t pc) { return op_cmp<8>(rec, pc); }
OpResult cpu_op_cmp_w(const DecodeRecord* rec, uint32_t pc) { return op_cmp<16>(rec, pc); }
OpResult cpu_op_cmp_l(const DecodeRecord* rec, uint32_t pc) { return op_cmp<32>(rec, pc); }

OpResult cpu_op_adda_w(const DecodeRecord* rec, uint32_t pc) { return op_addr<16, Alu::Add>(rec, pc); }
OpResult cpu_op_adda_l(const DecodeRecord* rec, uint32_t pc) { return op_addr<32, Alu::Add>(rec, pc); }
OpResult cpu_op_suba_w(const DecodeRecord* rec, uint32_t pc) { return op_addr<16, Alu::Sub>(rec, pc); }
OpResult cpu_op_suba_l(const DecodeRecord* rec, uint32_t pc) { return op_addr<32, Alu::Sub>(rec, pc); }
OpResult cpu_op_cmpa_w(const DecodeRecord* rec, uint32_t pc) { return op_cmpa<16>(rec, pc); }
OpResult cpu_op_cmpa_l(const DecodeRecord* rec, uint32_t pc) { return op_cmpa<32>(rec, pc); }

OpResult cpu_op_addi_b(const DecodeRecord* rec, uint32_t pc) { return op_imm<8, Alu::Add>(rec, pc); }
OpResult cpu_op_addi_w(const DecodeRecord* rec, uint32_t pc) { return op_imm<16, Alu::Add>(rec, pc); }
OpResult cpu_op_addi_l(const DecodeRecord* rec, uint32_t pc) { return op_imm<32, Alu::Add>(rec, pc); }
OpResult cpu_op_subi_b(const DecodeRecord* rec, uint32_t pc) { return op_imm<8, Alu::Sub>(rec, pc); }
OpResult cpu_op_subi_w(const DecodeRecord* rec, uint32_t pc) { return op_imm<16, Alu::Sub>(rec, pc); }
OpResult cpu_op_subi_l(const DecodeRecord* rec, uint32_t pc) { return op_imm<32, Alu::Sub>(rec, pc); }
OpResult cpu_op_cmpi_b(const DecodeRecord* rec, uint32_t pc) { return op_cmpi<8>(rec, pc); }
OpResult cpu_op_cmpi_w(const DecodeRecord* rec, uint32_t pc) { return op_cmpi<16>(rec, pc); }
OpResult cpu_op_cmpi_l(const DecodeRecord* rec, uint32_t pc) { return op_cmpi<32>(rec, pc); }

OpResult cpu_op_addq_b(const DecodeRecord* rec, uint32_t pc) { return op_rmw<8, Alu::Add>(rec, uint32_t(rec->value), pc); }
OpResult cpu_op_addq_w(const DecodeRecord* rec, uint32_t pc) { return op_rmw<16, Alu::Add>(rec, uint32_t(rec->value), pc); }
OpResult cpu_op_addq_l(const DecodeRecord* rec, uint32_t pc) { return op_rmw<32, Alu::Add>(rec, uint32_t(rec->value), pc); }
OpResult cpu_op_subq_b(const DecodeRecord* rec, uint32_t pc) { return op_rmw<8, Alu::Sub>(rec, uint32_t(rec->value), pc); }
OpResult cpu_op_subq_w(const DecodeRecord* rec, uint32_t pc) { return op_rmw<16, Alu::Sub>(rec, uint32_t(rec->value), pc); }
OpResult cpu_op_subq_l(const DecodeRecord* rec, uint32_t pc) { return op_rmw<32, Alu::Sub>(rec, uint32_t(rec->value), pc); }

// The An forms work on all 32 bits whatever the size and leave the CCR alone.
OpResult cpu_op_addq_an(const DecodeRecord* rec, uint32_t pc) {
    uint32_t& an = *rec->ea;
    an += uint32_t(rec->value);
    optrace_record_reg_l(an);
    return {rec->cycles, pc};
}

OpResult cpu_op_subq_an(const DecodeRecord* rec, uint32_t pc) {
    *rec->ea -= uint32_t(rec->value);
    return {rec->cycles, pc};
}

OpResult cpu_op_cmpm_b(const DecodeRecord* rec, uint32_t pc) { return op_cmpm<8>(rec, pc, 12); }
OpResult cpu_op_cmpm_w(const DecodeRecord* rec, uint32_t pc) { return op_cmpm<16>(rec, pc, 12); }
OpResult cpu_op_cmpm_l(const DecodeRecord* rec, uint32_t pc) { return op_cmpm<32>(rec, pc, 20); }

OpResult cpu_op_neg_b(const DecodeRecord* rec, uint32_t pc) { return op_neg<8>(rec, pc); }
OpResult cpu_op_neg_w(const DecodeRecord* rec, uint32_t pc) { return op_neg<16>(rec, pc); }
OpResult cpu_op_neg_l(const DecodeRecord* rec, uint32_t pc) { return op_neg<32>(rec, pc); }
OpResult cpu_op_negx_b(const DecodeRecord* rec, uint32_t pc) { return op_negx<8>(rec, pc); }
OpResult cpu_op_negx_w(const DecodeRecord* rec, uint32_t pc) { return op_negx<16>(rec, pc); }
OpResult cpu_op_negx_l(const DecodeRecord* rec, uint32_t pc) { return op_negx<32>(rec, pc); }

OpResult cpu_op_addx_rr_b(const DecodeRecord* rec, uint32_t pc) { return op_x_rr<8, Alu::Add, true>(rec, pc, 4); }
OpResult cpu_op_addx_rr_w(const DecodeRecord* rec, uint32_t pc) { return op_x_rr<16, Alu::Add, true>(rec, pc, 4); }
OpResult cpu_op_addx_rr_l(const DecodeRecord* rec, uint32_t pc) { return op_x_rr<32, Alu::Add, true>(rec, pc, 8); }
OpResult cpu_op_addx_mm_b(const DecodeRecord* rec, uint32_t pc) { return op_x_mm<8, Alu::Add, true>(rec, pc, 18); }
OpResult cpu_op_addx_mm_w(const DecodeRecord* rec, uint32_t pc) { return op_x_mm<16, Alu::Add, true>(rec, pc, 18); }
OpResult cpu_op_addx_mm_l(const DecodeRecord* rec, uint32_t pc) { return op_x_mm<32, Alu::Add, true>(rec, pc, 30); }

OpResult cpu_op_subx_rr_b(const DecodeRecord* rec, uint32_t pc) { return op_x_rr<8, Alu::Sub, true>(rec, pc, 4); }
OpResult cpu_op_subx_rr_w(const DecodeRecord* rec, uint32_t pc) { return op_x_rr<16, Alu::Sub, false>(rec, pc, 4); }
OpResult cpu_op_subx_rr_l(const DecodeRecord* rec, uint32_t pc) { return op_x_rr<32, Alu::Sub, false>(rec, pc, 8); }
OpResult cpu_op_subx_mm_b(const DecodeRecord* rec, uint32_t pc) { return op_x_mm<8, Alu::Sub, false>(rec, pc, 18); }
OpResult cpu_op_subx_mm_w(const DecodeRecord* rec, uint32_t pc) { return op_x_mm<16, Alu::Sub, false>(rec, pc, 18); }
OpResult cpu_op_subx_mm_l(const DecodeRecord* rec, uint32_t pc) { return op_x_mm<32, Alu::Sub, false>(rec, pc, 30); }

OpResult cpu_op_abcd_rr(const DecodeRecord* rec, uint32_t pc) { return op_bcd_rr<false>(rec, pc); }
OpResult cpu_op_abcd_mm(const DecodeRecord* rec, uint32_t pc) { return op_bcd_mm<false>(rec, pc); }
OpResult cpu_op_sbcd_rr(const DecodeRecord* rec, uint32_t pc) { return op_bcd_rr<true>(rec, pc); }
OpResult cpu_op_sbcd_mm(const DecodeRecord* rec, uint32_t pc) { return op_bcd_mm<true>(rec, pc); }

OpResult cpu_op_nbcd(const DecodeRecord* rec, uint32_t pc) {
    uint32_t d = rec->src(rec->ea, pc).value;
    Bcd b = bcd_sub(0, d, x_bit());
    set_ccr_decimal(b.value, b.carry);
    return {rec->cycles, rec->dst(rec->ea, b.value, pc)};
}

// ---- Builders ------------------------------------------------------------

namespace {

using ea_modes::handler_for_mode;
using ea_modes::mode_handlers;
using ea_modes::ModeHandlers;
using ea_modes::MODES_REG_AND_SIMPLE_MEM;
using ea_modes::MODES_SOURCE;

// The per-mode handlers of each family and size.
template <int Bits, Alu A> struct EaDn {
    template <uint32_t M> static OpResult run(const DecodeRecord* rec, uint32_t pc) { return op_ea_dn<Bits, A, M>(rec, pc); }
};
template <int Bits, Alu A> struct DnEa {
    template <uint32_t M> static OpResult run(const DecodeRecord* rec, uint32_t pc) {
        return op_rmw<Bits, A, M>(rec, *rec->reg, pc);
    }
};
template <int Bits> struct Cmp {
    template <uint32_t M> static OpResult run(const DecodeRecord* rec, uint32_t pc) { return op_cmp<Bits, M>(rec, pc); }
};
template <int Bits, Alu A> struct Addr {
    template <uint32_t M> static OpResult run(const DecodeRecord* rec, uint32_t pc) { return op_addr<Bits, A, M>(rec, pc); }
};
template <int Bits> struct Cmpa {
    template <uint32_t M> static OpResult run(const DecodeRecord* rec, uint32_t pc) { return op_cmpa<Bits, M>(rec, pc); }
};
template <int Bits, Alu A> struct Imm {
    template <uint32_t M> static OpResult run(const DecodeRecord* rec, uint32_t pc) { return op_imm<Bits, A, M>(rec, pc); }
};
template <int Bits> struct Cmpi {
    template <uint32_t M> static OpResult run(const DecodeRecord* rec, uint32_t pc) { return op_cmpi<Bits, M>(rec, pc); }
};
template <int Bits, Alu A> struct Quick {
    template <uint32_t M> static OpResult run(const DecodeRecord* rec, uint32_t pc) {
        return op_rmw<Bits, A, M>(rec, uint32_t(rec->value), pc);
    }
};

// An as a source of ADD, SUB, ADDA and SUBA and (An) as the destination of
// ADD and SUB stay with the family's handler; so do the indexed and PC modes.
constexpr uint32_t kAddSubSource = MODES_SOURCE & ~ea_modes::mode_bit(EA_AN);
constexpr uint32_t kAddSubDest = MODES_REG_AND_SIMPLE_MEM & ~ea_modes::mode_bit(EA_IND);

using ByMode = std::array<ModeHandlers, 3>;  // .B, .W, .L
template <template <int, Alu> class F, Alu A, uint32_t Modes> constexpr ByMode by_size() {
    return {mode_handlers<F<8, A>, Modes>(), mode_handlers<F<16, A>, Modes>(), mode_handlers<F<32, A>, Modes>()};
}
template <template <int> class F, uint32_t Modes> constexpr ByMode by_size() {
    return {mode_handlers<F<8>, Modes>(), mode_handlers<F<16>, Modes>(), mode_handlers<F<32>, Modes>()};
}

constexpr ByMode kAddEaDn = by_size<EaDn, Alu::Add, kAddSubSource>();
constexpr ByMode kSubEaDn = by_size<EaDn, Alu::Sub, kAddSubSource>();
constexpr ByMode kCmp = by_size<Cmp, MODES_SOURCE>();
constexpr ByMode kAddDnEa = by_size<DnEa, Alu::Add, kAddSubDest>();
constexpr ByMode kSubDnEa = by_size<DnEa, Alu::Sub, kAddSubDest>();
// .W and .L in slots 1 and 2.
constexpr ByMode kAdda = {ModeHandlers{}, mode_handlers<Addr<16, Alu::Add>, kAddSubSource>(), mode_handlers<Addr<32, Alu::Add>, kAddSubSource>()};
constexpr ByMode kSuba = {ModeHandlers{}, mode_handlers<Addr<16, Alu::Sub>, kAddSubSource>(), mode_handlers<Addr<32, Alu::Sub>, kAddSubSource>()};
constexpr ByMode kCmpa = {ModeHandlers{}, mode_handlers<Cmpa<16>, MODES_SOURCE>(), mode_handlers<Cmpa<32>, MODES_SOURCE>()};
constexpr ByMode kAddi = by_size<Imm, Alu::Add, MODES_REG_AND_SIMPLE_MEM>();
constexpr ByMode kSubi = by_size<Imm, Alu::Sub, MODES_REG_AND_SIMPLE_MEM>();
constexpr ByMode kCmpi = by_size<Cmpi, MODES_REG_AND_SIMPLE_MEM>();
constexpr ByMode kAddq = by_size<Quick, Alu::Add, MODES_REG_AND_SIMPLE_MEM>();
constexpr ByMode kSubq = by_size<Quick, Alu::Sub, MODES_REG_AND_SIMPLE_MEM>();

struct SizedOp {
    uint32_t base;
    OpHandler exec[3];  // .B, .W, .L
    DisRoutine dis;
    const ByMode* modes;
};

}  // namespace

void cpu_build_abcd_sbcd() {
    struct Op {
        uint32_t base;
        OpHandler rr, mm;
        DisRoutine dis;
    };
    static const Op ops[] = {
        {0xC100, cpu_op_abcd_rr, cpu_op_abcd_mm, dis_abcd},
        {0x8100, cpu_op_sbcd_rr, cpu_op_sbcd_mm, dis_sbcd},
    };
    for (const Op& op : ops)
        for (uint32_t q = 0; q < 8; ++q)
            for (uint32_t mem = 0; mem < 2; ++mem)
                for (uint32_t r = 0; r < 8; ++r) {
                    DecodeRecord* rec = cpu_new_ind(op.base | q << 9 | mem << 3 | r);
                    rec->exec = mem ? op.mm : op.rr;
                    rec->dis = op.dis;
                    rec->reg = cpu_reg_slot(mem, q);
                    rec->ea = cpu_reg_slot(mem, r);
                }
}

void cpu_build_add_sub_cmp() {
    static const SizedOp to_dn[] = {
        {0xD000, {cpu_op_add_ea_dn_b, cpu_op_add_ea_dn_w, cpu_op_add_ea_dn_l}, dis_add, &kAddEaDn},
        {0x9000, {cpu_op_sub_ea_dn_b, cpu_op_sub_ea_dn_w, cpu_op_sub_ea_dn_l}, dis_sub, &kSubEaDn},
        {0xB000, {cpu_op_cmp_b, cpu_op_cmp_w, cpu_op_cmp_l}, dis_cmp, &kCmp},
    };
    static const SizedOp to_ea[] = {
        {0xD100, {cpu_op_add_dn_ea_b, cpu_op_add_dn_ea_w, cpu_op_add_dn_ea_l}, dis_add, &kAddDnEa},
        {0x9100, {cpu_op_sub_dn_ea_b, cpu_op_sub_dn_ea_w, cpu_op_sub_dn_ea_l}, dis_sub, &kSubDnEa},
    };
    for (const SizedOp& op : to_dn)
        for (uint32_t s = 0; s < 3; ++s)
            for (uint32_t q = 0; q < 8; ++q)
                cpu_for_each_ea(s == SIZE_B ? g_ea_valid_data : g_ea_valid_all, [&](uint32_t mode, uint32_t r, uint32_t m) {
                    DecodeRecord* rec = cpu_new_ind(op.base | q << 9 | s << 6 | mode << 3 | r);
                    rec->exec = handler_for_mode((*op.modes)[s], m, op.exec[s]);
                    rec->dis = op.dis;
                    rec->ea = cpu_reg_slot(mode, r);
                    rec->src = ea_read(s, m);
                    rec->reg = cpu_reg_slot(0, q);
                    rec->cycles = cpu_ea_time(s, m) + (s < SIZE_L ? 4 : 6);
                });
    for (const SizedOp& op : to_ea)
        for (uint32_t s = 0; s < 3; ++s)
            for (uint32_t q = 0; q < 8; ++q)
                cpu_for_each_ea(g_ea_valid_mem_alterable, [&](uint32_t mode, uint32_t r, uint32_t m) {
                    DecodeRecord* rec = cpu_new_ind(op.base | q << 9 | s << 6 | mode << 3 | r);
                    rec->exec = handler_for_mode((*op.modes)[s], m, op.exec[s]);
                    rec->dis = op.dis;
                    rec->ea = cpu_reg_slot(mode, r);
                    rec->src = ea_peek(s, m);
                    rec->reg = cpu_reg_slot(0, q);
                    rec->cycles = cpu_ea_time(s, m) + (s < SIZE_L ? 8 : 12);
                    rec->dst = ea_write(s, m);
                });
}

void cpu_build_adda_suba_cmpa() {
    struct Op {
        uint32_t base;
        OpHandler exec[2];  // .W, .L
        DisRoutine dis;
        const ByMode* modes;
    };
    static const Op ops[] = {
        {0xD0C0, {cpu_op_adda_w, cpu_op_adda_l}, dis_adda, &kAdda},
        {0x90C0, {cpu_op_suba_w, cpu_op_suba_l}, dis_suba, &kSuba},
        {0xB0C0, {cpu_op_cmpa_w, cpu_op_cmpa_l}, dis_cmpa, &kCmpa},
    };
    for (const Op& op : ops)
        for (uint32_t l = 0; l < 2; ++l)
            for (uint32_t q = 0; q < 8; ++q)
                cpu_for_each_ea(g_ea_valid_all, [&](uint32_t mode, uint32_t r, uint32_t m) {
                    uint32_t size = l ? SIZE_L : SIZE_W;
                    DecodeRecord* rec = cpu_new_ind(op.base | q << 9 | l << 8 | mode << 3 | r);
                    rec->exec = handler_for_mode((*op.modes)[size], m, op.exec[l]);
                    rec->dis = op.dis;
                    rec->ea = cpu_reg_slot(mode, r);
                    rec->src = ea_read(size, m);
                    rec->reg = cpu_reg_slot(1, q);
                    rec->cycles = cpu_ea_time(size, m) + (l ? 6 : 8);
                });
}

void cpu_build_addx_subx() {
    struct Op {
        uint32_t base;
        OpHandler rr[3], mm[3];
        DisRoutine dis;
    };
    static const Op ops[] = {
        {0xD100,
         {cpu_op_addx_rr_b, cpu_op_addx_rr_w, cpu_op_addx_rr_l},
         {cpu_op_addx_mm_b, cpu_op_addx_mm_w, cpu_op_addx_mm_l},
         dis_addx},
        {0x9100,
         {cpu_op_subx_rr_b, cpu_op_subx_rr_w, cpu_op_subx_rr_l},
         {cpu_op_subx_mm_b, cpu_op_subx_mm_w, cpu_op_subx_mm_l},
         dis_subx},
    };
    for (const Op& op : ops)
        for (uint32_t s = 0; s < 3; ++s)
            for (uint32_t q = 0; q < 8; ++q)
                for (uint32_t mem = 0; mem < 2; ++mem)
                    for (uint32_t r = 0; r < 8; ++r) {
                        DecodeRecord* rec = cpu_new_ind(op.base | q << 9 | s << 6 | mem << 3 | r);
                        rec->exec = mem ? op.mm[s] : op.rr[s];
                        rec->dis = op.dis;
                        rec->reg = cpu_reg_slot(mem, q);
                        rec->ea = cpu_reg_slot(mem, r);
                    }
}

void cpu_build_addi_subi_cmpi() {
    static const SizedOp ops[] = {
        {0x0600, {cpu_op_addi_b, cpu_op_addi_w, cpu_op_addi_l}, dis_addi, &kAddi},
        {0x0400, {cpu_op_subi_b, cpu_op_subi_w, cpu_op_subi_l}, dis_subi, &kSubi},
        {0x0C00, {cpu_op_cmpi_b, cpu_op_cmpi_w, cpu_op_cmpi_l}, dis_cmpi, &kCmpi},
    };
    for (const SizedOp& op : ops) {
        bool cmp = op.base == 0x0C00;
        for (uint32_t s = 0; s < 3; ++s)
            cpu_for_each_ea(g_ea_valid_data_alterable, [&](uint32_t mode, uint32_t r, uint32_t m) {
                DecodeRecord* rec = cpu_new_ind(op.base | s << 6 | mode << 3 | r);
                rec->exec = handler_for_mode((*op.modes)[s], m, op.exec[s]);
                rec->dis = op.dis;
                rec->ea = cpu_reg_slot(mode, r);
                uint32_t t = cpu_ea_time(s, m);
                bool dn = m == EA_DN;
                if (cmp) {
                    rec->src = ea_read(s, m);
                    rec->cycles = t + (s == SIZE_B ? 8 : dn ? 14 : 12);
                } else {
                    rec->src = ea_peek(s, m);
                    rec->cycles = t + (dn ? (s < SIZE_L ? 8 : 16) : (s < SIZE_L ? 12 : 20));
                    rec->dst = ea_write(s, m);
                }
            });
    }
}

void cpu_build_addq_subq() {
    struct Op {
        uint32_t base;
        OpHandler exec[3];  // .B, .W, .L
        OpHandler an;       // .W and .L on An
        DisRoutine dis;
        const ByMode* modes;
    };
    static const Op ops[] = {
        {0x5000, {cpu_op_addq_b, cpu_op_addq_w, cpu_op_addq_l}, cpu_op_addq_an, dis_addq, &kAddq},
        {0x5100, {cpu_op_subq_b, cpu_op_subq_w, cpu_op_subq_l}, cpu_op_subq_an, dis_subq, &kSubq},
    };
    for (const Op& op : ops)
        for (uint32_t s = 0; s < 3; ++s)
            for (uint32_t d = 0; d < 8; ++d)
                cpu_for_each_ea(g_ea_valid_alterable, [&](uint32_t mode, uint32_t r, uint32_t m) {
                    bool an = m == EA_AN;
                    if (an && s == SIZE_B) return;
                    DecodeRecord* rec = cpu_new_ind(op.base | d << 9 | s << 6 | mode << 3 | r);
                    rec->exec = an ? op.an : handler_for_mode((*op.modes)[s], m, op.exec[s]);
                    rec->dis = op.dis;
                    rec->ea = cpu_reg_slot(mode, r);
                    rec->src = ea_peek(s, m);
                    uint32_t t = cpu_ea_time(s, m);
                    rec->cycles = t + (m == EA_DN ? (s < SIZE_L ? 4 : 8) : (an || s < SIZE_L ? 8 : 12));
                    rec->dst = ea_write(s, m);
                    rec->value = d ? int32_t(d) : 8;
                });
}

void cpu_build_cmpm() {
    static const OpHandler exec[3] = {cpu_op_cmpm_b, cpu_op_cmpm_w, cpu_op_cmpm_l};
    for (uint32_t s = 0; s < 3; ++s)
        for (uint32_t q = 0; q < 8; ++q)
            for (uint32_t r = 0; r < 8; ++r) {
                DecodeRecord* rec = cpu_new_ind(0xB108 | q << 9 | s << 6 | r);
                rec->exec = exec[s];
                rec->dis = dis_cmpm;
                rec->ea = cpu_reg_slot(1, r);
                rec->reg = cpu_reg_slot(1, q);
            }
}

void cpu_build_nbcd() {
    cpu_for_each_ea(g_ea_valid_data_alterable, [](uint32_t mode, uint32_t r, uint32_t m) {
        DecodeRecord* rec = cpu_new_ind(0x4800 | mode << 3 | r);
        rec->exec = cpu_op_nbcd;
        rec->dis = dis_nbcd;
        rec->ea = cpu_reg_slot(mode, r);
        rec->src = ea_peek(SIZE_B, m);
        rec->dst = ea_write(SIZE_B, m);
        rec->cycles = m == EA_DN ? 6 : cpu_ea_time(SIZE_B, m) + 8;
    });
}

void cpu_build_neg_negx() {
    static const SizedOp ops[] = {
        {0x4400, {cpu_op_neg_b, cpu_op_neg_w, cpu_op_neg_l}, dis_neg, nullptr},
        {0x4000, {cpu_op_negx_b, cpu_op_negx_w, cpu_op_negx_l}, dis_negx, nullptr},
    };
    for (const SizedOp& op : ops)
        for (uint32_t s = 0; s < 3; ++s)
            cpu_for_each_ea(g_ea_valid_data_alterable, [&](uint32_t mode, uint32_t r, uint32_t m) {
                DecodeRecord* rec = cpu_new_ind(op.base | s << 6 | mode << 3 | r);
                rec->exec = op.exec[s];
                rec->dis = op.dis;
                rec->ea = cpu_reg_slot(mode, r);
                rec->src = ea_peek(s, m);
                rec->dst = ea_write(s, m);
                rec->cycles = m == EA_DN ? 6 : cpu_ea_time(s, m) + 4;
            });
}
