#include "core/ops_move.h"

#include <array>
#include <bit>
#include <utility>

#include "core/boundary.h"
#include "core/bus.h"
#include "core/cpu_regs.h"
#include "core/ea.h"
#include "core/ea_modes.h"
#include "core/exceptions.h"
#include "core/flags.h"

namespace {

template <int Bits> inline OpResult move(const DecodeRecord* rec, uint32_t pc) {
    const EaResult s = rec->src(rec->ea, pc);
    const uint32_t v = s.value & Width<Bits>::mask;
    cpu_merge_nzvc(ccr_nz<Bits>(v));  // before the write: a faulting write stacks them
    return {rec->cycles, rec->dst(rec->reg, v, s.pc)};
}

// MOVE with its two modes fixed when the records are built: the operand
// steps are inlined instead of called through the record.
// A data register destination makes the last history record itself.
template <int Bits, uint32_t MS, uint32_t MD> OpResult move_mode(const DecodeRecord* rec, uint32_t pc) {
    constexpr uint32_t S = ea_modes::kSizeOf<Bits>;
    if constexpr (MD == EA_DN) {
        const EaResult s = ea_modes::operand_read_before_reg<MS, Bits>(rec, pc);
        const uint32_t v = s.value & Width<Bits>::mask;
        cpu_merge_nzvc(ccr_nz<Bits>(v));
        uint32_t& dn = *rec->reg;
        dn = ea_modes::Op<S>::merge(dn, v);
        ea_modes::record_reg_after<MS, Bits>(dn);
        return {rec->cycles, s.pc};
    } else {
        const EaResult s = ea_modes::read<MS, S>(rec->ea, pc);
        const uint32_t v = s.value & Width<Bits>::mask;
        cpu_merge_nzvc(ccr_nz<Bits>(v));
        return {rec->cycles, ea_modes::write<MD, S>(rec->reg, v, s.pc)};
    }
}

// Handlers by source mode index (12) and destination mode index (Dn to abs.L).
using MoveRow = std::array<OpHandler, 9>;
template <int Bits, uint32_t MS, size_t... MD> constexpr MoveRow move_row(std::index_sequence<MD...>) {
    return {move_mode<Bits, MS, uint32_t(MD)>...};
}
template <int Bits, size_t... MS> constexpr std::array<MoveRow, 12> move_table(std::index_sequence<MS...>) {
    return {move_row<Bits, uint32_t(MS)>(std::make_index_sequence<9>{})...};
}
constexpr std::array<MoveRow, 12> g_move_handlers[3] = {
    move_table<8>(std::make_index_sequence<12>{}),
    move_table<16>(std::make_index_sequence<12>{}),
    move_table<32>(std::make_index_sequence<12>{}),
};

// MOVEA: the word source sign-extended; no record of An.
template <int Bits, uint32_t M = ea_modes::EA_BY_RECORD> inline OpResult movea(const DecodeRecord* rec, uint32_t pc) {
    const EaResult s = ea_modes::operand_read<M, Bits>(rec, pc);
    *rec->reg = Bits == 16 ? uint32_t(int32_t(int16_t(uint16_t(s.value)))) : s.value;
    return {rec->cycles, s.pc};
}
template <int Bits> struct Movea {
    template <uint32_t M> static OpResult run(const DecodeRecord* rec, uint32_t pc) { return movea<Bits, M>(rec, pc); }
};
constexpr ea_modes::ModeHandlers g_movea_handlers[2] = {
    ea_modes::mode_handlers<Movea<16>, ea_modes::MODES_SOURCE>(),
    ea_modes::mode_handlers<Movea<32>, ea_modes::MODES_SOURCE>(),
};

// MOVEM transfers: the bus steps inline, no history record.
template <bool Long> inline uint32_t movem_load(uint32_t addr) {
    if constexpr (Long) return mem_read_long(addr);
    else return uint32_t(int32_t(int16_t(uint16_t(mem_read_word(addr)))));
}

template <bool Long> inline void movem_store(uint32_t addr, uint32_t value) {
    if constexpr (Long) mem_write_long(addr, value);
    else mem_write_word(addr, value & 0xFFFF);
}

inline constexpr uint32_t movem_step(bool is_long) { return is_long ? 4 : 2; }

// Loads the registers of the mask (bit 0 D0 ... bit 15 A7) from ascending
// addresses; gives the address after the last one.
template <bool Long> inline uint32_t movem_load_list(uint32_t mask, uint32_t addr) {
    while (mask) {
        const unsigned n = unsigned(std::countr_zero(mask));
        g_cpu_regs.r[n] = movem_load<Long>(addr);
        addr += movem_step(Long);
        mask &= mask - 1;
    }
    return addr;
}

template <bool Long> inline void movem_store_list(uint32_t mask, uint32_t addr) {
    while (mask) {
        const unsigned n = unsigned(std::countr_zero(mask));
        movem_store<Long>(addr, g_cpu_regs.r[n]);
        addr += movem_step(Long);
        mask &= mask - 1;
    }
}

template <bool Long> inline OpResult movem_predec(const DecodeRecord* rec, uint32_t pc) {
    uint32_t mask = cpu_fetch_word(pc);
    // Mask bit 0 is A7 ... bit 15 D0. An takes the final address only at
    // the end, so An in the list stores its value from before the instruction.
    uint32_t addr = *rec->ea;
    while (mask) {
        const unsigned bit = unsigned(std::countr_zero(mask));
        addr -= movem_step(Long);
        movem_store<Long>(addr, g_cpu_regs.r[15 - bit]);
        mask &= mask - 1;
    }
    *rec->ea = addr;
    return {Long ? 40u : 16u, pc + 2};
}

template <bool Long> inline OpResult movem_postinc(const DecodeRecord* rec, uint32_t pc) {
    const uint32_t mask = cpu_fetch_word(pc);
    const uint32_t end = movem_load_list<Long>(mask, *rec->ea);
    *rec->ea = end;  // replaces An when it was in the list
    return {40, pc + 2};
}

template <bool Long> inline OpResult movem_to_regs(const DecodeRecord* rec, uint32_t pc) {
    const uint32_t mask = cpu_fetch_word(pc);
    const EaResult a = rec->src(rec->ea, pc + 2);
    movem_load_list<Long>(mask, a.value);
    return {36, a.pc};
}

template <bool Long> inline OpResult movem_to_mem(const DecodeRecord* rec, uint32_t pc) {
    const uint32_t mask = cpu_fetch_word(pc);
    const EaResult a = rec->src(rec->ea, pc + 2);
    movem_store_list<Long>(mask, a.value);
    return {36, a.pc};
}

// MOVEP: bytes at every other address from Ay + d16, high byte first.
inline uint32_t movep_address(const DecodeRecord* rec, uint32_t pc) {
    return *rec->ea + uint32_t(int32_t(int16_t(uint16_t(cpu_fetch_word(pc)))));
}

}  // namespace

