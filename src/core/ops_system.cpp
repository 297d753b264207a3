// System control, traps and the register and stack-frame instructions.
#include "core/ops_system.h"

#include <cstdint>

#include "core/boundary.h"
#include "core/bus.h"
#include "core/conditions.h"
#include "core/cpu_loop.h"
#include "core/cpu_regs.h"
#include "core/ea.h"
#include "core/ea_modes.h"
#include "core/exceptions.h"
#include "core/flags.h"
#include "core/ops_logic.h"
#include "core/trace.h"

namespace {

inline uint32_t sext8(uint32_t b) { return uint32_t(int32_t(int8_t(uint8_t(b)))); }
inline uint32_t sext16(uint32_t w) { return uint32_t(int32_t(int16_t(uint16_t(w)))); }

// N and Z from the result, V and C cleared, X kept.
template <int Bits> inline void set_nz(uint32_t result) { cpu_merge_nzvc(ccr_nz<Bits>(result)); }

// TRAP #15: IOCS call number in D0.b; served on the host when a native
// routine is installed, else by the firmware through the exception.
OpResult iocs_call(uint32_t vector_offset, uint32_t pc) {
    uint32_t call = cpu_d(0) & 0xFF;
    if (FirmwareRoutine hook = g_iocs_hook_table[call]) cpu_call_host(hook);
    call = cpu_d(0) & 0xFF;
    FirmwareRoutine native = g_iocs_native_table[call];
    cpu_call_host([call] { iocs_call_started(call); });
    if (!native) cpu_take_exception(vector_offset, pc);
    cpu_call_host(native);
    // The history shows the call served on the host by its number.
    trace_advance();
    uint32_t e = trace_entry();
    g_trace_kind[e] = TRACE_IOCS;
    g_trace_pc[e] = g_cpu_regs.op_addr;
    g_trace_value[e] = call;
    if (g_iocs_call_again) {
        g_iocs_call_again = 0;
        return {78, g_cpu_regs.op_addr};
    }
    return {78, pc};
}

// TRAP #2: PCM8 calls, served through the external sound library for the
// function groups it handles.
OpResult pcm8_call(uint32_t vector_offset, uint32_t pc) {
    if (pcm8_call_served(cpu_d(0))) {
        cpu_call_host(sndlib_pcm8_call);
        return {78, pc};
    }
    cpu_take_exception(vector_offset, pc);
}

using ea_modes::EA_BY_RECORD;

template <int Bits, uint32_t M = EA_BY_RECORD> inline OpResult tst(const DecodeRecord* rec, uint32_t pc) {
    EaResult r = ea_modes::operand_read<M, Bits>(rec, pc);
    set_nz<Bits>(r.value);
    return {rec->cycles, r.pc};
}

template <uint32_t M = EA_BY_RECORD> inline OpResult lea(const DecodeRecord* rec, uint32_t pc) {
    EaResult r = ea_modes::operand_address<M>(rec, pc);
    *rec->reg = r.value;
    optrace_record_reg_first(TRACE_MEM_L, r.value);  // an address reads no memory
    return {rec->cycles, r.pc};
}

template <int Bits, uint32_t M = EA_BY_RECORD> inline OpResult clr(const DecodeRecord* rec, uint32_t pc) {
    uint32_t next = ea_modes::operand_write<M, Bits>(rec, 0, pc);
    cpu_merge_nzvc(SR_Z);
    return {rec->cycles, next};
}

// The TRAPs served on the host: #15 IOCS, #2 the PCM8 driver.
constexpr uint32_t TRAP_IOCS = 15, TRAP_PCM8 = 2;

// Cycles of LEA and PEA by mode index for the control modes.
constexpr uint8_t lea_cycles[12] = {0, 0, 4, 0, 0, 8, 12, 8, 12, 8, 12, 0};
constexpr uint8_t pea_cycles[12] = {0, 0, 14, 0, 0, 18, 22, 18, 22, 18, 22, 0};

}  // namespace

OpResult cpu_op_trap(const DecodeRecord* rec, uint32_t pc) {
    uint32_t vector_offset = uint32_t(rec->value);
    switch ((vector_offset - VEC_TRAP0) >> 2) {
    case TRAP_IOCS: return iocs_call(vector_offset, pc);
    case TRAP_PCM8: return pcm8_call(vector_offset, pc);
    default: cpu_take_exception(vector_offset, pc);
    }
}

OpResult cpu_op_trapv(const DecodeRecord*, uint32_t pc) {
    if (g_cpu_regs.sr & SR_V) cpu_take_exception(VEC_TRAPV, pc);
    return {4, pc};
}

