// The transcendental FE-calls: bit for bit the host's libm on seeded
// operands, and within 1 ulp of correctly rounded values from mpmath
// (tests/firmware/fe_oracle.py writes that table).
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>

#include "core/cpu_regs.h"
#include "firmware/fe_calls.h"
#include "firmware/fe_host_fpu.h"

namespace {

struct Function {
    const char* name;
    uint8_t double_call;  // the float call is 0x30 above
    double (*libm)(double, double);
    bool binary;
};
constexpr uint8_t FLOAT_OFFSET = 0x30;

const Function FUNCTIONS[] = {
    {"sin", 0x36, [](double a, double) { return std::sin(a); }, false},
    {"cos", 0x37, [](double a, double) { return std::cos(a); }, false},
    {"tan", 0x38, [](double a, double) { return std::tan(a); }, false},
    {"atan", 0x39, [](double a, double) { return std::atan(a); }, false},
    {"log", 0x3A, [](double a, double) { return std::log(a); }, false},
    {"exp", 0x3B, [](double a, double) { return std::exp(a); }, false},
    {"sqrt", 0x3C, [](double a, double) { return std::sqrt(a); }, false},
    {"pow", 0x3F, [](double a, double b) { return std::pow(a, b); }, true},
};

const Function& function_named(const char* name) {
    for (const Function& f : FUNCTIONS)
        if (std::strcmp(f.name, name) == 0) return f;
    std::abort();
}

// Runs the register form of the call on a (and b); returns D0:D1 or D0.
uint64_t fe_double(uint8_t call, double a, double b) {
    uint64_t ab = std::bit_cast<uint64_t>(a), bb = std::bit_cast<uint64_t>(b);
    cpu_d(0) = uint32_t(ab >> 32), cpu_d(1) = uint32_t(ab);
    cpu_d(2) = uint32_t(bb >> 32), cpu_d(3) = uint32_t(bb);
    g_fe_call_table[call]();
    return uint64_t(cpu_d(0)) << 32 | cpu_d(1);
}
uint32_t fe_float(uint8_t call, float a, float b) {
    cpu_d(0) = std::bit_cast<uint32_t>(a);
    cpu_d(1) = std::bit_cast<uint32_t>(b);
    g_fe_call_table[call + FLOAT_OFFSET]();
    return cpu_d(0);
}

// Operands where each function is defined, over a wide range.
double operand(const Function& f, std::mt19937_64& rng, bool for_float) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    double max_exponent = for_float ? 30 : 300;
    double wide = std::pow(10.0, (unit(rng) * 2 - 1) * max_exponent) * (unit(rng) < 0.5 ? -1 : 1);
    std::string name = f.name;
    if (name == "exp") return (unit(rng) * 2 - 1) * (for_float ? 88 : 709);
    if (name == "log" || name == "sqrt") return std::fabs(wide);
    if ((name == "sin" || name == "cos" || name == "tan") && unit(rng) < 0.5) return (unit(rng) * 2 - 1) * 100;
    return wide;
}

TEST(FeTranscendental, ResultsAreTheHostLibmsBitForBit) {
    std::mt19937_64 rng(0x68000);
    for (const Function& f : FUNCTIONS) {
        SCOPED_TRACE(f.name);
        for (int i = 0; i < 400; i++) {
            volatile double a = operand(f, rng, false);
            volatile double b = f.binary ? std::uniform_real_distribution<double>(-20, 20)(rng) : 0.0;
            if (f.binary) a = std::fabs(a);
            volatile double want = f.libm(a, b);
            EXPECT_EQ(fe_double(f.double_call, a, b), std::bit_cast<uint64_t>(double(want)))
                << "a = " << a << ", b = " << b;

            volatile float fa = float(operand(f, rng, true));
            if (f.binary) fa = std::fabs(fa);
            volatile float fb = float(b);
            volatile float fwant = float(f.libm(double(fa), double(fb)));
            EXPECT_EQ(fe_float(f.double_call, fa, fb), std::bit_cast<uint32_t>(float(fwant)))
                << "a = " << fa << ", b = " << fb;
        }
    }
}

struct OracleCase {
    const char* function;
    FeType format;
    uint64_t a, b, result;
};
const OracleCase ORACLE[] = {
#include "data/fe_oracle_cases.inc"
};

// Distance in units in the last place between two finite values of one sign.
uint64_t ulps_apart(uint64_t x, uint64_t y) { return x > y ? x - y : y - x; }

TEST(FeTranscendental, WithinOneUlpOfTheCorrectlyRoundedValues) {
    ASSERT_GT(std::size(ORACLE), 100u);
    for (const OracleCase& c : ORACLE) {
        const Function& f = function_named(c.function);
        if (c.format == FE_DOUBLE) {
            uint64_t got = fe_double(f.double_call, std::bit_cast<double>(c.a), std::bit_cast<double>(c.b));
            EXPECT_LE(ulps_apart(got, c.result), 1u) << c.function << " of double $" << std::hex << c.a;
        } else {
            uint32_t got =
                fe_float(f.double_call, std::bit_cast<float>(uint32_t(c.a)), std::bit_cast<float>(uint32_t(c.b)));
            EXPECT_LE(ulps_apart(got, c.result), 1u) << c.function << " of float $" << std::hex << c.a;
        }
    }
}

}  // namespace
