// Logic instructions: AND, OR, EOR, ANDI, ORI, EORI, NOT and the immediate
// operations on the CCR and on the SR.

#include "core/ops_logic.h"

#include "core/boundary.h"
#include "core/bus.h"
#include "core/cpu_regs.h"
#include "core/decode.h"
#include "core/ea.h"
#include "core/ea_modes.h"
#include "core/exceptions.h"
#include "core/flags.h"
#include "core/trace.h"

namespace {

enum class Logic { And, Or, Eor };

template <Logic Op> inline uint32_t logic_apply(uint32_t a, uint32_t b) {
    if constexpr (Op == Logic::And) return a & b;
    else if constexpr (Op == Logic::Or) return a | b;
    else return a ^ b;
}

template <int Bits> inline void record_reg(uint32_t v) {
    if constexpr (Bits == 8) optrace_record_reg_byte(v);
    else if constexpr (Bits == 16) optrace_record_reg_word(v);
    else optrace_record_reg_long(v);
}

// N and Z of the result, V = C = 0, X kept.
template <int Bits> inline void logic_flags(uint32_t result) { cpu_merge_nzvc(ccr_nz<Bits>(result)); }

// The immediate operand at pc: one word for byte and word, one long for long.
template <int Bits> inline EaResult fetch_imm(uint32_t pc) {
    if constexpr (Bits == 32) return {cpu_fetch_long(pc), pc + 4};
    else return {cpu_fetch_word(pc) & Width<Bits>::mask, pc + 2};
}

using ea_modes::EA_BY_RECORD;

// Each handler takes the mode of its EA operand (EA_BY_RECORD: through the
// record's routines).
// <ea>,Dn: only the low byte or word of Dn changes at those sizes.
template <Logic Op, int Bits, uint32_t M = EA_BY_RECORD>
inline OpResult logic_ea_dn(const DecodeRecord* rec, uint32_t pc) {
    constexpr uint32_t m = Width<Bits>::mask;
    EaResult src = ea_modes::operand_read_before_reg<M, Bits>(rec, pc);
    uint32_t& dn = *rec->reg;
    uint32_t result = logic_apply<Op>(dn, src.value) & m;
    dn = (dn & ~m) | result;
    logic_flags<Bits>(result);
    ea_modes::record_reg_after<M, Bits>(dn);
    return {rec->cycles, src.pc};
}

// Dn,<ea> (and EOR): peek, operate, write through the same mode.
template <Logic Op, int Bits, uint32_t M = EA_BY_RECORD>
inline OpResult logic_dn_ea(const DecodeRecord* rec, uint32_t pc) {
    uint32_t operand = ea_modes::operand_peek_before_write<M, Bits>(rec, pc).value;
    uint32_t result = logic_apply<Op>(operand, *rec->reg) & Width<Bits>::mask;
    logic_flags<Bits>(result);
    return {rec->cycles, ea_modes::operand_write<M, Bits>(rec, result, pc)};
}

// #imm,<ea>: the immediate comes first, the destination's extension words after it.
template <Logic Op, int Bits, uint32_t M = EA_BY_RECORD>
inline OpResult logic_imm_ea(const DecodeRecord* rec, uint32_t pc) {
    EaResult imm = fetch_imm<Bits>(pc);
    uint32_t operand = ea_modes::operand_peek_before_write<M, Bits>(rec, imm.pc).value;
    uint32_t result = logic_apply<Op>(operand, imm.value) & Width<Bits>::mask;
    logic_flags<Bits>(result);
    return {rec->cycles, ea_modes::operand_write<M, Bits>(rec, result, imm.pc)};
}

template <int Bits> inline OpResult logic_not(const DecodeRecord* rec, uint32_t pc) {
    uint32_t result = ~rec->src(rec->ea, pc).value & Width<Bits>::mask;
    logic_flags<Bits>(result);
    return {rec->cycles, rec->dst(rec->ea, result, pc)};
}

// Only the five flags of the CCR exist; the system byte is untouched.
template <Logic Op> inline OpResult logic_ccr(uint32_t pc) {
    uint32_t ccr = logic_apply<Op>(g_cpu_regs.sr, cpu_fetch_word(pc)) & 0x1F;
    g_cpu_regs.sr = (g_cpu_regs.sr & ~uint32_t(0xFF)) | ccr;
    return {20, pc + 2};
}

template <Logic Op> inline OpResult logic_sr(uint32_t pc) {
    if (!cpu_supervisor()) {
        cpu_privilege_violation(pc);
        return {4, pc};
    }
    cpu_set_sr(logic_apply<Op>(g_cpu_regs.sr, cpu_fetch_word(pc)) & 0xFFFF);
    return {20, pc + 2};
}

}  // namespace

