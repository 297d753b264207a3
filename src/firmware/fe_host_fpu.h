// The host's floating-point unit as the FE-calls see it: every operation in
// double precision (a float result rounded once from it), and the flags it
// raises kept in a sticky word of their own, so that other floating-point
// work of the program never shows in an FE-call's condition codes.
#pragma once

#include <cstdint>
#include <span>

// Sticky flags, as the x87 accumulates them.
inline constexpr uint32_t FE_FLAG_INVALID = 0x01;
inline constexpr uint32_t FE_FLAG_DENORMAL = 0x02;  // an operand was subnormal in its format
inline constexpr uint32_t FE_FLAG_DIVZERO = 0x04;
inline constexpr uint32_t FE_FLAG_OVERFLOW = 0x08;
inline constexpr uint32_t FE_FLAG_UNDERFLOW = 0x10;
inline constexpr uint32_t FE_FLAG_INEXACT = 0x20;

struct FeFpuState {
    uint32_t status;  // the sticky flags
};
extern FeFpuState g_fe_fpu;

// Power-on: no flag set. The reset line leaves it.
void fe_fpu_power_on();
std::span<const uint8_t> fe_fpu_state();

// A report mask: the flags it looks for; when one is set, C, with V for an
// overflow where the mask says so and Z for a division by zero.
struct FeMask {
    uint32_t flags;
    bool overflow_sets_v;
};
inline constexpr FeMask FE_MASK_ARITHMETIC{FE_FLAG_OVERFLOW | FE_FLAG_UNDERFLOW, true};
inline constexpr FeMask FE_MASK_DIVISION{FE_FLAG_DIVZERO | FE_FLAG_OVERFLOW | FE_FLAG_UNDERFLOW, true};
inline constexpr FeMask FE_MASK_FUNCTION{FE_FLAG_DENORMAL | FE_FLAG_OVERFLOW | FE_FLAG_UNDERFLOW, false};
// The condition codes the mask finds in the sticky word; when it finds a
// flag, every flag is cleared.
uint32_t fe_report(FeMask mask);

// The invalid operation's result (the x86 default NaN).
inline constexpr uint64_t FE_DOUBLE_DEFAULT_NAN = 0xFFF8000000000000;
inline constexpr uint32_t FE_FLOAT_DEFAULT_NAN = 0xFFC00000;

bool fe_double_is_subnormal(uint64_t bits);
bool fe_float_is_subnormal(uint32_t bits);

// Host operations. Convert passes a through (for a change of format).
enum class FeFn : uint8_t {
    // clang-format off
    Convert, Add, Sub, Mul, Div, Mod, Pow, AddOne, SubOne, Half,
    Abs, Ceil, Sin, Cos, Tan, Atan, Log, Exp, Sqrt,
    // clang-format on
};
// fn of a (and b) on the host, the raised flags ORed into the sticky word;
// with to_float the result is rounded once to a float (returned exactly as
// a double). An invalid operation on numbers gives the default NaN.
double fe_compute(FeFn fn, double a, double b, bool to_float);
// x truncated toward zero to 64 bits, the low 32 bits; NaN or |x| >= 2^63
// gives 0 and the invalid flag.
uint32_t fe_truncate(double x);