OpResult cpu_op_move_b(const DecodeRecord* rec, uint32_t pc) { return move<8>(rec, pc); }
OpResult cpu_op_move_w(const DecodeRecord* rec, uint32_t pc) { return move<16>(rec, pc); }
OpResult cpu_op_move_l(const DecodeRecord* rec, uint32_t pc) { return move<32>(rec, pc); }

OpResult cpu_op_movea_w(const DecodeRecord* rec, uint32_t pc) { return movea<16>(rec, pc); }
OpResult cpu_op_movea_l(const DecodeRecord* rec, uint32_t pc) { return movea<32>(rec, pc); }

OpResult cpu_op_moveq(const DecodeRecord* rec, uint32_t pc) {
    *rec->reg = uint32_t(rec->value);
    g_cpu_regs.sr = (g_cpu_regs.sr & ~uint32_t(0x0F)) | rec->aux;
    return {4, pc};
}

OpResult cpu_op_move_to_ccr(const DecodeRecord* rec, uint32_t pc) {
    const EaResult s = rec->src(rec->ea, pc);
    g_cpu_regs.sr = (g_cpu_regs.sr & ~uint32_t(0xFF)) | (s.value & 0x1F);
    return {rec->cycles, s.pc};
}

OpResult cpu_op_move_to_sr(const DecodeRecord* rec, uint32_t pc) {
    if (!cpu_supervisor()) {
        cpu_privilege_violation(pc);
        return {4, pc};
    }
    const EaResult s = rec->src(rec->ea, pc);
    cpu_set_sr(s.value & 0xFFFF);
    return {rec->cycles, s.pc};
}