OpResult cpu_op_and_ea_dn_b(const DecodeRecord* rec, uint32_t pc) { return logic_ea_dn<Logic::And, 8>(rec, pc); }
OpResult cpu_op_and_ea_dn_w(const DecodeRecord* rec, uint32_t pc) { return logic_ea_dn<Logic::And, 16>(rec, pc); }
OpResult cpu_op_and_ea_dn_l(const DecodeRecord* rec, uint32_t pc) { return logic_ea_dn<Logic::And, 32>(rec, pc); }
OpResult cpu_op_or_ea_dn_b(const DecodeRecord* rec, uint32_t pc) { return logic_ea_dn<Logic::Or, 8>(rec, pc); }
OpResult cpu_op_or_ea_dn_w(const DecodeRecord* rec, uint32_t pc) { return logic_ea_dn<Logic::Or, 16>(rec, pc); }
OpResult cpu_op_or_ea_dn_l(const DecodeRecord* rec, uint32_t pc) { return logic_ea_dn<Logic::Or, 32>(rec, pc); }

OpResult cpu_op_and_dn_ea_b(const DecodeRecord* rec, uint32_t pc) { return logic_dn_ea<Logic::And, 8>(rec, pc); }
OpResult cpu_op_and_dn_ea_w(const DecodeRecord* rec, uint32_t pc) { return logic_dn_ea<Logic::And, 16>(rec, pc); }
OpResult cpu_op_and_dn_ea_l(const DecodeRecord* rec, uint32_t pc) { return logic_dn_ea<Logic::And, 32>(rec, pc); }
OpResult cpu_op_or_dn_ea_b(const DecodeRecord* rec, uint32_t pc) { return logic_dn_ea<Logic::Or, 8>(rec, pc); }
OpResult cpu_op_or_dn_ea_w(const DecodeRecord* rec, uint32_t pc) { return logic_dn_ea<Logic::Or, 16>(rec, pc); }
OpResult cpu_op_or_dn_ea_l(const DecodeRecord* rec, uint32_t pc) { return logic_dn_ea<Logic::Or, 32>(rec, pc); }

OpResult cpu_op_eor_b(const DecodeRecord* rec, uint32_t pc) { return logic_dn_ea<Logic::Eor, 8>(rec, pc); }
OpResult cpu_op_eor_w(const DecodeRecord* rec, uint32_t pc) { return logic_dn_ea<Logic::Eor, 16>(rec, pc); }
OpResult cpu_op_eor_l(const DecodeRecord* rec, uint32_t pc) { return logic_dn_ea<Logic::Eor, 32>(rec, pc); }

OpResult cpu_op_andi_b(const DecodeRecord* rec, uint32_t pc) { return logic_imm_ea<Logic::And, 8>(rec, pc); }
OpResult cpu_op_andi_w(const DecodeRecord* rec, uint32_t pc) { return logic_imm_ea<Logic::And, 16>(rec, pc); }
OpResult cpu_op_andi_l(const DecodeRecord* rec, uint32_t pc) { return logic_imm_ea<Logic::And, 32>(rec, pc); }
OpResult cpu_op_ori_b(const DecodeRecord* rec, uint32_t pc) { return logic_imm_ea<Logic::Or, 8>(rec, pc); }
OpResult cpu_op_ori_w(const DecodeRecord* rec, uint32_t pc) { return logic_imm_ea<Logic::Or, 16>(rec, pc); }
OpResult cpu_op_ori_l(const DecodeRecord* rec, uint32_t pc) { return logic_imm_ea<Logic::Or, 32>(rec, pc); }
OpResult cpu_op_eori_b(const DecodeRecord* rec, uint32_t pc) { return logic_imm_ea<Logic::Eor, 8>(rec, pc); }
OpResult cpu_op_eori_w(const DecodeRecord* rec, uint32_t pc) { return logic_imm_ea<Logic::Eor, 16>(rec, pc); }
OpResult cpu_op_eori_l(const DecodeRecord* rec, uint32_t pc) { return logic_imm_ea<Logic::Eor, 32>(rec, pc); }

OpResult cpu_op_not_b(const DecodeRecord* rec, uint32_t pc) { return logic_not<8>(rec, pc); }
OpResult cpu_op_not_w(const DecodeRecord* rec, uint32_t pc) { return logic_not<16>(rec, pc); }
OpResult cpu_op_not_l(const DecodeRecord* rec, uint32_t pc) { return logic_not<32>(rec, pc); }

