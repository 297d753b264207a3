// Program flow: branches, DBcc, JMP, JSR, RTS, RTR and RTE.
//
// Relative branches keep the fetch base and test their own targets for an
// odd address; jumps and returns keep it for an even target fetched through
// the same base, and otherwise set g_cpu_regs.refetch so that the run loop checks the
// new PC and reloads the base.
#include "core/ops_flow.h"

#include "core/boundary.h"
#include "core/bus.h"
#include "core/conditions.h"
#include "core/cpu_regs.h"
#include "core/ea.h"
#include "core/exceptions.h"
#include "core/trace.h"

namespace {

inline uint32_t sext16(uint32_t w) { return uint32_t(int32_t(int16_t(uint16_t(w)))); }

inline void push_long(uint32_t value) {
    uint32_t sp = cpu_sp() - 4;
    cpu_sp() = sp;
    mem_write_long(sp, value);
}

// The conditions of the byte branches, tested inline on the CCR.
template <unsigned Cc> inline bool cc_holds(uint32_t ccr) {
    switch (Cc) {
    case 2: return (ccr & (SR_C | SR_Z)) == 0;
    case 3: return (ccr & (SR_C | SR_Z)) != 0;
    case 4: return (ccr & SR_C) == 0;
    case 5: return (ccr & SR_C) != 0;
    case 6: return (ccr & SR_Z) == 0;
    case 7: return (ccr & SR_Z) != 0;
    case 8: return (ccr & SR_V) == 0;
    case 9: return (ccr & SR_V) != 0;
    case 10: return (ccr & SR_N) == 0;
    case 11: return (ccr & SR_N) != 0;
    case 12: return g_cc_ge_table[ccr & 0x0F] != 0;
    case 13: return g_cc_lt_table[ccr & 0x0F] != 0;
    case 14: return g_cc_gt_table[ccr & 0x0F] != 0;
    default: return g_cc_le_table[ccr & 0x0F] != 0;
    }
}

// The fetch base after a jump to target: kept when the run loop's reload
// would find it again, else reloaded (and the target checked) by the loop.
inline void jump_fetch(uint32_t target) {
    if ((target & 1) || g_fetch_page_table[bus_page(target & 0xFFFFFF)] != g_cpu_regs.fetch_base)
        g_cpu_regs.refetch = 1;
}

// Taken branch to pc + displacement (pc = opcode + 2).
// An odd target, apart: the branch itself then keeps no registers to save.
[[gnu::noinline, gnu::cold]] OpResult branch_to_odd(uint32_t target, uint32_t cycles, uint32_t pc) {
    cpu_branch_address_error(target);
    return {cycles, pc};
}

inline OpResult branch_to(uint32_t target, uint32_t cycles, uint32_t pc) {
    if (target & 1) [[unlikely]]
        return branch_to_odd(target, cycles, pc);
    return {cycles, target};
}

template <unsigned Cc> inline OpResult bcc_b(const DecodeRecord* rec, uint32_t pc) {
    optrace_record_reg_first(TRACE_MEM_B, g_cpu_regs.sr);  // as optrace_record_reg_byte
    if (!cc_holds<Cc>(g_cpu_regs.sr)) return {8, pc};
    return branch_to(pc + uint32_t(rec->value), 8, pc);
}

inline OpResult db_step(const DecodeRecord* rec, uint32_t pc) {
    uint32_t* dn = rec->reg;
    uint32_t count = (*dn - 1) & 0xFFFF;
    *dn = (*dn & 0xFFFF0000) | count;
    optrace_record_reg_first(TRACE_MEM_W, *dn);
    if (count == 0xFFFF) return {14, pc + 2};
    return branch_to(pc + sext16(cpu_fetch_word(pc)), 10, pc + 2);
}

}  // namespace

void cpu_branch_address_error(uint32_t target) {
    g_cpu_regs.fault_code = mem_fault_code_fetch();
    g_cpu_regs.fault_addr = target;
    cpu_raise_fault_exception(VEC_ADDRESS_ERROR, g_cpu_regs.op_addr + 2);
}

OpResult cpu_op_bra_b(const DecodeRecord* rec, uint32_t pc) { return branch_to(pc + uint32_t(rec->value), 8, pc); }