OpResult cpu_op_move_from_sr(const DecodeRecord* rec, uint32_t pc) {
    return {rec->cycles, rec->dst(rec->ea, g_cpu_regs.sr & 0xFFFF, pc)};
}

OpResult cpu_op_move_usp_an(const DecodeRecord* rec, uint32_t pc) {
    if (!cpu_supervisor()) {
        cpu_privilege_violation(pc);
        return {4, pc};
    }
    *rec->ea = g_cpu_regs.usp_save;
    return {4, pc};
}

OpResult cpu_op_move_an_usp(const DecodeRecord* rec, uint32_t pc) {
    if (!cpu_supervisor()) {
        cpu_privilege_violation(pc);
        return {4, pc};
    }
    g_cpu_regs.usp_save = *rec->ea;
    return {4, pc};
}

OpResult cpu_op_movem_w_predec(const DecodeRecord* rec, uint32_t pc) { return movem_predec<false>(rec, pc); }
OpResult cpu_op_movem_l_predec(const DecodeRecord* rec, uint32_t pc) { return movem_predec<true>(rec, pc); }
OpResult cpu_op_movem_w_postinc(const DecodeRecord* rec, uint32_t pc) { return movem_postinc<false>(rec, pc); }
OpResult cpu_op_movem_l_postinc(const DecodeRecord* rec, uint32_t pc) { return movem_postinc<true>(rec, pc); }
OpResult cpu_op_movem_w_to_regs(const DecodeRecord* rec, uint32_t pc) { return movem_to_regs<false>(rec, pc); }
OpResult cpu_op_movem_l_to_regs(const DecodeRecord* rec, uint32_t pc) { return movem_to_regs<true>(rec, pc); }
OpResult cpu_op_movem_w_to_mem(const DecodeRecord* rec, uint32_t pc) { return movem_to_mem<false>(rec, pc); }
OpResult cpu_op_movem_l_to_mem(const DecodeRecord* rec, uint32_t pc) { return movem_to_mem<true>(rec, pc); }

OpResult cpu_op_movep_w_to_reg(const DecodeRecord* rec, uint32_t pc) {
    const uint32_t a = movep_address(rec, pc);
    const uint32_t hi = mem_read_byte(a) & 0xFF;
    const uint32_t lo = mem_read_byte(a + 2) & 0xFF;
    *rec->reg = (*rec->reg & 0xFFFF0000) | hi << 8 | lo;
    return {16, pc + 2};
}

OpResult cpu_op_movep_l_to_reg(const DecodeRecord* rec, uint32_t pc) {
    const uint32_t a = movep_address(rec, pc);
    uint32_t v = 0;
    for (uint32_t i = 0; i < 4; i++) v = v << 8 | (mem_read_byte(a + 2 * i) & 0xFF);
    *rec->reg = v;
    return {20, pc + 2};
}

OpResult cpu_op_movep_w_to_mem(const DecodeRecord* rec, uint32_t pc) {
    const uint32_t a = movep_address(rec, pc);
    const uint32_t v = *rec->reg;
    mem_write_byte(a, (v >> 8) & 0xFF);
    mem_write_byte(a + 2, v & 0xFF);
    return {16, pc + 2};
}

