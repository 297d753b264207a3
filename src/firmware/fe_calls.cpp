// One body serves every FE-call: the operands are read from registers or
// the stack, the operation runs on the host (fe_host_fpu), and the result
// and condition codes are written back. Built with the same floating-point
// options as fe_host_fpu.cpp.
#include "firmware/fe_calls.h"

#include <bit>
#include <cmath>
#include <cstdint>

#include "core/bus.h"
#include "core/cpu_regs.h"
#include "firmware/fe_host_fpu.h"
#include "machine/settings.h"

namespace {

enum Report : uint8_t { REPORT_NONE, REPORT_ARITHMETIC, REPORT_DIVISION, REPORT_FUNCTION };

// Operands, the condition codes cleared first, the report mask and the
// host operation.
struct KindInfo {
    uint8_t arity;
    uint32_t clears;
    Report report;
    FeFn fn;
};

constexpr uint32_t CLEARS_ARITHMETIC = SR_C | SR_V;
constexpr uint32_t CLEARS_DIVISION = SR_C | SR_V | SR_Z;

// Indexed by FeKind.
constexpr KindInfo KINDS[] = {
    {2, SR_C, REPORT_NONE, FeFn::Convert},                 // FE_LMUL
    {2, SR_C, REPORT_NONE, FeFn::Convert},                 // FE_LDIV
    {2, SR_C, REPORT_NONE, FeFn::Convert},                 // FE_LMOD
    {2, SR_C, REPORT_NONE, FeFn::Convert},                 // FE_UMUL
    {2, SR_C, REPORT_NONE, FeFn::Convert},                 // FE_UDIV
    {2, SR_C, REPORT_NONE, FeFn::Convert},                 // FE_UMOD
    {2, SR_C, REPORT_NONE, FeFn::Convert},                 // FE_IMUL64
    {2, SR_C, REPORT_NONE, FeFn::Convert},                 // FE_IDIVMOD
    {1, 0, REPORT_NONE, FeFn::Convert},                    // FE_TO_DOUBLE
    {1, SR_C, REPORT_FUNCTION, FeFn::Convert},             // FE_TO_LONG
    {1, SR_C, REPORT_FUNCTION, FeFn::Convert},             // FE_TO_FLOAT
    {1, 0, REPORT_NONE, FeFn::Convert},                    // FE_LTOF
    {1, SR_N | SR_Z, REPORT_NONE, FeFn::Convert},          // FE_TST
    {2, SR_N | SR_Z | SR_C, REPORT_NONE, FeFn::Convert},   // FE_CMP
    {1, 0, REPORT_NONE, FeFn::Convert},                    // FE_NEG
    {2, CLEARS_ARITHMETIC, REPORT_ARITHMETIC, FeFn::Add},  // FE_ADD
    {2, CLEARS_ARITHMETIC, REPORT_ARITHMETIC, FeFn::Sub},  // FE_SUB
    {2, CLEARS_ARITHMETIC, REPORT_ARITHMETIC, FeFn::Mul},  // FE_MUL
    {2, CLEARS_DIVISION, REPORT_DIVISION, FeFn::Div},      // FE_DIV
    {2, CLEARS_DIVISION, REPORT_DIVISION, FeFn::Mod},      // FE_MOD
    {1, 0, REPORT_NONE, FeFn::Abs},                        // FE_ABS
    {1, 0, REPORT_NONE, FeFn::Ceil},                       // FE_CEIL
    {1, 0, REPORT_NONE, FeFn::Convert},                    // FE_SGN
    {1, 0, REPORT_NONE, FeFn::Sin},                        // FE_SIN
    {1, 0, REPORT_NONE, FeFn::Cos},                        // FE_COS
    {1, SR_C, REPORT_FUNCTION, FeFn::Tan},                 // FE_TAN
    {1, 0, REPORT_NONE, FeFn::Atan},                       // FE_ATAN
    {1, SR_C | SR_Z, REPORT_FUNCTION, FeFn::Log},          // FE_LOG
    {1, SR_C, REPORT_FUNCTION, FeFn::Exp},                 // FE_EXP
    {1, SR_C | SR_Z, REPORT_FUNCTION, FeFn::Sqrt},         // FE_SQR
    {2, CLEARS_ARITHMETIC, REPORT_ARITHMETIC, FeFn::Pow},  // FE_POW
    {1, 0, REPORT_NONE, FeFn::AddOne},                     // FE_ADDONE
    {1, 0, REPORT_NONE, FeFn::SubOne},                     // FE_SUBONE
    {1, SR_C, REPORT_FUNCTION, FeFn::Half},                // FE_DIVTWO
};
static_assert(std::size(KINDS) == FE_DIVTWO + 1);

constexpr FeMask MASKS[] = {{0, false}, FE_MASK_ARITHMETIC, FE_MASK_DIVISION, FE_MASK_FUNCTION};

// What an operation gives: the result's bits, whether it is written, and
// the condition codes set.
struct Outcome {
    uint64_t bits;
    bool store;
    uint32_t ccr;
};

constexpr uint64_t DOUBLE_SIGN = 0x8000000000000000;
constexpr uint32_t FLOAT_SIGN = 0x80000000;

// Longs a value of the format takes.
uint32_t longs_of(FeType t) { return t == FE_DOUBLE ? 2 : 1; }

FeType result_type(FeKind k, FeType in) {
    switch (k) {
    case FE_TO_DOUBLE:
    case FE_IMUL64:
    case FE_IDIVMOD: return FE_DOUBLE;  // a register pair
    case FE_TO_LONG: return FE_LONG;
    case FE_TO_FLOAT:
    case FE_LTOF: return FE_FLOAT;
    default: return in;
    }
}

bool is_division(FeKind k) { return k == FE_LDIV || k == FE_LMOD || k == FE_UDIV || k == FE_UMOD || k == FE_IDIVMOD; }

// Operand long n: Dn, or the long at A7 + 4n.
uint32_t read_long(FeForm form, uint32_t n) { return form == FE_REG ? cpu_d(n) : mem_read_long_c(cpu_sp() + 4 * n); }
void write_long(FeForm form, uint32_t n, uint32_t v) {
    if (form == FE_REG) cpu_d(n) = v;
    else mem_write_long_c(v, cpu_sp() + 4 * n);
}
// A value from long n on, high long first.
uint64_t read_value(FeForm form, FeType t, uint32_t n) {
    if (t != FE_DOUBLE) return read_long(form, n);
    uint64_t high = read_long(form, n);
    return high << 32 | read_long(form, n + 1);
}
void write_value(FeForm form, FeType t, uint64_t bits) {
    if (t != FE_DOUBLE) return write_long(form, 0, uint32_t(bits));
    write_long(form, 0, uint32_t(bits >> 32));
    write_long(form, 1, uint32_t(bits));
}

double value_of(FeType t, uint64_t bits) {
    switch (t) {
    case FE_LONG: return double(int32_t(uint32_t(bits)));
    case FE_FLOAT: return double(std::bit_cast<float>(uint32_t(bits)));
    case FE_DOUBLE: break;
    }
    return std::bit_cast<double>(bits);
}
// v holds a value of format t exactly.
uint64_t bits_of(FeType t, double v) {
    return t == FE_FLOAT ? std::bit_cast<uint32_t>(float(v)) : std::bit_cast<uint64_t>(v);
}
bool is_subnormal(FeType t, uint64_t bits) {
    if (t == FE_DOUBLE) return fe_double_is_subnormal(bits);
    return t == FE_FLOAT && fe_float_is_subnormal(uint32_t(bits));
}

// b is not 0 for the divisions.
Outcome integer_op(FeKind k, uint32_t a, uint32_t b) {
    int32_t sa = int32_t(a), sb = int32_t(b);
    switch (k) {
    case FE_LMUL: {
        int64_t p = int64_t(sa) * sb;
        return {uint32_t(uint64_t(p)), true, p != int32_t(p) ? SR_C : 0};
    }
    case FE_UMUL: {
        uint64_t p = uint64_t(a) * b;
        return {uint32_t(p), true, (p >> 32) ? SR_C : 0};
    }
    case FE_IMUL64: return {uint64_t(a) * b, true, 0};
    // $80000000 / -1: the quotient that does not fit keeps its low bits.
    case FE_LDIV: return {sb == -1 ? uint32_t(0) - a : uint32_t(sa / sb), true, 0};
    case FE_LMOD: return {sb == -1 ? 0 : uint32_t(sa % sb), true, 0};
    case FE_UDIV: return {a / b, true, 0};
    case FE_UMOD: return {a % b, true, 0};
    case FE_IDIVMOD: return {uint64_t(a / b) << 32 | (a % b), true, 0};
    default: return {0, false, 0};
    }
}

Outcome floating_op(FeKind k, FeType t, uint64_t a_bits, uint64_t b_bits) {
    const KindInfo& info = KINDS[k];
    if (k == FE_NEG) return {a_bits ^ (t == FE_DOUBLE ? DOUBLE_SIGN : FLOAT_SIGN), true, 0};
    double a = value_of(t, a_bits), b = info.arity == 2 ? value_of(t, b_bits) : 0.0;
    // The error roads come first and raise nothing.
    if (k == FE_LOG && (a <= 0.0 || std::isnan(a))) return {0, false, SR_C | SR_Z};
    if (k == FE_SQR && (a < 0.0 || std::isnan(a))) return {0, false, SR_C};
    if (is_subnormal(t, a_bits) || (info.arity == 2 && is_subnormal(t, b_bits))) g_fe_fpu.status |= FE_FLAG_DENORMAL;

    FeType out = result_type(k, t);
    switch (k) {
    case FE_TST: return {0, false, (a == 0.0 || std::isnan(a)) ? SR_Z : a < 0.0 ? SR_N : 0};
    case FE_CMP:
        if (a == b || std::isnan(a) || std::isnan(b)) return {0, false, SR_Z};
        return {0, false, a < b ? SR_N | SR_C : 0};
    case FE_SGN:
        if (a < 0.0 || std::isnan(a)) return {bits_of(t, -1.0), true, 0};
        return {a > 0.0 ? bits_of(t, 1.0) : a_bits, true, 0};
    case FE_TO_LONG: return {fe_truncate(a), true, fe_report(FE_MASK_FUNCTION)};
    default: break;
    }
    double r = fe_compute(info.fn, a, b, out == FE_FLOAT);
    // A remainder by zero is a division by zero.
    if (k == FE_MOD && b == 0.0 && !std::isnan(a)) g_fe_fpu.status |= FE_FLAG_DIVZERO;
    uint32_t ccr = fe_report(MASKS[info.report]);
    if (k == FE_SQR && ccr) ccr = SR_C | (r == 0.0 ? SR_Z : 0);
    return {bits_of(out, r), true, ccr};
}

}  // namespace

