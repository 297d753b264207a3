// Built with -fno-fast-math -frounding-math -ffp-contract=off: the flags are
// read around each operation, whose operands come from volatiles after the
// clear and whose result goes to a volatile before the test.
#include "firmware/fe_host_fpu.h"

#include <bit>
#include <cfenv>
#include <cmath>

#include "core/cpu_regs.h"
#include "machine/device.h"

FeFpuState g_fe_fpu;

void fe_fpu_power_on() { device_clear(g_fe_fpu); }
std::span<const uint8_t> fe_fpu_state() { return device_state_bytes(g_fe_fpu); }

namespace {

uint32_t sticky_from_host(int raised) {
    uint32_t f = 0;
    if (raised & FE_INVALID) f |= FE_FLAG_INVALID;
    if (raised & FE_DIVBYZERO) f |= FE_FLAG_DIVZERO;
    if (raised & FE_OVERFLOW) f |= FE_FLAG_OVERFLOW;
    if (raised & FE_UNDERFLOW) f |= FE_FLAG_UNDERFLOW;
    if (raised & FE_INEXACT) f |= FE_FLAG_INEXACT;
    return f;
}

double apply(FeFn fn, double a, double b) {
    switch (fn) {
    case FeFn::Convert: return a;
    case FeFn::Add: return a + b;
    case FeFn::Sub: return a - b;
    case FeFn::Mul: return a * b;
    case FeFn::Div: return a / b;
    case FeFn::Mod: return std::fmod(a, b);
    case FeFn::Pow: return std::pow(a, b);
    case FeFn::AddOne: return a + 1.0;
    case FeFn::SubOne: return a - 1.0;
    case FeFn::Half: return a * 0.5;
    case FeFn::Abs: return std::fabs(a);
    case FeFn::Ceil: return std::ceil(a);
    case FeFn::Sin: return std::sin(a);
    case FeFn::Cos: return std::cos(a);
    case FeFn::Tan: return std::tan(a);
    case FeFn::Atan: return std::atan(a);
    case FeFn::Log: return std::log(a);
    case FeFn::Exp: return std::exp(a);
    case FeFn::Sqrt: return std::sqrt(a);
    }
    return a;
}

}  // namespace

uint32_t fe_report(FeMask mask) {
    uint32_t found = g_fe_fpu.status & mask.flags;
    if (!found) return 0;
    g_fe_fpu.status = 0;
    uint32_t ccr = SR_C;
    if ((found & FE_FLAG_OVERFLOW) && mask.overflow_sets_v) ccr |= SR_V;
    if (found & FE_FLAG_DIVZERO) ccr |= SR_Z;
    return ccr;
}

bool fe_double_is_subnormal(uint64_t bits) {
    return (bits & 0x7FF0000000000000) == 0 && (bits & 0x000FFFFFFFFFFFFF) != 0;
}
bool fe_float_is_subnormal(uint32_t bits) { return (bits & 0x7F800000) == 0 && (bits & 0x007FFFFF) != 0; }

double fe_compute(FeFn fn, double a, double b, bool to_float) {
    volatile double va = a, vb = b;
    std::feclearexcept(FE_ALL_EXCEPT);
    volatile double result = apply(fn, va, vb);
    volatile float narrowed = 0.0f;
    if (to_float) narrowed = float(result);
    uint32_t raised = sticky_from_host(std::fetestexcept(FE_ALL_EXCEPT));
    g_fe_fpu.status |= raised;
    double r = to_float ? double(narrowed) : double(result);
    if ((raised & FE_FLAG_INVALID) && std::isnan(r) && !std::isnan(a) && !std::isnan(b))
        r = std::bit_cast<double>(FE_DOUBLE_DEFAULT_NAN);
    return r;
}

uint32_t fe_truncate(double x) {
    constexpr double TWO_TO_63 = 9223372036854775808.0;
    if (std::isnan(x) || std::fabs(x) >= TWO_TO_63) {
        g_fe_fpu.status |= FE_FLAG_INVALID;
        return 0;
    }
    return uint32_t(uint64_t(int64_t(std::trunc(x))));
}