OpResult cpu_op_movep_l_to_mem(const DecodeRecord* rec, uint32_t pc) {
    const uint32_t a = movep_address(rec, pc);
    const uint32_t v = *rec->reg;
    for (uint32_t i = 0; i < 4; i++) mem_write_byte(a + 2 * i, (v >> (24 - 8 * i)) & 0xFF);
    return {20, pc + 2};
}

// Builders.

void cpu_build_move() {
    static const uint32_t base[3] = {0x1000, 0x3000, 0x2000};
    for (uint32_t s = 0; s < 3; s++) {
        const uint8_t* src_valid = s == SIZE_B ? g_ea_valid_data : g_ea_valid_all;
        for (uint32_t dreg = 0; dreg < 8; dreg++)
            for (uint32_t dmode = 0; dmode < 8; dmode++) {
                const uint32_t md = cpu_ea_mode_index(dmode, dreg);
                if (!g_ea_valid_data_alterable[md]) continue;
                for (uint32_t smode = 0; smode < 8; smode++)
                    for (uint32_t sreg = 0; sreg < 8; sreg++) {
                        const uint32_t ms = cpu_ea_mode_index(smode, sreg);
                        if (!src_valid[ms]) continue;
                        DecodeRecord* rec = cpu_new_ind(base[s] | dreg << 9 | dmode << 6 | smode << 3 | sreg);
                        rec->exec = g_move_handlers[s][ms][md];
                        rec->dis = dis_move;
                        rec->ea = cpu_reg_slot(smode, sreg);
                        rec->src = ea_read(s, ms);
                        rec->reg = cpu_reg_slot(dmode, dreg);
                        rec->dst = ea_write(s, md);
                        rec->cycles = 4 + cpu_ea_time(s, ms) + cpu_ea_time(s, md);
                    }
            }
    }
}

void cpu_build_move_to_ccr_sr() {
    for (uint32_t to_sr = 0; to_sr < 2; to_sr++)
        for (uint32_t mode = 0; mode < 8; mode++)
            for (uint32_t r = 0; r < 8; r++) {
                const uint32_t m = cpu_ea_mode_index(mode, r);
                if (!g_ea_valid_data[m]) continue;
                DecodeRecord* rec = cpu_new_ind((to_sr ? 0x46C0 : 0x44C0) | mode << 3 | r);
                rec->exec = to_sr ? cpu_op_move_to_sr : cpu_op_move_to_ccr;
                rec->dis = to_sr ? dis_move_to_sr : dis_move_to_ccr;
                rec->ea = cpu_reg_slot(mode, r);
                rec->src = ea_read(SIZE_W, m);
                rec->cycles = cpu_ea_time(SIZE_W, m) + 12;
            }
}

void cpu_build_move_from_sr() {
    for (uint32_t mode = 0; mode < 8; mode++)
        for (uint32_t r = 0; r < 8; r++) {
            const uint32_t m = cpu_ea_mode_index(mode, r);
            if (!g_ea_valid_data_alterable[m]) continue;
            DecodeRecord* rec = cpu_new_ind(0x40C0 | mode << 3 | r);
            rec->exec = cpu_op_move_from_sr;
            rec->dis = dis_move_from_sr;
            rec->ea = cpu_reg_slot(mode, r);
            rec->dst = ea_write(SIZE_W, m);
            rec->cycles = m == EA_DN ? 6 : cpu_ea_time(SIZE_W, m) + 8;
        }
}

void cpu_build_move_usp() {
    for (uint32_t r = 0; r < 8; r++) {
        DecodeRecord* to_usp = cpu_new_ind(0x4E60 | r);
        to_usp->exec = cpu_op_move_an_usp;
        to_usp->dis = dis_move_usp;
        to_usp->ea = cpu_reg_slot(1, r);
        DecodeRecord* from_usp = cpu_new_ind(0x4E68 | r);
        from_usp->exec = cpu_op_move_usp_an;
        from_usp->dis = dis_move_usp;
        from_usp->ea = cpu_reg_slot(1, r);
    }
}

