#include "core/ops_shift.h"

#include "core/boundary.h"
#include "core/cpu_regs.h"
#include "core/ea.h"
#include "core/flags.h"
#include "core/trace.h"

namespace {

// Shift types in the order of the opcode's type field.
enum class Shift : uint32_t { AS, LS, ROX, RO };

// Shifts or rotates x (already cut to the width) by count, 1 to 63. Gives
// the result at the width and the host flags word (C, V, N, Z). The work
// is done in 64 bits so that no host shift reaches the operand's width.
template <Shift T, bool Left, int Bits> inline uint32_t shift_by(uint32_t x, uint32_t count, uint32_t& flags) {
    constexpr uint32_t w = Bits;
    constexpr uint64_t m = Width<Bits>::mask;
    const uint64_t v = x;
    uint64_t r;
    uint32_t carry;
    bool overflow = false;
    if constexpr (T == Shift::RO) {
        // A nonzero multiple of the width rotates all the way round.
        const uint32_t n = (count - 1) % w + 1;
        if constexpr (Left) {
            r = ((v << n) | (v >> (w - n))) & m;
            carry = uint32_t(r) & 1;
        } else {
            r = ((v >> n) | (v << (w - n))) & m;
            carry = uint32_t(r >> (w - 1)) & 1;
        }
    } else if constexpr (T == Shift::ROX) {
        // X sits above the operand's top bit: a rotation of width + 1 bits.
        constexpr uint64_t m1 = (uint64_t(1) << (w + 1)) - 1;
        const uint32_t n = (count - 1) % (w + 1) + 1;
        uint64_t wide = v | (uint64_t((g_cpu_regs.sr >> 4) & 1) << w);
        if constexpr (Left) wide = ((wide << n) | (wide >> (w + 1 - n))) & m1;
        else wide = ((wide >> n) | (wide << (w + 1 - n))) & m1;
        r = wide & m;
        carry = uint32_t(wide >> w) & 1;
    } else if constexpr (Left) {
        if (count <= w) {
            r = (v << count) & m;
            carry = uint32_t(v >> (w - count)) & 1;
        } else {
            r = 0;
            carry = 0;
        }
        if constexpr (T == Shift::AS) {
            // V: the sign bit changed at some step, i.e. the top count + 1
            // bits of the operand are not all equal.
            if (count < w) {
                const uint64_t top = v >> (w - 1 - count);
                overflow = top != 0 && top != (uint64_t(1) << (count + 1)) - 1;
            } else {
                overflow = v != 0;
            }
        }
    } else if constexpr (T == Shift::AS) {
        const int64_t s = (v & Width<Bits>::sign) ? int64_t(v | ~m) : int64_t(v);
        r = uint64_t(s >> count) & m;
        carry = uint32_t(s >> (count - 1)) & 1;
    } else {
        if (count <= w) {
            r = v >> count;
            carry = uint32_t(v >> (count - 1)) & 1;
        } else {
            r = 0;
            carry = 0;
        }
    }
    flags = ccr_nz<Bits>(uint32_t(r)) | (carry ? CCR_CARRY : 0) | (overflow ? SR_V : 0);
    return uint32_t(r);
}

// ROR and ROL keep X; the others replace the CCR byte (X = C).
template <Shift T> inline void shift_set_ccr(uint32_t flags) {
    if constexpr (T == Shift::RO) cpu_merge_nzvc(flags);
    else cpu_set_ccr(flags);
}

// A register shift reads no memory: its record is the instruction's first.
template <int Bits> inline void shift_record(uint32_t reg) {
    optrace_record_reg_first(Bits == 8 ? TRACE_MEM_B : Bits == 16 ? TRACE_MEM_W : TRACE_MEM_L, reg);
}

// Which register forms leave the result in the execution history.
template <Shift T, bool Left> inline constexpr bool kRecordsImm = T == Shift::RO || T == Shift::ROX ||
                                                                  (T == Shift::AS && !Left);

template <Shift T, bool Left, int Bits> inline bool records_reg(uint32_t count) {
    if constexpr (T == Shift::LS) return false;
    if constexpr (T == Shift::AS && !Left) return Bits == 8 || count != 0;
    if constexpr (T == Shift::AS && Left) return count != 0 && count <= (Bits == 32 ? 31u : uint32_t(Bits));
    return count != 0;
}

template <Shift T, bool Left, int Bits> inline OpResult shift_imm(const DecodeRecord* rec, uint32_t pc) {
    constexpr uint32_t m = Width<Bits>::mask;
    uint32_t& dy = *rec->ea;
    uint32_t flags;
    const uint32_t r = shift_by<T, Left, Bits>(dy & m, uint32_t(rec->value), flags);
    dy = (dy & ~m) | r;
    shift_set_ccr<T>(flags);
    if constexpr (kRecordsImm<T, Left>) shift_record<Bits>(dy);
    return {rec->cycles, pc};
}

template <Shift T, bool Left, int Bits> inline OpResult shift_reg(const DecodeRecord* rec, uint32_t pc) {
    constexpr uint32_t m = Width<Bits>::mask;
    uint32_t& dy = *rec->ea;
    const uint32_t count = *rec->reg & 63;
    if (count == 0) {
        const uint32_t nz = ccr_nz<Bits>(dy);
        if constexpr (T == Shift::ROX) cpu_set_ccr(nz | ((g_cpu_regs.sr & SR_X) ? CCR_CARRY : 0));  // C = X
        else cpu_merge_nzvc(nz);
    } else {
        uint32_t flags;
        const uint32_t r = shift_by<T, Left, Bits>(dy & m, count, flags);
        dy = (dy & ~m) | r;
        shift_set_ccr<T>(flags);
    }
    if (records_reg<T, Left, Bits>(count)) shift_record<Bits>(dy);
    return {rec->cycles, pc};
}

template <Shift T, bool Left> inline OpResult shift_mem(const DecodeRecord* rec, uint32_t pc) {
    const uint32_t x = rec->src(rec->ea, pc).value & 0xFFFF;
    uint32_t flags;
    const uint32_t r = shift_by<T, Left, 16>(x, 1, flags);
    shift_set_ccr<T>(flags);  // before the write: a faulting write stacks the new flags
    return {rec->cycles, rec->dst(rec->ea, r, pc)};
}

}  // namespace

