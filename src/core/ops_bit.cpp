// Single-bit instructions. Only Z changes: it is set when the tested bit
// was 0 before the operation.

#include "core/ops_bit.h"

#include "core/boundary.h"
#include "core/bus.h"
#include "core/cpu_regs.h"
#include "core/decode.h"
#include "core/ea.h"

namespace {

enum class BitOp { Tst, Chg, Clr, Set };

template <BitOp Op> inline uint32_t bit_apply(uint32_t v, uint32_t mask) {
    if constexpr (Op == BitOp::Chg) return v ^ mask;
    else if constexpr (Op == BitOp::Clr) return v & ~mask;
    else if constexpr (Op == BitOp::Set) return v | mask;
    else return v;
}

inline void bit_set_z(uint32_t v, uint32_t mask) { g_cpu_regs.sr = (g_cpu_regs.sr & ~SR_Z) | ((v & mask) ? 0 : SR_Z); }

// Data register operand: all 32 bits, bit number modulo 32.
template <BitOp Op> inline void bit_reg(uint32_t& dm, uint32_t n) {
    uint32_t mask = uint32_t(1) << (n & 31);
    bit_set_z(dm, mask);
    if constexpr (Op != BitOp::Tst) dm = bit_apply<Op>(dm, mask);
}

// Memory byte operand, bit number modulo 8; BTST reads, the others peek and write.
template <BitOp Op> inline uint32_t bit_mem(const DecodeRecord* rec, uint32_t n, uint32_t pc) {
    uint32_t mask = uint32_t(1) << (n & 7);
    EaResult r = rec->src(rec->ea, pc);
    bit_set_z(r.value, mask);
    if constexpr (Op == BitOp::Tst) return r.pc;
    else return rec->dst(rec->ea, bit_apply<Op>(r.value, mask) & 0xFF, pc);
}

template <BitOp Op> inline OpResult bit_dn_dn(const DecodeRecord* rec, uint32_t pc) {
    bit_reg<Op>(*rec->ea, *rec->reg);
    return {rec->cycles, pc};
}

template <BitOp Op> inline OpResult bit_imm_dn(const DecodeRecord* rec, uint32_t pc) {
    bit_reg<Op>(*rec->ea, cpu_fetch_word(pc));
    return {rec->cycles, pc + 2};
}

template <BitOp Op> inline OpResult bit_dn_ea(const DecodeRecord* rec, uint32_t pc) {
    return {rec->cycles, bit_mem<Op>(rec, *rec->reg, pc)};
}

// The bit-number word precedes the operand's extension words.
template <BitOp Op> inline OpResult bit_imm_ea(const DecodeRecord* rec, uint32_t pc) {
    return {rec->cycles, bit_mem<Op>(rec, cpu_fetch_word(pc), pc + 2)};
}

}  // namespace

OpResult cpu_op_btst_dn_dn(const DecodeRecord* rec, uint32_t pc) { return bit_dn_dn<BitOp::Tst>(rec, pc); }
OpResult cpu_op_bchg_dn_dn(const DecodeRecord* rec, uint32_t pc) { return bit_dn_dn<BitOp::Chg>(rec, pc); }
OpResult cpu_op_bclr_dn_dn(const DecodeRecord* rec, uint32_t pc) { return bit_dn_dn<BitOp::Clr>(rec, pc); }
OpResult cpu_op_bset_dn_dn(const DecodeRecord* rec, uint32_t pc) { return bit_dn_dn<BitOp::Set>(rec, pc); }

OpResult cpu_op_btst_dn_ea(const DecodeRecord* rec, uint32_t pc) { return bit_dn_ea<BitOp::Tst>(rec, pc); }
OpResult cpu_op_bchg_dn_ea(const DecodeRecord* rec, uint32_t pc) { return bit_dn_ea<BitOp::Chg>(rec, pc); }
OpResult cpu_op_bclr_dn_ea(const DecodeRecord* rec, uint32_t pc) { return bit_dn_ea<BitOp::Clr>(rec, pc); }
OpResult cpu_op_bset_dn_ea(const DecodeRecord* rec, uint32_t pc) { return bit_dn_ea<BitOp::Set>(rec, pc); }

OpResult cpu_op_btst_imm_dn(const DecodeRecord* rec, uint32_t pc) { return bit_imm_dn<BitOp::Tst>(rec, pc); }
OpResult cpu_op_bchg_imm_dn(const DecodeRecord* rec, uint32_t pc) { return bit_imm_dn<BitOp::Chg>(rec, pc); }
OpResult cpu_op_bclr_imm_dn(const DecodeRecord* rec, uint32_t pc) { return bit_imm_dn<BitOp::Clr>(rec, pc); }
OpResult cpu_op_bset_imm_dn(const DecodeRecord* rec, uint32_t pc) { return bit_imm_dn<BitOp::Set>(rec, pc); }