void cpu_build_movea() {
    for (uint32_t l = 0; l < 2; l++) {
        const uint32_t s = l ? SIZE_L : SIZE_W;
        for (uint32_t q = 0; q < 8; q++)
            for (uint32_t mode = 0; mode < 8; mode++)
                for (uint32_t r = 0; r < 8; r++) {
                    const uint32_t m = cpu_ea_mode_index(mode, r);
                    if (!g_ea_valid_all[m]) continue;
                    DecodeRecord* rec = cpu_new_ind((l ? 0x2040 : 0x3040) | q << 9 | mode << 3 | r);
                    rec->exec = ea_modes::handler_for_mode(g_movea_handlers[l], m, l ? cpu_op_movea_l : cpu_op_movea_w);
                    rec->dis = dis_movea;
                    rec->ea = cpu_reg_slot(mode, r);
                    rec->src = ea_read(s, m);
                    rec->reg = cpu_reg_slot(1, q);
                    rec->cycles = cpu_ea_time(s, m) + 4;
                }
    }
}

void cpu_build_movem() {
    // [to registers][long]
    static const OpHandler control[2][2] = {
        {cpu_op_movem_w_to_mem, cpu_op_movem_l_to_mem},
        {cpu_op_movem_w_to_regs, cpu_op_movem_l_to_regs},
    };
    static const OpHandler stepping[2][2] = {
        {cpu_op_movem_w_predec, cpu_op_movem_l_predec},
        {cpu_op_movem_w_postinc, cpu_op_movem_l_postinc},
    };
    for (uint32_t dr = 0; dr < 2; dr++)
        for (uint32_t z = 0; z < 2; z++)
            for (uint32_t mode = 0; mode < 8; mode++)
                for (uint32_t r = 0; r < 8; r++) {
                    const uint32_t m = cpu_ea_mode_index(mode, r);
                    const bool steps = m == (dr ? EA_POSTINC : EA_PREDEC);
                    if (!steps && !g_ea_valid_control[m]) continue;
                    DecodeRecord* rec = cpu_new_ind(0x4880 | dr << 10 | z << 6 | mode << 3 | r);
                    rec->exec = steps ? stepping[dr][z] : control[dr][z];
                    rec->dis = dis_movem;
                    rec->ea = cpu_reg_slot(mode, r);
                    rec->src = steps ? nullptr : ea_addr(m);
                    rec->cycles = cpu_ea_time(z ? SIZE_L : SIZE_W, m) + 8;
                }
}

void cpu_build_movep() {
    static const OpHandler handlers[4] = {cpu_op_movep_w_to_reg, cpu_op_movep_l_to_reg, cpu_op_movep_w_to_mem,
                                          cpu_op_movep_l_to_mem};
    for (uint32_t op = 0; op < 4; op++)
        for (uint32_t q = 0; q < 8; q++)
            for (uint32_t r = 0; r < 8; r++) {
                DecodeRecord* rec = cpu_new_ind(0x0108 | op << 6 | q << 9 | r);
                rec->exec = handlers[op];
                rec->dis = dis_movep;
                rec->ea = cpu_reg_slot(1, r);
                rec->reg = cpu_reg_slot(0, q);
            }
}

void cpu_build_moveq() {
    for (uint32_t q = 0; q < 8; q++)
        for (uint32_t d = 0; d < 256; d++) {
            DecodeRecord* rec = cpu_new_ind(0x7000 | q << 9 | d);
            const int32_t v = int8_t(uint8_t(d));
            rec->exec = cpu_op_moveq;
            rec->dis = dis_moveq;
            rec->reg = cpu_reg_slot(0, q);
            rec->value = v;
            rec->aux = v < 0 ? SR_N : v == 0 ? SR_Z : 0;
        }
}