#define ZOLM_SHIFT_HANDLERS(name, T, Left)                                                                           \
    OpResult cpu_op_##name##_imm_b(const DecodeRecord* rec, uint32_t pc) { return shift_imm<T, Left, 8>(rec, pc); }  \
    OpResult cpu_op_##name##_imm_w(const DecodeRecord* rec, uint32_t pc) { return shift_imm<T, Left, 16>(rec, pc); } \
    OpResult cpu_op_##name##_imm_l(const DecodeRecord* rec, uint32_t pc) { return shift_imm<T, Left, 32>(rec, pc); } \
    OpResult cpu_op_##name##_reg_b(const DecodeRecord* rec, uint32_t pc) { return shift_reg<T, Left, 8>(rec, pc); }  \
    OpResult cpu_op_##name##_reg_w(const DecodeRecord* rec, uint32_t pc) { return shift_reg<T, Left, 16>(rec, pc); } \
    OpResult cpu_op_##name##_reg_l(const DecodeRecord* rec, uint32_t pc) { return shift_reg<T, Left, 32>(rec, pc); } \
    OpResult cpu_op_##name##_mem(const DecodeRecord* rec, uint32_t pc) { return shift_mem<T, Left>(rec, pc); }

ZOLM_SHIFT_HANDLERS(asr, Shift::AS, false)
ZOLM_SHIFT_HANDLERS(asl, Shift::AS, true)
ZOLM_SHIFT_HANDLERS(lsr, Shift::LS, false)
ZOLM_SHIFT_HANDLERS(lsl, Shift::LS, true)
ZOLM_SHIFT_HANDLERS(roxr, Shift::ROX, false)
ZOLM_SHIFT_HANDLERS(roxl, Shift::ROX, true)
ZOLM_SHIFT_HANDLERS(ror, Shift::RO, false)
ZOLM_SHIFT_HANDLERS(rol, Shift::RO, true)
#undef ZOLM_SHIFT_HANDLERS