OpResult cpu_op_chk(const DecodeRecord* rec, uint32_t pc) {
    EaResult bound = rec->src(rec->ea, pc);
    int32_t value = int16_t(uint16_t(*rec->reg));
    g_cpu_regs.sr &= ~SR_N;
    if (value < 0) {
        g_cpu_regs.sr |= SR_N;
        cpu_take_exception(VEC_CHK, bound.pc);
    }
    if (value > int16_t(uint16_t(bound.value))) cpu_take_exception(VEC_CHK, bound.pc);
    return {rec->cycles, bound.pc};
}

// STOP loads SR and runs again and again, 16 cycles each time, until an
// interrupt is taken; g_cpu_regs.stopped makes that interrupt return after it.
OpResult cpu_op_stop(const DecodeRecord*, uint32_t pc) {
    if (!cpu_supervisor()) {
        cpu_privilege_violation(pc);
        return {4, pc};
    }
    g_cpu_regs.stopped = 1;
    cpu_set_sr(cpu_fetch_word(pc));
    return {16, pc - 2};
}

OpResult cpu_op_reset(const DecodeRecord*, uint32_t pc) {
    if (!cpu_supervisor()) {
        cpu_privilege_violation(pc);
        return {4, pc};
    }
    return {132, pc};
}

OpResult cpu_op_nop(const DecodeRecord*, uint32_t pc) { return {4, pc}; }

// LINK A7 stores the decremented A7, as the chip does.
OpResult cpu_op_link(const DecodeRecord* rec, uint32_t pc) {
    uint32_t* an = rec->reg;
    uint32_t frame = cpu_sp() - 4;
    uint32_t old = an == &cpu_sp() ? frame : *an;
    *an = frame;
    mem_write_long(frame, old);
    cpu_sp() = frame + sext16(cpu_fetch_word(pc));
    return {16, pc + 2};
}

OpResult cpu_op_unlk(const DecodeRecord* rec, uint32_t pc) {
    uint32_t* an = rec->reg;
    uint32_t frame = *an;
    cpu_sp() = frame + 4;
    *an = mem_read_long(frame);
    return {12, pc};
}

OpResult cpu_op_lea(const DecodeRecord* rec, uint32_t pc) { return lea(rec, pc); }

OpResult cpu_op_pea(const DecodeRecord* rec, uint32_t pc) {
    EaResult r = rec->src(rec->ea, pc);
    uint32_t sp = cpu_sp() - 4;
    cpu_sp() = sp;
    mem_write_long(sp, r.value);
    return {rec->cycles, r.pc};
}

OpResult cpu_op_exg(const DecodeRecord* rec, uint32_t pc) {
    uint32_t t = *rec->ea;
    *rec->ea = *rec->reg;
    *rec->reg = t;
    return {6, pc};
}

OpResult cpu_op_ext_w(const DecodeRecord* rec, uint32_t pc) {
    uint32_t* dn = rec->reg;
    uint32_t w = sext8(*dn) & 0xFFFF;
    *dn = (*dn & 0xFFFF0000) | w;
    set_nz<16>(w);
    return {4, pc};
}

OpResult cpu_op_ext_l(const DecodeRecord* rec, uint32_t pc) {
    uint32_t* dn = rec->reg;
    *dn = sext16(*dn);
    set_nz<32>(*dn);
    return {4, pc};
}

OpResult cpu_op_swap(const DecodeRecord* rec, uint32_t pc) {
    uint32_t* dn = rec->reg;
    *dn = (*dn << 16) | (*dn >> 16);
    set_nz<32>(*dn);
    return {4, pc};
}

// The write routine of the record sets the size.
OpResult cpu_op_clr(const DecodeRecord* rec, uint32_t pc) { return clr<32>(rec, pc); }

OpResult cpu_op_tst_b(const DecodeRecord* rec, uint32_t pc) { return tst<8>(rec, pc); }
OpResult cpu_op_tst_w(const DecodeRecord* rec, uint32_t pc) { return tst<16>(rec, pc); }
OpResult cpu_op_tst_l(const DecodeRecord* rec, uint32_t pc) { return tst<32>(rec, pc); }

OpResult cpu_op_tas(const DecodeRecord* rec, uint32_t pc) {
    uint32_t v = rec->src(rec->ea, pc).value;
    set_nz<8>(v);
    return {rec->cycles, rec->dst(rec->ea, (v | 0x80) & 0xFF, pc)};
}

OpResult cpu_op_scc(const DecodeRecord* rec, uint32_t pc) {
    uint32_t v = (rec->cond() & 0xFF) ? 0xFF : 0x00;
    return {rec->cycles, rec->dst(rec->ea, v, pc)};
}

// Builders.

