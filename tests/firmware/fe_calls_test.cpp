// FE-calls through the core's $FExx handler: one table of operand bits to
// result bits and condition codes, run in the register form and the stack
// form where the call has one; then the sticky flags between calls.
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>

#include "core/cpu_regs.h"
#include "firmware/fe_calls.h"
#include "firmware/fe_host_fpu.h"
#include "machine/settings.h"
#include "support/flat_bus.h"
#include "support/powered_on.h"

namespace {

constexpr uint32_t kPc = 0x4000, kSsp = 0x8000, kStack = 0x6000;
constexpr int NONE = -1;

uint64_t D(double v) { return std::bit_cast<uint64_t>(v); }
uint64_t F(float v) { return std::bit_cast<uint32_t>(v); }
uint64_t L(int32_t v) { return uint32_t(v); }

constexpr uint64_t DMAX = 0x7FEFFFFFFFFFFFFF, DMIN = 0x0010000000000000, DSUB = 1;
constexpr uint64_t DINF = 0x7FF0000000000000, DNAN = FE_DOUBLE_DEFAULT_NAN, DQNAN = 0x7FF8000000000001;
constexpr uint64_t FMAX = 0x7F7FFFFF, FMIN = 0x00800000, FSUB = 1, FINF = 0x7F800000, FNAN = FE_FLOAT_DEFAULT_NAN;
constexpr uint64_t KEPT = ~uint64_t(0);  // nothing is written

// Condition codes a row names.
constexpr uint32_t C_ = SR_C, CV = SR_C | SR_V, CVZ = SR_C | SR_V | SR_Z, CZ = SR_C | SR_Z;
constexpr uint32_t NZ = SR_N | SR_Z, NZC = SR_N | SR_Z | SR_C;

struct FeRow {
    const char* what;
    int reg, stack;  // the call's low byte in each form
    FeType type;     // the operands' format
    uint64_t a, b;
    FeType out;        // FE_DOUBLE also for a pair of longs
    uint64_t result;   // KEPT: nothing written
    uint32_t touched;  // the condition codes the row names
    uint32_t ccr;      // those set
};

const FeRow ROWS[] = {
    // Integer operations.
    {"lmul $10000 x $10000", 0x00, 0xE0, FE_LONG, 0x10000, 0x10000, FE_LONG, 0, C_, SR_C},
    {"lmul -3 x 5", 0x00, 0xE0, FE_LONG, L(-3), 5, FE_LONG, L(-15), C_, 0},
    {"ldiv 7 / -2", 0x01, 0xE1, FE_LONG, 7, L(-2), FE_LONG, L(-3), C_, 0},
    {"ldiv by 0", 0x01, 0xE1, FE_LONG, 7, 0, FE_LONG, KEPT, C_, SR_C},
    {"ldiv $80000000 / -1", 0x01, 0xE1, FE_LONG, 0x80000000, L(-1), FE_LONG, 0x80000000, C_, 0},
    {"lmod 7 % -2", 0x02, 0xE2, FE_LONG, 7, L(-2), FE_LONG, 1, C_, 0},
    {"lmod -7 % 2", 0x02, 0xE2, FE_LONG, L(-7), 2, FE_LONG, L(-1), C_, 0},
    {"lmod $80000000 % -1", 0x02, 0xE2, FE_LONG, 0x80000000, L(-1), FE_LONG, 0, C_, 0},
    {"lmod by 0", 0x02, 0xE2, FE_LONG, 7, 0, FE_LONG, KEPT, C_, SR_C},
    {"umul $FFFFFFFF x 2", 0x03, 0xE3, FE_LONG, 0xFFFFFFFF, 2, FE_LONG, 0xFFFFFFFE, C_, SR_C},
    {"udiv $FFFFFFFF / 2", NONE, 0xE4, FE_LONG, 0xFFFFFFFF, 2, FE_LONG, 0x7FFFFFFF, C_, 0},
    {"udiv by 0", NONE, 0xE4, FE_LONG, 5, 0, FE_LONG, KEPT, C_, SR_C},
    {"umod $FFFFFFFF % 10", 0x06, 0xE5, FE_LONG, 0xFFFFFFFF, 10, FE_LONG, 5, C_, 0},
    {"umod by 0", 0x06, 0xE5, FE_LONG, 5, 0, FE_LONG, KEPT, C_, SR_C},
    {"imul $FFFFFFFF x 2", 0x08, NONE, FE_LONG, 0xFFFFFFFF, 2, FE_DOUBLE, 0x00000001FFFFFFFE, C_, 0},
    {"idiv 100 / 7", 0x09, NONE, FE_LONG, 100, 7, FE_DOUBLE, uint64_t(14) << 32 | 2, C_, 0},
    {"idiv by 0", 0x09, NONE, FE_LONG, 100, 0, FE_DOUBLE, KEPT, C_, SR_C},
    // Conversions.
    {"ltod -1", 0x1A, 0xE6, FE_LONG, L(-1), 0, FE_DOUBLE, D(-1.0), 0, 0},
    {"dtol 3e9", 0x1B, 0xE7, FE_DOUBLE, D(3e9), 0, FE_LONG, 0xB2D05E00, C_, 0},
    {"dtol 1e30", 0x1B, 0xE7, FE_DOUBLE, D(1e30), 0, FE_LONG, 0, C_, 0},
    {"dtol NaN", 0x1B, 0xE7, FE_DOUBLE, DNAN, 0, FE_LONG, 0, C_, 0},
    {"dtol -2.9", 0x1B, 0xE7, FE_DOUBLE, D(-2.9), 0, FE_LONG, L(-2), C_, 0},
    {"dtol subnormal", 0x1B, 0xE7, FE_DOUBLE, DSUB, 0, FE_LONG, 0, C_, SR_C},
    {"ltof $7FFFFFFF", 0x1C, 0xE8, FE_LONG, 0x7FFFFFFF, 0, FE_FLOAT, 0x4F000000, 0, 0},
    {"ftol -2.5", 0x1D, 0xE9, FE_FLOAT, F(-2.5f), 0, FE_LONG, L(-2), C_, 0},
    {"ftol 3e9", 0x1D, 0xE9, FE_FLOAT, F(3e9f), 0, FE_LONG, 0xB2D05E00, C_, 0},
    {"ftod 1.5", 0x1E, 0xEA, FE_FLOAT, F(1.5f), 0, FE_DOUBLE, D(1.5), 0, 0},
    {"ftod subnormal", 0x1E, 0xEA, FE_FLOAT, FSUB, 0, FE_DOUBLE, D(0x1p-149), 0, 0},
    {"dtof 1e300", 0x1F, 0xEB, FE_DOUBLE, D(1e300), 0, FE_FLOAT, FINF, C_, SR_C},
    {"dtof 1e-300", 0x1F, 0xEB, FE_DOUBLE, D(1e-300), 0, FE_FLOAT, 0, C_, SR_C},
    {"dtof 1e-40 (subnormal)", 0x1F, 0xEB, FE_DOUBLE, D(1e-40), 0, FE_FLOAT, 0x000116C2, C_, SR_C},
    {"dtof 1", 0x1F, 0xEB, FE_DOUBLE, D(1.0), 0, FE_FLOAT, F(1.0f), C_, 0},
    // Double operations.
    {"dtst -0", 0x28, 0xF8, FE_DOUBLE, D(-0.0), 0, FE_DOUBLE, KEPT, NZ, SR_Z},
    {"dtst NaN", 0x28, 0xF8, FE_DOUBLE, DNAN, 0, FE_DOUBLE, KEPT, NZ, SR_Z},
    {"dtst -1", 0x28, 0xF8, FE_DOUBLE, D(-1.0), 0, FE_DOUBLE, KEPT, NZ, SR_N},
    {"dtst 2", 0x28, 0xF8, FE_DOUBLE, D(2.0), 0, FE_DOUBLE, KEPT, NZ, 0},
    {"dcmp 1, 2", 0x29, 0xEC, FE_DOUBLE, D(1.0), D(2.0), FE_DOUBLE, KEPT, NZC, SR_N | SR_C},
    {"dcmp 2, 1", 0x29, 0xEC, FE_DOUBLE, D(2.0), D(1.0), FE_DOUBLE, KEPT, NZC, 0},
    {"dcmp 1, 1", 0x29, 0xEC, FE_DOUBLE, D(1.0), D(1.0), FE_DOUBLE, KEPT, NZC, SR_Z},
    {"dcmp NaN, 1", 0x29, 0xEC, FE_DOUBLE, DNAN, D(1.0), FE_DOUBLE, KEPT, NZC, SR_Z},
    {"dneg 0", 0x2A, NONE, FE_DOUBLE, D(0.0), 0, FE_DOUBLE, D(-0.0), 0, 0},
    {"dneg NaN", 0x2A, NONE, FE_DOUBLE, DNAN, 0, FE_DOUBLE, 0x7FF8000000000000, 0, 0},
    {"dadd 1 + 2", 0x2B, 0xED, FE_DOUBLE, D(1.0), D(2.0), FE_DOUBLE, D(3.0), CV, 0},
    {"dadd max + max", 0x2B, 0xED, FE_DOUBLE, DMAX, DMAX, FE_DOUBLE, DINF, CV, SR_C | SR_V},
    {"dsub exact subnormal", 0x2C, 0xEE, FE_DOUBLE, DMIN, DMIN + 1, FE_DOUBLE, 0x8000000000000001, CV, 0},
    {"dmul underflow", 0x2D, 0xEF, FE_DOUBLE, DMIN, D(1.0 / 3), FE_DOUBLE, 0x0005555555555555, CV, SR_C},
    {"dmul exact subnormal", 0x2D, 0xEF, FE_DOUBLE, DMIN, D(0.5), FE_DOUBLE, 0x0008000000000000, CV, 0},
    {"ddiv 1 / 0", 0x2E, 0xF0, FE_DOUBLE, D(1.0), D(0.0), FE_DOUBLE, DINF, CVZ, SR_C | SR_Z},
    {"ddiv 0 / 0", 0x2E, 0xF0, FE_DOUBLE, D(0.0), D(0.0), FE_DOUBLE, DNAN, CVZ, 0},
    {"ddiv max / 0.5", 0x2E, 0xF0, FE_DOUBLE, DMAX, D(0.5), FE_DOUBLE, DINF, CVZ, SR_C | SR_V},
    {"dmod 5.5 % -2", 0x2F, 0xF1, FE_DOUBLE, D(5.5), D(-2.0), FE_DOUBLE, D(1.5), CVZ, 0},
    {"dmod 1 % 0", 0x2F, 0xF1, FE_DOUBLE, D(1.0), D(0.0), FE_DOUBLE, DNAN, CVZ, SR_C | SR_Z},
    {"dmod NaN % 0", 0x2F, 0xF1, FE_DOUBLE, DQNAN, D(0.0), FE_DOUBLE, DQNAN, CVZ, 0},
    {"dabs -2", 0x30, NONE, FE_DOUBLE, D(-2.0), 0, FE_DOUBLE, D(2.0), 0, 0},
    {"dceil -1.5", 0x31, NONE, FE_DOUBLE, D(-1.5), 0, FE_DOUBLE, D(-1.0), 0, 0},
    {"dceil -0.5", 0x31, NONE, FE_DOUBLE, D(-0.5), 0, FE_DOUBLE, D(-0.0), 0, 0},
    {"dsgn -0.5", 0x35, NONE, FE_DOUBLE, D(-0.5), 0, FE_DOUBLE, 0xBFF0000000000000, 0, 0},
    {"dsgn -0", 0x35, NONE, FE_DOUBLE, D(-0.0), 0, FE_DOUBLE, D(-0.0), 0, 0},
    {"dsgn +0", 0x35, NONE, FE_DOUBLE, D(0.0), 0, FE_DOUBLE, D(0.0), 0, 0},
    {"dsgn NaN", 0x35, NONE, FE_DOUBLE, DQNAN, 0, FE_DOUBLE, D(-1.0), 0, 0},
    {"dsgn 3", 0x35, NONE, FE_DOUBLE, D(3.0), 0, FE_DOUBLE, 0x3FF0000000000000, 0, 0},
    {"dtan subnormal", 0x38, NONE, FE_DOUBLE, DSUB, 0, FE_DOUBLE, DSUB, C_, SR_C},
    {"dlog 0", 0x3A, NONE, FE_DOUBLE, D(0.0), 0, FE_DOUBLE, KEPT, CZ, SR_C | SR_Z},
    {"dlog -1", 0x3A, NONE, FE_DOUBLE, D(-1.0), 0, FE_DOUBLE, KEPT, CZ, SR_C | SR_Z},
    {"dlog NaN", 0x3A, NONE, FE_DOUBLE, DQNAN, 0, FE_DOUBLE, KEPT, CZ, SR_C | SR_Z},
    {"dlog 1", 0x3A, NONE, FE_DOUBLE, D(1.0), 0, FE_DOUBLE, D(0.0), CZ, 0},
    {"dlog subnormal", 0x3A, NONE, FE_DOUBLE, DSUB, 0, FE_DOUBLE, D(-744.4400719213812), CZ, SR_C},
    {"dexp 1000", 0x3B, NONE, FE_DOUBLE, D(1000.0), 0, FE_DOUBLE, DINF, C_, SR_C},
    {"dexp -1000", 0x3B, NONE, FE_DOUBLE, D(-1000.0), 0, FE_DOUBLE, 0, C_, SR_C},
    {"dexp 0", 0x3B, NONE, FE_DOUBLE, D(0.0), 0, FE_DOUBLE, D(1.0), C_, 0},
    {"dsqr -4", 0x3C, NONE, FE_DOUBLE, D(-4.0), 0, FE_DOUBLE, KEPT, CZ, SR_C},
    {"dsqr NaN", 0x3C, NONE, FE_DOUBLE, DQNAN, 0, FE_DOUBLE, KEPT, CZ, SR_C},
    {"dsqr 4", 0x3C, NONE, FE_DOUBLE, D(4.0), 0, FE_DOUBLE, D(2.0), CZ, 0},
    {"dsqr -0", 0x3C, NONE, FE_DOUBLE, D(-0.0), 0, FE_DOUBLE, D(-0.0), CZ, 0},
    {"dsqr subnormal", 0x3C, NONE, FE_DOUBLE, DSUB, 0, FE_DOUBLE, D(0x1p-537), CZ, SR_C},
    {"dpower 2 ^ 10", 0x3F, NONE, FE_DOUBLE, D(2.0), D(10.0), FE_DOUBLE, D(1024.0), CV, 0},
    {"dpower 10 ^ 400", 0x3F, NONE, FE_DOUBLE, D(10.0), D(400.0), FE_DOUBLE, DINF, CV, SR_C | SR_V},
    {"daddone 1", 0x4B, 0xFA, FE_DOUBLE, D(1.0), 0, FE_DOUBLE, D(2.0), 0, 0},
    {"dsubone 1", 0x4C, 0xFC, FE_DOUBLE, D(1.0), 0, FE_DOUBLE, D(0.0), 0, 0},
    {"ddivtwo 3", 0x4D, NONE, FE_DOUBLE, D(3.0), 0, FE_DOUBLE, D(1.5), C_, 0},
    {"ddivtwo smallest normal", 0x4D, NONE, FE_DOUBLE, DMIN, 0, FE_DOUBLE, 0x0008000000000000, C_, 0},
    {"ddivtwo subnormal", 0x4D, NONE, FE_DOUBLE, DSUB, 0, FE_DOUBLE, 0, C_, SR_C},
    // Float operations.
    {"ftst -1", 0x58, 0xF9, FE_FLOAT, F(-1.0f), 0, FE_FLOAT, KEPT, NZ, SR_N},
    {"ftst -0", 0x58, 0xF9, FE_FLOAT, F(-0.0f), 0, FE_FLOAT, KEPT, NZ, SR_Z},
    {"fcmp 1, 2", 0x59, 0xF2, FE_FLOAT, F(1.0f), F(2.0f), FE_FLOAT, KEPT, NZC, SR_N | SR_C},
    {"fcmp NaN, 1", 0x59, 0xF2, FE_FLOAT, FNAN, F(1.0f), FE_FLOAT, KEPT, NZC, SR_Z},
    {"fneg 1", 0x5A, NONE, FE_FLOAT, F(1.0f), 0, FE_FLOAT, F(-1.0f), 0, 0},
    {"fadd 1 + 2", 0x5B, 0xF3, FE_FLOAT, F(1.0f), F(2.0f), FE_FLOAT, F(3.0f), CV, 0},
    {"fadd max + max", 0x5B, 0xF3, FE_FLOAT, FMAX, FMAX, FE_FLOAT, FINF, CV, SR_C | SR_V},
    {"fsub 2 - 0.5", 0x5C, 0xF4, FE_FLOAT, F(2.0f), F(0.5f), FE_FLOAT, F(1.5f), CV, 0},
    {"fmul min x min", 0x5D, 0xF5, FE_FLOAT, FMIN, FMIN, FE_FLOAT, 0, CV, SR_C},
    {"fdiv 1 / 0", 0x5E, 0xF6, FE_FLOAT, F(1.0f), F(0.0f), FE_FLOAT, FINF, CVZ, SR_C | SR_Z},
    {"fdiv 0 / 0", 0x5E, 0xF6, FE_FLOAT, F(0.0f), F(0.0f), FE_FLOAT, FNAN, CVZ, 0},
    {"fmod 7 % 3", 0x5F, 0xF7, FE_FLOAT, F(7.0f), F(3.0f), FE_FLOAT, F(1.0f), CVZ, 0},
    {"fmod 1 % 0", 0x5F, 0xF7, FE_FLOAT, F(1.0f), F(0.0f), FE_FLOAT, FNAN, CVZ, SR_C | SR_Z},
    {"fabs -3", 0x60, NONE, FE_FLOAT, F(-3.0f), 0, FE_FLOAT, F(3.0f), 0, 0},
    {"fceil 1.2", 0x61, NONE, FE_FLOAT, F(1.2f), 0, FE_FLOAT, F(2.0f), 0, 0},
    {"fsgn -0.5", 0x65, NONE, FE_FLOAT, F(-0.5f), 0, FE_FLOAT, 0xBF800000, 0, 0},
    {"fsgn NaN", 0x65, NONE, FE_FLOAT, FNAN, 0, FE_FLOAT, 0xBF800000, 0, 0},
    {"ftan subnormal", 0x68, NONE, FE_FLOAT, FSUB, 0, FE_FLOAT, FSUB, C_, SR_C},
    {"flog -1", 0x6A, NONE, FE_FLOAT, F(-1.0f), 0, FE_FLOAT, KEPT, CZ, SR_C | SR_Z},
    {"fexp 100", 0x6B, NONE, FE_FLOAT, F(100.0f), 0, FE_FLOAT, FINF, C_, SR_C},
    {"fsqr 4", 0x6C, NONE, FE_FLOAT, F(4.0f), 0, FE_FLOAT, F(2.0f), CZ, 0},
    {"fsqr -4", 0x6C, NONE, FE_FLOAT, F(-4.0f), 0, FE_FLOAT, KEPT, CZ, SR_C},
    {"fpower 10 ^ 40", 0x6F, NONE, FE_FLOAT, F(10.0f), F(40.0f), FE_FLOAT, FINF, CV, SR_C | SR_V},
    {"faddone 1", 0x7B, 0xFB, FE_FLOAT, F(1.0f), 0, FE_FLOAT, F(2.0f), 0, 0},
    {"fsubone 1", 0x7C, 0xFD, FE_FLOAT, F(1.0f), 0, FE_FLOAT, F(0.0f), 0, 0},
    {"fdivtwo subnormal", 0x7D, NONE, FE_FLOAT, FSUB, 0, FE_FLOAT, 0, C_, SR_C},
};

uint32_t longs_of(FeType t) { return t == FE_DOUBLE ? 2 : 1; }

class FeCalls : public PoweredOnMachine {
protected:
    void SetUp() override {
        PoweredOnMachine::SetUp();
        flat_bus_install();
        g_settings.fpu = 1;
        g_fe_fpu.status = 0;
    }
    void TearDown() override { g_settings.fpu = 0; }