OpResult cpu_op_bsr_b(const DecodeRecord* rec, uint32_t pc) {
    push_long(pc);
    return branch_to(pc + uint32_t(rec->value), 8, pc);
}

OpResult cpu_op_bhi_b(const DecodeRecord* rec, uint32_t pc) { return bcc_b<2>(rec, pc); }
OpResult cpu_op_bls_b(const DecodeRecord* rec, uint32_t pc) { return bcc_b<3>(rec, pc); }
OpResult cpu_op_bcc_b(const DecodeRecord* rec, uint32_t pc) { return bcc_b<4>(rec, pc); }
OpResult cpu_op_bcs_b(const DecodeRecord* rec, uint32_t pc) { return bcc_b<5>(rec, pc); }
OpResult cpu_op_bne_b(const DecodeRecord* rec, uint32_t pc) { return bcc_b<6>(rec, pc); }
OpResult cpu_op_beq_b(const DecodeRecord* rec, uint32_t pc) { return bcc_b<7>(rec, pc); }
OpResult cpu_op_bvc_b(const DecodeRecord* rec, uint32_t pc) { return bcc_b<8>(rec, pc); }
OpResult cpu_op_bvs_b(const DecodeRecord* rec, uint32_t pc) { return bcc_b<9>(rec, pc); }
OpResult cpu_op_bpl_b(const DecodeRecord* rec, uint32_t pc) { return bcc_b<10>(rec, pc); }
OpResult cpu_op_bmi_b(const DecodeRecord* rec, uint32_t pc) { return bcc_b<11>(rec, pc); }
OpResult cpu_op_bge_b(const DecodeRecord* rec, uint32_t pc) { return bcc_b<12>(rec, pc); }
OpResult cpu_op_blt_b(const DecodeRecord* rec, uint32_t pc) { return bcc_b<13>(rec, pc); }
OpResult cpu_op_bgt_b(const DecodeRecord* rec, uint32_t pc) { return bcc_b<14>(rec, pc); }
OpResult cpu_op_ble_b(const DecodeRecord* rec, uint32_t pc) { return bcc_b<15>(rec, pc); }

OpResult cpu_op_bra_w(const DecodeRecord*, uint32_t pc) {
    return branch_to(pc + sext16(cpu_fetch_word(pc)), 12, pc + 2);
}

OpResult cpu_op_bsr_w(const DecodeRecord*, uint32_t pc) {
    push_long(pc + 2);
    return branch_to(pc + sext16(cpu_fetch_word(pc)), 8, pc + 2);
}

OpResult cpu_op_bcond_w(const DecodeRecord* rec, uint32_t pc) {
    optrace_record_reg_first(TRACE_MEM_B, g_cpu_regs.sr);
    if (rec->cond() == 0) return {10, pc + 2};
    return branch_to(pc + sext16(cpu_fetch_word(pc)), 12, pc + 2);
}

OpResult cpu_op_dbcc(const DecodeRecord* rec, uint32_t pc) {
    if (rec->cond() != 0) return {12, pc + 2};
    return db_step(rec, pc);
}

OpResult cpu_op_dbf(const DecodeRecord* rec, uint32_t pc) { return db_step(rec, pc); }

OpResult cpu_op_jmp(const DecodeRecord* rec, uint32_t pc) {
    EaResult target = rec->src(rec->ea, pc);
    jump_fetch(target.value);
    return {rec->cycles, target.value};
}

OpResult cpu_op_jsr(const DecodeRecord* rec, uint32_t pc) {
    optrace_record_reg_first(TRACE_MEM_L, cpu_d(0));
    EaResult target = rec->src(rec->ea, pc);
    push_long(target.pc);
    jump_fetch(target.value);
    return {rec->cycles, target.value};
}

OpResult cpu_op_rts(const DecodeRecord*, uint32_t) {
    uint32_t target = mem_read_long(cpu_sp());
    cpu_sp() += 4;
    jump_fetch(target);
    optrace_record_reg_first(TRACE_MEM_L, cpu_sp());  // the stack read makes no record
    return {16, target};
}