OpResult cpu_op_btst_imm_ea(const DecodeRecord* rec, uint32_t pc) { return bit_imm_ea<BitOp::Tst>(rec, pc); }
OpResult cpu_op_bchg_imm_ea(const DecodeRecord* rec, uint32_t pc) { return bit_imm_ea<BitOp::Chg>(rec, pc); }
OpResult cpu_op_bclr_imm_ea(const DecodeRecord* rec, uint32_t pc) { return bit_imm_ea<BitOp::Clr>(rec, pc); }
OpResult cpu_op_bset_imm_ea(const DecodeRecord* rec, uint32_t pc) { return bit_imm_ea<BitOp::Set>(rec, pc); }

// ---- Decode-table builders ----

namespace {

struct BitForm {
    OpHandler on_dn;
    OpHandler on_mem;
    DisRoutine dis;
    uint32_t dn_cycles;  // Dm operand
};

// Register operands take the long routines, memory operands the byte ones.
// dynamic: the bit number is in Dq; rmw: BCHG, BCLR, BSET.
void build_bit_forms(uint32_t opcode, const BitForm& f, const uint8_t* valid, bool dynamic, bool rmw,
                     uint32_t mem_extra, uint32_t q) {
    for (uint32_t ea = 0; ea < 64; ++ea) {
        uint32_t m = cpu_ea_mode_index(ea >> 3, ea & 7);
        if (!valid[m]) continue;
        DecodeRecord* rec = cpu_new_ind(opcode | ea);
        uint32_t size = m == EA_DN ? SIZE_L : SIZE_B;
        rec->exec = m == EA_DN ? f.on_dn : f.on_mem;
        rec->dis = f.dis;
        rec->ea = cpu_reg_slot(ea >> 3, ea & 7);
        rec->src = rmw && m != EA_DN ? ea_peek(size, m) : ea_read(size, m);
        if (dynamic) rec->reg = cpu_reg_slot(0, q);
        rec->cycles = m == EA_DN ? f.dn_cycles : cpu_ea_time(SIZE_B, m) + mem_extra;
        if (rmw) rec->dst = ea_write(size, m);
    }
}

}  // namespace

void cpu_build_bchg_bclr_bset() {
    // Dynamic forms $0140/$0180/$01C0 + q<<9, static forms $0840/$0880/$08C0.
    static const BitForm dyn[3] = {
        {cpu_op_bchg_dn_dn, cpu_op_bchg_dn_ea, dis_bchg, 8},
        {cpu_op_bclr_dn_dn, cpu_op_bclr_dn_ea, dis_bclr, 10},
        {cpu_op_bset_dn_dn, cpu_op_bset_dn_ea, dis_bset, 8},
    };
    static const BitForm imm[3] = {
        {cpu_op_bchg_imm_dn, cpu_op_bchg_imm_ea, dis_bchg, 12},
        {cpu_op_bclr_imm_dn, cpu_op_bclr_imm_ea, dis_bclr, 14},
        {cpu_op_bset_imm_dn, cpu_op_bset_imm_ea, dis_bset, 12},
    };
    for (uint32_t t = 0; t < 3; ++t) {
        uint32_t type = (t + 1) << 6;
        for (uint32_t q = 0; q < 8; ++q)
            build_bit_forms(0x0100 | (q << 9) | type, dyn[t], g_ea_valid_data_alterable, true, true, 8, q);
        build_bit_forms(0x0800 | type, imm[t], g_ea_valid_data_alterable, false, true, 12, 0);
    }
}

void cpu_build_btst() {
    static const BitForm dyn = {cpu_op_btst_dn_dn, cpu_op_btst_dn_ea, dis_btst, 6};
    static const BitForm imm = {cpu_op_btst_imm_dn, cpu_op_btst_imm_ea, dis_btst, 10};
    // The static form has no immediate operand: its only extension word is the bit number.
    uint8_t data_no_imm[16];
    for (uint32_t m = 0; m < 16; ++m) data_no_imm[m] = m == EA_IMM ? 0 : g_ea_valid_data[m];
    for (uint32_t q = 0; q < 8; ++q) build_bit_forms(0x0100 | (q << 9), dyn, g_ea_valid_data, true, false, 4, q);
    build_bit_forms(0x0800, imm, data_no_imm, false, false, 8, 0);
}