    // Runs $FExx once from the CCR given; true when the step took 8 cycles.
    static void step(uint32_t low_byte, uint32_t ccr) {
        cpu_test_reset(kPc, kSsp, 0x2700 | ccr);
        flat_write_words(kPc, {uint16_t(0xFE00 | low_byte)});
        EXPECT_EQ(cpu_test_step(), 8u);
        EXPECT_EQ(g_cpu_regs.pc, kPc + 2);
    }
    static uint32_t ccr() { return g_cpu_regs.sr & 0x1F; }

    static void run_register_form(const FeRow& r, uint32_t start_ccr) {
        const uint32_t in[4] = {
            r.type == FE_DOUBLE ? uint32_t(r.a >> 32) : uint32_t(r.a),
            r.type == FE_DOUBLE ? uint32_t(r.a) : uint32_t(r.b),
            r.type == FE_DOUBLE ? uint32_t(r.b >> 32) : 0x5A5A5A5A,
            r.type == FE_DOUBLE ? uint32_t(r.b) : 0x5A5A5A5A,
        };
        cpu_test_reset(kPc, kSsp, 0x2700 | start_ccr);
        flat_write_words(kPc, {uint16_t(0xFE00 | r.reg)});
        for (unsigned i = 0; i < 4; i++) cpu_d(i) = in[i];
        EXPECT_EQ(cpu_test_step(), 8u);
        EXPECT_EQ(g_cpu_regs.pc, kPc + 2);
        if (r.result == KEPT) {
            for (unsigned i = 0; i < 4; i++) EXPECT_EQ(cpu_d(i), in[i]) << "D" << i;
        } else if (longs_of(r.out) == 2) {
            EXPECT_EQ(uint64_t(cpu_d(0)) << 32 | cpu_d(1), r.result);
        } else {
            EXPECT_EQ(cpu_d(0), uint32_t(r.result));
        }
        EXPECT_EQ(ccr(), (start_ccr & ~r.touched) | r.ccr);
    }