void cpu_build_chk() {
    for (uint32_t q = 0; q < 8; q++)
        cpu_for_each_ea(g_ea_valid_data, [q](uint32_t mode, uint32_t reg, uint32_t m) {
            DecodeRecord* rec = cpu_new_ind(0x4180 | q << 9 | mode << 3 | reg);
            rec->exec = cpu_op_chk;
            rec->dis = dis_chk;
            rec->ea = cpu_reg_slot(mode, reg);
            rec->src = ea_read(SIZE_W, m);
            rec->reg = cpu_reg_slot(0, q);
            rec->cycles = cpu_ea_time(SIZE_W, m) + 10;
        });
}

void cpu_build_exg() {
    // Opcode base, then whether the q and r registers are address registers.
    static constexpr struct {
        uint32_t base, q_addr, r_addr;
    } forms[3] = {
        {0xC140, 0, 0},
        {0xC148, 1, 1},
        {0xC188, 0, 1},
    };
    for (const auto& f : forms)
        for (uint32_t q = 0; q < 8; q++)
            for (uint32_t r = 0; r < 8; r++) {
                DecodeRecord* rec = cpu_new_ind(f.base | q << 9 | r);
                rec->exec = cpu_op_exg;
                rec->dis = dis_exg;
                rec->ea = cpu_reg_slot(f.r_addr, r);
                rec->reg = cpu_reg_slot(f.q_addr, q);
            }
}

void cpu_build_ext() {
    for (uint32_t r = 0; r < 8; r++) {
        DecodeRecord* rec = cpu_new_ind(0x4880 | r);
        rec->exec = cpu_op_ext_w;
        rec->dis = dis_ext;
        rec->reg = cpu_reg_slot(0, r);
        rec = cpu_new_ind(0x48C0 | r);
        rec->exec = cpu_op_ext_l;
        rec->dis = dis_ext;
        rec->reg = cpu_reg_slot(0, r);
    }
}

namespace {

using ea_modes::handler_for_mode;
using ea_modes::mode_bit;
using ea_modes::mode_handlers;
using ea_modes::ModeHandlers;
using ea_modes::MODES_REG_AND_SIMPLE_MEM;

struct Lea {
    template <uint32_t M> static OpResult run(const DecodeRecord* rec, uint32_t pc) { return lea<M>(rec, pc); }
};
template <int Bits> struct Tst {
    template <uint32_t M> static OpResult run(const DecodeRecord* rec, uint32_t pc) { return tst<Bits, M>(rec, pc); }
};
template <int Bits> struct Clr {
    template <uint32_t M> static OpResult run(const DecodeRecord* rec, uint32_t pc) { return clr<Bits, M>(rec, pc); }
};
constexpr ModeHandlers kLea = mode_handlers<Lea, mode_bit(EA_IND) | mode_bit(EA_DISP) | mode_bit(EA_ABSW) |
                                                     mode_bit(EA_ABSL) | mode_bit(EA_PCDISP)>();
constexpr ModeHandlers kTst[3] = {mode_handlers<Tst<8>, MODES_REG_AND_SIMPLE_MEM>(),
                                  mode_handlers<Tst<16>, MODES_REG_AND_SIMPLE_MEM>(),
                                  mode_handlers<Tst<32>, MODES_REG_AND_SIMPLE_MEM>()};
constexpr ModeHandlers kClr[3] = {mode_handlers<Clr<8>, MODES_REG_AND_SIMPLE_MEM>(),
                                  mode_handlers<Clr<16>, MODES_REG_AND_SIMPLE_MEM>(),
                                  mode_handlers<Clr<32>, MODES_REG_AND_SIMPLE_MEM>()};

}  // namespace

void cpu_build_lea() {
    for (uint32_t q = 0; q < 8; q++)
        cpu_for_each_ea(g_ea_valid_control, [q](uint32_t mode, uint32_t reg, uint32_t m) {
            DecodeRecord* rec = cpu_new_ind(0x41C0 | q << 9 | mode << 3 | reg);
            rec->exec = handler_for_mode(kLea, m, cpu_op_lea);
            rec->dis = dis_lea;
            rec->ea = cpu_reg_slot(mode, reg);
            rec->src = ea_addr(m);
            rec->reg = cpu_reg_slot(1, q);
            rec->cycles = lea_cycles[m];
        });
}

void cpu_build_link() {
    for (uint32_t r = 0; r < 8; r++) {
        DecodeRecord* rec = cpu_new_ind(0x4E50 | r);
        rec->exec = cpu_op_link;
        rec->dis = dis_link;
        rec->reg = cpu_reg_slot(1, r);
    }
}