OpResult cpu_op_rtr(const DecodeRecord*, uint32_t) {
    uint32_t ccr = mem_read_word(cpu_sp());
    g_cpu_regs.sr = (g_cpu_regs.sr & 0xFF00) | (ccr & 0x1F);
    cpu_sp() += 2;
    uint32_t target = mem_read_long(cpu_sp());
    cpu_sp() += 4;
    jump_fetch(target);
    return {20, target};
}

OpResult cpu_op_rte(const DecodeRecord*, uint32_t pc) {
    if (!cpu_supervisor()) {
        cpu_privilege_violation(pc);
        return {4, pc};
    }
    uint32_t sr = mem_read_word(cpu_sp());
    cpu_sp() += 2;
    uint32_t target = mem_read_long(cpu_sp());
    cpu_sp() += 4;
    g_cpu_regs.refetch = 1;
    cpu_set_sr(sr);
    return {20, target};
}

// Builders.

void cpu_build_branches() {
    static constexpr OpHandler byte_forms[16] = {
        cpu_op_bra_b, cpu_op_bsr_b, cpu_op_bhi_b, cpu_op_bls_b, cpu_op_bcc_b, cpu_op_bcs_b, cpu_op_bne_b, cpu_op_beq_b,
        cpu_op_bvc_b, cpu_op_bvs_b, cpu_op_bpl_b, cpu_op_bmi_b, cpu_op_bge_b, cpu_op_blt_b, cpu_op_bgt_b, cpu_op_ble_b,
    };
    for (uint32_t cc = 0; cc < 16; cc++) {
        for (uint32_t d8 = 0; d8 < 256; d8++) {
            DecodeRecord* rec = cpu_new_ind(0x6000 | cc << 8 | d8);
            if (d8 == 0) rec->exec = cc == 0 ? cpu_op_bra_w : cc == 1 ? cpu_op_bsr_w : cpu_op_bcond_w;
            else rec->exec = byte_forms[cc];
            rec->dis = dis_bcc;
            rec->value = int32_t(int8_t(uint8_t(d8)));
            rec->cond = g_cc_routines[cc];
        }
    }
}

void cpu_build_dbcc() {
    for (uint32_t cc = 0; cc < 16; cc++) {
        for (uint32_t r = 0; r < 8; r++) {
            DecodeRecord* rec = cpu_new_ind(0x50C8 | cc << 8 | r);
            rec->exec = cc == 1 ? cpu_op_dbf : cpu_op_dbcc;
            rec->dis = dis_dbcc;
            rec->reg = cpu_reg_slot(0, r);
            rec->cond = g_cc_routines[cc];
        }
    }
}

void cpu_build_jmp_jsr() {
    // Cycles by mode index for the control modes.
    static constexpr uint8_t jsr_cycles[12] = {0, 0, 18, 0, 0, 20, 24, 20, 22, 20, 24, 0};
    static constexpr uint8_t jmp_cycles[12] = {0, 0, 8, 0, 0, 10, 14, 10, 12, 10, 14, 0};
    for (uint32_t is_jmp = 0; is_jmp < 2; is_jmp++) {
        for (uint32_t mode = 0; mode < 8; mode++) {
            for (uint32_t reg = 0; reg < 8; reg++) {
                uint32_t m = cpu_ea_mode_index(mode, reg);
                if (!g_ea_valid_control[m]) continue;
                DecodeRecord* rec = cpu_new_ind((is_jmp ? 0x4EC0 : 0x4E80) | mode << 3 | reg);
                rec->exec = is_jmp ? cpu_op_jmp : cpu_op_jsr;
                rec->dis = is_jmp ? dis_jmp : dis_jsr;
                rec->ea = cpu_reg_slot(mode, reg);
                rec->src = ea_addr(m);
                rec->cycles = is_jmp ? jmp_cycles[m] : jsr_cycles[m];
            }
        }
    }
}

void cpu_build_returns() {
    DecodeRecord* rec = cpu_new_ind(0x4E73);
    rec->exec = cpu_op_rte;
    rec->dis = dis_rte;
    rec = cpu_new_ind(0x4E75);
    rec->exec = cpu_op_rts;
    rec->dis = dis_rts;
    rec = cpu_new_ind(0x4E77);
    rec->exec = cpu_op_rtr;
    rec->dis = dis_rtr;
}
