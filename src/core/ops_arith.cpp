// ADD, SUB, CMP, ADDA, SUBA, CMPA, ADDI, SUBI, CMPI, ADDQ and SUBQ and their
// decode builders; NEG, NEGX, ADDX, SUBX, CMPM and the decimal instructions
// are in ops_extended.cpp.
//
// Each family is one template over the operand width and the mode of its EA
// operand; the named handlers are the instances that go through the record.
// Condition codes come from the flag rules of flags.h.

#include "core/ops_arith.h"

#include <array>

#include "core/arith_steps.h"
#include "core/boundary.h"
#include "core/decode.h"
#include "core/ea.h"
#include "core/ea_modes.h"

namespace {

using namespace arith;

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
    else optrace_record_reg_long(an);
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
template <int Bits, Alu A, uint32_t M = EA_BY_RECORD>
inline OpResult op_rmw(const DecodeRecord* rec, uint32_t src, uint32_t pc) {
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

// clang-format off
OpResult cpu_op_addq_b(const DecodeRecord* rec, uint32_t pc) { return op_rmw<8, Alu::Add>(rec, uint32_t(rec->value), pc); }
OpResult cpu_op_addq_w(const DecodeRecord* rec, uint32_t pc) { return op_rmw<16, Alu::Add>(rec, uint32_t(rec->value), pc); }
OpResult cpu_op_addq_l(const DecodeRecord* rec, uint32_t pc) { return op_rmw<32, Alu::Add>(rec, uint32_t(rec->value), pc); }
OpResult cpu_op_subq_b(const DecodeRecord* rec, uint32_t pc) { return op_rmw<8, Alu::Sub>(rec, uint32_t(rec->value), pc); }
OpResult cpu_op_subq_w(const DecodeRecord* rec, uint32_t pc) { return op_rmw<16, Alu::Sub>(rec, uint32_t(rec->value), pc); }
OpResult cpu_op_subq_l(const DecodeRecord* rec, uint32_t pc) { return op_rmw<32, Alu::Sub>(rec, uint32_t(rec->value), pc); }
// clang-format on

// The An forms work on all 32 bits whatever the size and leave the CCR alone.
OpResult cpu_op_addq_an(const DecodeRecord* rec, uint32_t pc) {
    uint32_t& an = *rec->ea;
    an += uint32_t(rec->value);
    optrace_record_reg_first(TRACE_MEM_L, an);
    return {rec->cycles, pc};
}

OpResult cpu_op_subq_an(const DecodeRecord* rec, uint32_t pc) {
    *rec->ea -= uint32_t(rec->value);
    return {rec->cycles, pc};
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
    template <uint32_t M> static OpResult run(const DecodeRecord* rec, uint32_t pc) {
        return op_ea_dn<Bits, A, M>(rec, pc);
    }
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
    template <uint32_t M> static OpResult run(const DecodeRecord* rec, uint32_t pc) {
        return op_addr<Bits, A, M>(rec, pc);
    }
};
template <int Bits> struct Cmpa {
    template <uint32_t M> static OpResult run(const DecodeRecord* rec, uint32_t pc) {
        return op_cmpa<Bits, M>(rec, pc);
    }
};
template <int Bits, Alu A> struct Imm {
    template <uint32_t M> static OpResult run(const DecodeRecord* rec, uint32_t pc) {
        return op_imm<Bits, A, M>(rec, pc);
    }
};
template <int Bits> struct Cmpi {
    template <uint32_t M> static OpResult run(const DecodeRecord* rec, uint32_t pc) {
        return op_cmpi<Bits, M>(rec, pc);
    }
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
constexpr ByMode kAdda = {ModeHandlers{}, mode_handlers<Addr<16, Alu::Add>, kAddSubSource>(),
                          mode_handlers<Addr<32, Alu::Add>, kAddSubSource>()};
constexpr ByMode kSuba = {ModeHandlers{}, mode_handlers<Addr<16, Alu::Sub>, kAddSubSource>(),
                          mode_handlers<Addr<32, Alu::Sub>, kAddSubSource>()};
constexpr ByMode kCmpa = {ModeHandlers{}, mode_handlers<Cmpa<16>, MODES_SOURCE>(),
                          mode_handlers<Cmpa<32>, MODES_SOURCE>()};
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
                cpu_for_each_ea(s == SIZE_B ? g_ea_valid_data : g_ea_valid_all,
                                [&](uint32_t mode, uint32_t r, uint32_t m) {
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
