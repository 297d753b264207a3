// Word multiply and divide. Fixed cycle counts: 70 for the multiplies, 140
// for DIVU and 158 for DIVS, whatever the operands.

#include "core/ops_muldiv.h"

#include "core/boundary.h"
#include "core/cpu_regs.h"
#include "core/decode.h"
#include "core/ea.h"
#include "core/exceptions.h"
#include "core/flags.h"

namespace {

inline constexpr uint32_t MUL_CYCLES = 70, DIVU_CYCLES = 140, DIVS_CYCLES = 158;

// Quotient too large: V set, N, Z, C cleared, X kept, Dn unchanged.
inline void div_overflow() { cpu_merge_nzvc(SR_V); }

inline void div_store(uint32_t& dn, uint32_t quotient, uint32_t remainder) {
    dn = ((remainder & 0xFFFF) << 16) | (quotient & 0xFFFF);
    cpu_merge_nzvc(ccr_nz<16>(quotient));
}

inline uint32_t sign_extend_w(uint32_t v) { return uint32_t(int32_t(int16_t(uint16_t(v)))); }

}  // namespace

OpResult cpu_op_mulu(const DecodeRecord* rec, uint32_t pc) {
    EaResult src = rec->src(rec->ea, pc);
    uint32_t& dn = *rec->reg;
    dn = (dn & 0xFFFF) * (src.value & 0xFFFF);
    cpu_merge_nzvc(ccr_nz<32>(dn));
    return {MUL_CYCLES, src.pc};
}

OpResult cpu_op_muls(const DecodeRecord* rec, uint32_t pc) {
    EaResult src = rec->src(rec->ea, pc);
    uint32_t& dn = *rec->reg;
    // The product of two sign-extended words, taken modulo 2^32, is the signed product.
    dn = sign_extend_w(dn) * sign_extend_w(src.value);
    cpu_merge_nzvc(ccr_nz<32>(dn));
    return {MUL_CYCLES, src.pc};
}

OpResult cpu_op_divu(const DecodeRecord* rec, uint32_t pc) {
    EaResult src = rec->src(rec->ea, pc);
    uint32_t divisor = src.value & 0xFFFF;
    if (divisor == 0) cpu_raise_zero_divide(src.pc);
    uint32_t& dn = *rec->reg;
    uint32_t quotient = dn / divisor;
    if (quotient > 0xFFFF) div_overflow();
    else div_store(dn, quotient, dn % divisor);
    return {DIVU_CYCLES, src.pc};
}

OpResult cpu_op_divs(const DecodeRecord* rec, uint32_t pc) {
    EaResult src = rec->src(rec->ea, pc);
    int32_t divisor = int32_t(int16_t(uint16_t(src.value)));
    if (divisor == 0) cpu_raise_zero_divide(src.pc);
    uint32_t& dn = *rec->reg;
    int32_t dividend = int32_t(dn);
    // $80000000 / -1 overflows the host too; its quotient is out of range anyway.
    if (dividend == INT32_MIN && divisor == -1) {
        div_overflow();
        return {DIVS_CYCLES, src.pc};
    }
    int32_t quotient = dividend / divisor;   // truncates toward zero
    int32_t remainder = dividend % divisor;  // sign of the dividend
    if (quotient < -32768 || quotient > 32767) div_overflow();
    else div_store(dn, uint32_t(quotient), uint32_t(remainder));
    return {DIVS_CYCLES, src.pc};
}

// ---- Decode-table builders ----

namespace {

// <ea>,Dq with a word source of any data mode; the handlers keep the cycles.
void build_word_source(uint32_t base, OpHandler exec, DisRoutine dis) {
    for (uint32_t q = 0; q < 8; ++q) {
        for (uint32_t ea = 0; ea < 64; ++ea) {
            uint32_t m = cpu_ea_mode_index(ea >> 3, ea & 7);
            if (!g_ea_valid_data[m]) continue;
            DecodeRecord* rec = cpu_new_ind(base | (q << 9) | ea);
            rec->exec = exec;
            rec->dis = dis;
            rec->ea = cpu_reg_slot(ea >> 3, ea & 7);
            rec->src = ea_read(SIZE_W, m);
            rec->reg = cpu_reg_slot(0, q);
        }
    }
}

}  // namespace

void cpu_build_div() {
    build_word_source(0x80C0, cpu_op_divu, dis_divu);
    build_word_source(0x81C0, cpu_op_divs, dis_divs);
}

void cpu_build_mul() {
    build_word_source(0xC0C0, cpu_op_mulu, dis_mulu);
    build_word_source(0xC1C0, cpu_op_muls, dis_muls);
}