    static void run_stack_form(const FeRow& r, uint32_t start_ccr) {
        cpu_test_reset(kPc, kSsp, 0x2700 | start_ccr);
        flat_write_words(kPc, {uint16_t(0xFE00 | r.stack)});
        cpu_sp() = kStack;
        uint32_t a_longs = longs_of(r.type);
        uint32_t in[4] = {0, 0, 0, 0};
        if (a_longs == 2) {
            in[0] = uint32_t(r.a >> 32), in[1] = uint32_t(r.a), in[2] = uint32_t(r.b >> 32), in[3] = uint32_t(r.b);
        } else {
            in[0] = uint32_t(r.a), in[1] = uint32_t(r.b), in[2] = in[3] = 0x5A5A5A5A;
        }
        for (uint32_t i = 0; i < 4; i++) flat_write_long(kStack + 4 * i, in[i]);
        EXPECT_EQ(cpu_test_step(), 8u);
        EXPECT_EQ(cpu_sp(), kStack);
        uint32_t out_longs = r.result == KEPT ? 0 : longs_of(r.out);
        uint32_t want[4] = {in[0], in[1], in[2], in[3]};
        if (out_longs == 2) want[0] = uint32_t(r.result >> 32), want[1] = uint32_t(r.result);
        if (out_longs == 1) want[0] = uint32_t(r.result);
        for (uint32_t i = 0; i < 4; i++) EXPECT_EQ(flat_read_long(kStack + 4 * i), want[i]) << "(A7+" << 4 * i << ")";
        EXPECT_EQ(ccr(), (start_ccr & ~r.touched) | r.ccr);
    }
};

TEST_F(FeCalls, RegisterAndStackFormsGiveTheRowsResults) {
    for (const FeRow& r : ROWS) {
        for (uint32_t start_ccr : {SR_X, SR_X | SR_N | SR_Z | SR_V | SR_C}) {
            SCOPED_TRACE(testing::Message() << r.what << ", CCR before $" << std::hex << start_ccr);
            if (r.reg != NONE) {
                SCOPED_TRACE("register form");
                g_fe_fpu.status = 0;
                run_register_form(r, start_ccr);
            }
            if (r.stack != NONE) {
                SCOPED_TRACE("stack form");
                g_fe_fpu.status = 0;
                run_stack_form(r, start_ccr);
            }
        }
    }
}

TEST_F(FeCalls, ExactlyTheTableHasRoutines) {
    int filled = 0;
    for (FirmwareRoutine r : g_fe_call_table) filled += r != nullptr;
    EXPECT_EQ(filled, 87);
    for (uint32_t empty : {0x04u, 0x05u, 0x07u, 0x0Au, 0x19u, 0x20u, 0x27u, 0x32u, 0x34u, 0x3Du, 0x3Eu, 0x40u, 0x4Au,
                           0x4Eu, 0x57u, 0x62u, 0x64u, 0x6Du, 0x6Eu, 0x70u, 0x7Au, 0x7Eu, 0xDFu, 0xFEu, 0xFFu})
        EXPECT_EQ(g_fe_call_table[empty], nullptr) << std::hex << empty;
}

// Sticky flags: one left by a routine that does not report shows in the
// next routine whose mask holds it, then is gone; flags raised by other
// floating-point work of the program never show.
TEST_F(FeCalls, FlagsStayUntilAMaskFindsThem) {
    struct Call {
        int low_byte;
        uint64_t a, b;
        uint32_t ccr;  // after the call, from X alone
    };
    struct Sequence {
        const char* what;
        std::vector<Call> calls;
    } sequences[] = {
        {"atan of a subnormal leaves an underflow for dadd",
         {{0x39, DSUB, 0, SR_X}, {0x2B, D(1.0), D(2.0), SR_X | SR_C}, {0x2B, D(1.0), D(2.0), SR_X}}},
        {"ltof neither reports nor clears; tan reports and clears",
         {{0x39, DSUB, 0, SR_X}, {0x1C, 5, 0, SR_X}, {0x38, D(1.0), 0, SR_X | SR_C}, {0x2B, D(1.0), D(2.0), SR_X}}},
        {"abs of a subnormal leaves the denormal flag for divtwo",
         {{0x30, DSUB, 0, SR_X}, {0x2B, D(1.0), D(2.0), SR_X}, {0x4D, D(3.0), 0, SR_X | SR_C}}},
        {"neg of a subnormal leaves nothing", {{0x2A, DSUB, 0, SR_X}, {0x4D, D(3.0), 0, SR_X}}},
        {"an invalid operation is in no mask",
         {{0x2E, D(0.0), D(0.0), SR_X}, {0x2E, D(1.0), D(2.0), SR_X}, {0x4D, D(3.0), 0, SR_X}}},
    };
    for (const Sequence& s : sequences) {
        SCOPED_TRACE(s.what);
        g_fe_fpu.status = 0;
        for (const Call& c : s.calls) {
            cpu_test_reset(kPc, kSsp, 0x2700 | SR_X);
            flat_write_words(kPc, {uint16_t(0xFE00 | c.low_byte)});
            cpu_d(0) = uint32_t(c.a >> 32), cpu_d(1) = uint32_t(c.a);
            cpu_d(2) = uint32_t(c.b >> 32), cpu_d(3) = uint32_t(c.b);
            if (c.low_byte == 0x1C) cpu_d(0) = uint32_t(c.a);
            cpu_test_step();
            EXPECT_EQ(ccr(), c.ccr) << "$FE" << std::hex << c.low_byte;
        }
    }
}

TEST_F(FeCalls, HostFloatingPointWorkDoesNotShow) {
    volatile double tiny = 1e-300;
    volatile double squared = tiny * tiny;  // the host's underflow flag is now set
    (void)squared;
    cpu_test_reset(kPc, kSsp, 0x2700);
    flat_write_words(kPc, {0xFE2B});
    cpu_d(0) = 0x3FF00000, cpu_d(1) = 0, cpu_d(2) = 0x40000000, cpu_d(3) = 0;
    cpu_test_step();
    EXPECT_EQ(ccr(), 0u);
    EXPECT_EQ(cpu_d(0), 0x40080000u);
}

}  // namespace