void cpu_build_shifts() {
    // [type][direction][size], type as in the opcode (AS, LS, ROX, RO), direction 0 right.
    static const OpHandler imm_handlers[4][2][3] = {
        {{cpu_op_asr_imm_b, cpu_op_asr_imm_w, cpu_op_asr_imm_l},
         {cpu_op_asl_imm_b, cpu_op_asl_imm_w, cpu_op_asl_imm_l}},
        {{cpu_op_lsr_imm_b, cpu_op_lsr_imm_w, cpu_op_lsr_imm_l},
         {cpu_op_lsl_imm_b, cpu_op_lsl_imm_w, cpu_op_lsl_imm_l}},
        {{cpu_op_roxr_imm_b, cpu_op_roxr_imm_w, cpu_op_roxr_imm_l},
         {cpu_op_roxl_imm_b, cpu_op_roxl_imm_w, cpu_op_roxl_imm_l}},
        {{cpu_op_ror_imm_b, cpu_op_ror_imm_w, cpu_op_ror_imm_l},
         {cpu_op_rol_imm_b, cpu_op_rol_imm_w, cpu_op_rol_imm_l}},
    };
    static const OpHandler reg_handlers[4][2][3] = {
        {{cpu_op_asr_reg_b, cpu_op_asr_reg_w, cpu_op_asr_reg_l},
         {cpu_op_asl_reg_b, cpu_op_asl_reg_w, cpu_op_asl_reg_l}},
        {{cpu_op_lsr_reg_b, cpu_op_lsr_reg_w, cpu_op_lsr_reg_l},
         {cpu_op_lsl_reg_b, cpu_op_lsl_reg_w, cpu_op_lsl_reg_l}},
        {{cpu_op_roxr_reg_b, cpu_op_roxr_reg_w, cpu_op_roxr_reg_l},
         {cpu_op_roxl_reg_b, cpu_op_roxl_reg_w, cpu_op_roxl_reg_l}},
        {{cpu_op_ror_reg_b, cpu_op_ror_reg_w, cpu_op_ror_reg_l},
         {cpu_op_rol_reg_b, cpu_op_rol_reg_w, cpu_op_rol_reg_l}},
    };
    static const OpHandler mem_handlers[4][2] = {
        {cpu_op_asr_mem, cpu_op_asl_mem},
        {cpu_op_lsr_mem, cpu_op_lsl_mem},
        {cpu_op_roxr_mem, cpu_op_roxl_mem},
        {cpu_op_ror_mem, cpu_op_rol_mem},
    };
    static const DisRoutine dis[4] = {dis_as, dis_ls, dis_rox, dis_ro};

    for (uint32_t c = 0; c < 8; c++)
        for (uint32_t d = 0; d < 2; d++)
            for (uint32_t s = 0; s < 3; s++)
                for (uint32_t i = 0; i < 2; i++)
                    for (uint32_t t = 0; t < 4; t++)
                        for (uint32_t r = 0; r < 8; r++) {
                            const uint32_t opcode = 0xE000 | c << 9 | d << 8 | s << 6 | i << 5 | t << 3 | r;
                            DecodeRecord* rec = cpu_new_ind(opcode);
                            rec->dis = dis[t];
                            rec->ea = cpu_reg_slot(0, r);
                            const uint32_t base = s < 2 ? 6 : 8;
                            if (i == 0) {
                                const uint32_t count = c ? c : 8;
                                rec->exec = imm_handlers[t][d][s];
                                rec->value = int32_t(count);
                                rec->cycles = base + 2 * count;
                            } else {
                                rec->exec = reg_handlers[t][d][s];
                                rec->reg = cpu_reg_slot(0, c);
                                rec->cycles = base;
                            }
                        }

    for (uint32_t t = 0; t < 4; t++)
        for (uint32_t d = 0; d < 2; d++)
            for (uint32_t mode = 0; mode < 8; mode++)
                for (uint32_t r = 0; r < 8; r++) {
                    const uint32_t m = cpu_ea_mode_index(mode, r);
                    if (!g_ea_valid_mem_alterable[m]) continue;
                    DecodeRecord* rec = cpu_new_ind(0xE0C0 | t << 9 | d << 8 | mode << 3 | r);
                    rec->exec = mem_handlers[t][d];
                    rec->dis = dis[t];
                    rec->ea = cpu_reg_slot(mode, r);
                    rec->src = ea_peek(SIZE_W, m);
                    rec->dst = ea_write(SIZE_W, m);
                    rec->cycles = cpu_ea_time(SIZE_W, m) + 8;
                }
}