void fe_run(FeForm form, FeKind kind, FeType type) {
    const KindInfo& info = KINDS[kind];
    Outcome out;
    if (type == FE_LONG && info.arity == 2) {
        // The divisor first: a zero one leaves the dividend unread.
        uint32_t b = read_long(form, 1);
        out = b == 0 && is_division(kind) ? Outcome{0, false, SR_C} : integer_op(kind, read_long(form, 0), b);
    } else {
        uint64_t a = read_value(form, type, 0);
        uint64_t b = info.arity == 2 ? read_value(form, type, longs_of(type)) : 0;
        out = floating_op(kind, type, a, b);
    }
    if (out.store) write_value(form, result_type(kind, type), out.bits);
    g_cpu_regs.sr = (g_cpu_regs.sr & ~info.clears) | out.ccr;
}

#define ZOLM_DEFINE_FE_CALL(index, name, form, kind, type) \
    void name() { fe_run(form, kind, type); }
ZOLM_FE_CALLS(ZOLM_DEFINE_FE_CALL)
#undef ZOLM_DEFINE_FE_CALL

namespace {
constexpr std::array<FirmwareRoutine, 256> build_fe_call_table() {
    std::array<FirmwareRoutine, 256> table{};
#define ZOLM_FE_CALL_SLOT(index, name, form, kind, type) table[index] = name;
    ZOLM_FE_CALLS(ZOLM_FE_CALL_SLOT)
#undef ZOLM_FE_CALL_SLOT
    return table;
}
}  // namespace

const std::array<FirmwareRoutine, 256> g_fe_call_table = build_fe_call_table();

FirmwareRoutine fe_call_routine(uint32_t index) {
    return g_settings.fpu && index < 256 ? g_fe_call_table[index] : nullptr;
}