OpResult cpu_op_andi_ccr(const DecodeRecord*, uint32_t pc) { return logic_ccr<Logic::And>(pc); }
OpResult cpu_op_ori_ccr(const DecodeRecord*, uint32_t pc) { return logic_ccr<Logic::Or>(pc); }
OpResult cpu_op_eori_ccr(const DecodeRecord*, uint32_t pc) { return logic_ccr<Logic::Eor>(pc); }

OpResult cpu_op_andi_sr(const DecodeRecord*, uint32_t pc) { return logic_sr<Logic::And>(pc); }
OpResult cpu_op_ori_sr(const DecodeRecord*, uint32_t pc) { return logic_sr<Logic::Or>(pc); }
OpResult cpu_op_eori_sr(const DecodeRecord*, uint32_t pc) { return logic_sr<Logic::Eor>(pc); }

// ---- Decode-table builders ----

namespace {

inline uint32_t size_add(uint32_t s, uint32_t bw, uint32_t l) { return s < 2 ? bw : l; }

using ea_modes::handler_for_mode;
using ea_modes::mode_handlers;
using ea_modes::ModeHandlers;
using ea_modes::MODES_REG_AND_SIMPLE_MEM;
using ea_modes::MODES_SOURCE;

// The per-mode handlers of each form, by operation and size.
template <Logic Op, int Bits> struct EaDn {
    template <uint32_t M> static OpResult run(const DecodeRecord* rec, uint32_t pc) {
        return logic_ea_dn<Op, Bits, M>(rec, pc);
    }
};
template <Logic Op, int Bits> struct DnEa {
    template <uint32_t M> static OpResult run(const DecodeRecord* rec, uint32_t pc) {
        return logic_dn_ea<Op, Bits, M>(rec, pc);
    }
};
template <Logic Op, int Bits> struct ImmEa {
    template <uint32_t M> static OpResult run(const DecodeRecord* rec, uint32_t pc) {
        return logic_imm_ea<Op, Bits, M>(rec, pc);
    }
};
using ByMode = std::array<ModeHandlers, 3>;  // .B, .W, .L
template <template <Logic, int> class F, Logic Op, uint32_t Modes> constexpr ByMode by_size() {
    return {mode_handlers<F<Op, 8>, Modes>(), mode_handlers<F<Op, 16>, Modes>(), mode_handlers<F<Op, 32>, Modes>()};
}
// AND and OR read no An; the destinations are data alterable.
constexpr ByMode kEaDn[2] = {by_size<EaDn, Logic::And, MODES_SOURCE>(), by_size<EaDn, Logic::Or, MODES_SOURCE>()};
constexpr ByMode kDnEa[2] = {by_size<DnEa, Logic::And, MODES_REG_AND_SIMPLE_MEM>(),
                             by_size<DnEa, Logic::Or, MODES_REG_AND_SIMPLE_MEM>()};
constexpr ByMode kEor = by_size<DnEa, Logic::Eor, MODES_REG_AND_SIMPLE_MEM>();
constexpr ByMode kAndi = by_size<ImmEa, Logic::And, MODES_REG_AND_SIMPLE_MEM>();
constexpr ByMode kOri = by_size<ImmEa, Logic::Or, MODES_REG_AND_SIMPLE_MEM>();
constexpr ByMode kEori = by_size<ImmEa, Logic::Eor, MODES_REG_AND_SIMPLE_MEM>();

// One record for an opcode with an effective-address field.
DecodeRecord* new_ea_record(uint32_t opcode, OpHandler exec, DisRoutine dis) {
    DecodeRecord* rec = cpu_new_ind(opcode);
    rec->exec = exec;
    rec->dis = dis;
    rec->ea = cpu_reg_slot((opcode >> 3) & 7, opcode & 7);
    return rec;
}

inline uint32_t ea_index_of(uint32_t ea) { return cpu_ea_mode_index(ea >> 3, ea & 7); }

// ANDI, ORI, EORI to an operand (data alterable), and to CCR (s = 0) and SR (s = 1).
void build_logic_imm(uint32_t base, const OpHandler (&ops)[3], const ByMode& modes, OpHandler to_ccr, OpHandler to_sr,
                     DisRoutine dis) {
    for (uint32_t s = 0; s < 3; ++s) {
        for (uint32_t ea = 0; ea < 64; ++ea) {
            uint32_t m = ea_index_of(ea);
            if (!g_ea_valid_data_alterable[m]) continue;
            DecodeRecord* rec = new_ea_record(base | (s << 6) | ea, handler_for_mode(modes[s], m, ops[s]), dis);
            rec->src = ea_peek(s, m);
            rec->cycles = m == EA_DN ? size_add(s, 8, 16) : cpu_ea_time(s, m) + size_add(s, 12, 20);
            rec->dst = ea_write(s, m);
        }
    }
    // The CCR and SR handlers return their own 20 cycles; the record agrees.
    for (uint32_t s = 0; s < 2; ++s) {
        DecodeRecord* rec = new_ea_record(base | (s << 6) | 0x3C, s == 0 ? to_ccr : to_sr, dis);
        rec->src = ea_peek(s, EA_IMM);
        rec->cycles = cpu_ea_time(s, EA_IMM) + 16;
        rec->dst = ea_write(s, EA_IMM);
    }
}

}  // namespace