void cpu_build_clr_not_tst() {
    static constexpr OpHandler not_ops[3] = {cpu_op_not_b, cpu_op_not_w, cpu_op_not_l};
    static constexpr OpHandler tst_ops[3] = {cpu_op_tst_b, cpu_op_tst_w, cpu_op_tst_l};
    // 0 NOT, 1 CLR, 2 TST
    static constexpr uint32_t bases[3] = {0x4600, 0x4200, 0x4A00};
    for (uint32_t op = 0; op < 3; op++)
        for (uint32_t s = 0; s < 3; s++)
            cpu_for_each_ea(g_ea_valid_data_alterable, [op, s](uint32_t mode, uint32_t reg, uint32_t m) {
                DecodeRecord* rec = cpu_new_ind(bases[op] | s << 6 | mode << 3 | reg);
                rec->ea = cpu_reg_slot(mode, reg);
                rec->dst = ea_write(s, m);
                uint32_t t = cpu_ea_time(s, m);
                bool memory = m >= EA_IND;
                if (op == 2) {
                    rec->exec = handler_for_mode(kTst[s], m, tst_ops[s]);
                    rec->dis = dis_tst;
                    rec->src = ea_read(s, m);
                    rec->cycles = t + 4;
                } else {
                    rec->exec = op == 0 ? not_ops[s] : handler_for_mode(kClr[s], m, cpu_op_clr);
                    rec->dis = op == 0 ? dis_not : dis_clr;
                    rec->src = ea_peek(s, m);
                    rec->cycles = t + (s < 2 ? (memory ? 8 : 4) : (memory ? 12 : 6));
                }
            });
}

void cpu_build_pea() {
    cpu_for_each_ea(g_ea_valid_control, [](uint32_t mode, uint32_t reg, uint32_t m) {
        DecodeRecord* rec = cpu_new_ind(0x4840 | mode << 3 | reg);
        rec->exec = cpu_op_pea;
        rec->dis = dis_pea;
        rec->ea = cpu_reg_slot(mode, reg);
        rec->src = ea_addr(m);
        rec->cycles = pea_cycles[m];
    });
}

void cpu_build_reset_nop_stop() {
    DecodeRecord* rec = cpu_new_ind(0x4E70);
    rec->exec = cpu_op_reset;
    rec->dis = dis_reset;
    rec = cpu_new_ind(0x4E71);
    rec->exec = cpu_op_nop;
    rec->dis = dis_nop;
    rec = cpu_new_ind(0x4E72);
    rec->exec = cpu_op_stop;
    rec->dis = dis_stop;
}

void cpu_build_scc() {
    for (uint32_t cc = 0; cc < 16; cc++)
        cpu_for_each_ea(g_ea_valid_data_alterable, [cc](uint32_t mode, uint32_t reg, uint32_t m) {
            DecodeRecord* rec = cpu_new_ind(0x50C0 | cc << 8 | mode << 3 | reg);
            rec->exec = cpu_op_scc;
            rec->dis = dis_scc;
            rec->ea = cpu_reg_slot(mode, reg);
            rec->dst = ea_write(SIZE_B, m);
            rec->cond = g_cc_routines[cc];
            rec->cycles = cpu_ea_time(SIZE_B, m) + 4;
        });
}

void cpu_build_swap() {
    for (uint32_t r = 0; r < 8; r++) {
        DecodeRecord* rec = cpu_new_ind(0x4840 | r);
        rec->exec = cpu_op_swap;
        rec->dis = dis_swap;
        rec->reg = cpu_reg_slot(0, r);
    }
}

void cpu_build_byte_rmw(uint32_t base, OpHandler exec, DisRoutine dis, uint32_t reg_cycles, uint32_t mem_extra) {
    cpu_for_each_ea(g_ea_valid_data_alterable, [&](uint32_t mode, uint32_t reg, uint32_t m) {
        DecodeRecord* rec = cpu_new_ind(base | mode << 3 | reg);
        rec->exec = exec;
        rec->dis = dis;
        rec->ea = cpu_reg_slot(mode, reg);
        rec->src = ea_peek(SIZE_B, m);
        rec->dst = ea_write(SIZE_B, m);
        rec->cycles = m == EA_DN ? reg_cycles : cpu_ea_time(SIZE_B, m) + mem_extra;
    });
}

void cpu_build_tas() { cpu_build_byte_rmw(0x4AC0, cpu_op_tas, dis_tas, 4, 10); }

void cpu_build_trap() {
    for (uint32_t n = 0; n < 16; n++) {
        DecodeRecord* rec = cpu_new_ind(0x4E40 | n);
        rec->exec = cpu_op_trap;
        rec->dis = dis_trap;
        rec->value = int32_t(VEC_TRAP0 + 4 * n);
    }
}

void cpu_build_trapv() {
    DecodeRecord* rec = cpu_new_ind(0x4E76);
    rec->exec = cpu_op_trapv;
    rec->dis = dis_trapv;
}

void cpu_build_unlk() {
    for (uint32_t r = 0; r < 8; r++) {
        DecodeRecord* rec = cpu_new_ind(0x4E58 | r);
        rec->exec = cpu_op_unlk;
        rec->dis = dis_unlk;
        rec->reg = cpu_reg_slot(1, r);
    }
}
