// NEG, NEGX, ADDX, SUBX, CMPM, ABCD, SBCD and NBCD and their decode builders.

#include "core/ops_arith.h"

#include "core/arith_steps.h"
#include "core/boundary.h"
#include "core/decode.h"
#include "core/ea.h"

namespace {

using namespace arith;

// ADDX, SUBX, NEGX: the whole CCR from the flag rule, except that a zero result
// keeps Z as it was and a nonzero one clears it.
inline void set_ccr_extended(uint32_t f) {
    uint32_t z = (f & SR_Z) ? (g_cpu_regs.sr & SR_Z) : 0;
    cpu_set_ccr((f & ~SR_Z) | z);
}

// ABCD, SBCD, NBCD: X and C from the decimal carry, Z cleared by a nonzero
// result; N, V and bits 5-7 stay.
inline void set_ccr_decimal(uint32_t result, uint32_t carry) {
    uint32_t sr = g_cpu_regs.sr & ~(SR_X | SR_C);
    if (carry) sr |= SR_X | SR_C;
    if (result & 0xFF) sr &= ~SR_Z;
    g_cpu_regs.sr = sr;
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

void cpu_build_nbcd() { cpu_build_byte_rmw(0x4800, cpu_op_nbcd, dis_nbcd, 6, 8); }

void cpu_build_neg_negx() {
    struct Op {
        uint32_t base;
        OpHandler exec[3];  // .B, .W, .L
        DisRoutine dis;
    };
    static const Op ops[] = {
        {0x4400, {cpu_op_neg_b, cpu_op_neg_w, cpu_op_neg_l}, dis_neg},
        {0x4000, {cpu_op_negx_b, cpu_op_negx_w, cpu_op_negx_l}, dis_negx},
    };
    for (const Op& op : ops)
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