void cpu_build_and_or() {
    static const OpHandler ea_dn[2][3] = {
        {cpu_op_and_ea_dn_b, cpu_op_and_ea_dn_w, cpu_op_and_ea_dn_l},
        {cpu_op_or_ea_dn_b, cpu_op_or_ea_dn_w, cpu_op_or_ea_dn_l},
    };
    static const OpHandler dn_ea[2][3] = {
        {cpu_op_and_dn_ea_b, cpu_op_and_dn_ea_w, cpu_op_and_dn_ea_l},
        {cpu_op_or_dn_ea_b, cpu_op_or_dn_ea_w, cpu_op_or_dn_ea_l},
    };
    static const uint32_t bases[2] = {0xC000, 0x8000};
    static const DisRoutine dis[2] = {dis_and, dis_or};
    for (uint32_t op = 0; op < 2; ++op) {
        for (uint32_t q = 0; q < 8; ++q) {
            for (uint32_t s = 0; s < 3; ++s) {
                for (uint32_t ea = 0; ea < 64; ++ea) {
                    uint32_t m = ea_index_of(ea);
                    if (g_ea_valid_data[m]) {
                        DecodeRecord* rec = new_ea_record(bases[op] | (q << 9) | (s << 6) | ea,
                                                          handler_for_mode(kEaDn[op][s], m, ea_dn[op][s]), dis[op]);
                        rec->src = ea_read(s, m);
                        rec->reg = cpu_reg_slot(0, q);
                        rec->cycles = cpu_ea_time(s, m) + size_add(s, 4, 6);
                    }
                    if (g_ea_valid_mem_alterable[m]) {
                        DecodeRecord* rec = new_ea_record(bases[op] | 0x100 | (q << 9) | (s << 6) | ea,
                                                          handler_for_mode(kDnEa[op][s], m, dn_ea[op][s]), dis[op]);
                        rec->src = ea_peek(s, m);
                        rec->reg = cpu_reg_slot(0, q);
                        rec->cycles = cpu_ea_time(s, m) + size_add(s, 8, 12);
                        rec->dst = ea_write(s, m);
                    }
                }
            }
        }
    }
}

void cpu_build_andi_ori() {
    static const OpHandler andi[3] = {cpu_op_andi_b, cpu_op_andi_w, cpu_op_andi_l};
    static const OpHandler ori[3] = {cpu_op_ori_b, cpu_op_ori_w, cpu_op_ori_l};
    build_logic_imm(0x0200, andi, kAndi, cpu_op_andi_ccr, cpu_op_andi_sr, dis_andi);
    build_logic_imm(0x0000, ori, kOri, cpu_op_ori_ccr, cpu_op_ori_sr, dis_ori);
}

void cpu_build_eor() {
    static const OpHandler eor[3] = {cpu_op_eor_b, cpu_op_eor_w, cpu_op_eor_l};
    for (uint32_t q = 0; q < 8; ++q) {
        for (uint32_t s = 0; s < 3; ++s) {
            for (uint32_t ea = 0; ea < 64; ++ea) {
                uint32_t m = ea_index_of(ea);
                if (!g_ea_valid_data_alterable[m]) continue;
                DecodeRecord* rec =
                    new_ea_record(0xB100 | (q << 9) | (s << 6) | ea, handler_for_mode(kEor[s], m, eor[s]), dis_eor);
                rec->src = ea_peek(s, m);
                rec->reg = cpu_reg_slot(0, q);
                rec->cycles = cpu_ea_time(s, m) + size_add(s, 8, 12);
                rec->dst = ea_write(s, m);
            }
        }
    }
}

void cpu_build_eori() {
    static const OpHandler eori[3] = {cpu_op_eori_b, cpu_op_eori_w, cpu_op_eori_l};
    build_logic_imm(0x0A00, eori, kEori, cpu_op_eori_ccr, cpu_op_eori_sr, dis_eori);
}
