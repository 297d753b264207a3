// MULU, MULS, DIVU, DIVS: results, flags, overflow and division by zero.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/cpu_regs.h"
#include "support/flat_bus.h"

namespace {

constexpr uint32_t kPc = 0x1000, kSsp = 0x2000, kData = 0x3000;
constexpr uint32_t kSrIn = 0x2713;  // X V C set: X must stay, V and C follow the result

void load_case(const std::vector<uint16_t>& code, uint32_t d0, uint32_t d1, uint32_t word) {
    cpu_test_reset(kPc, kSsp, kSrIn);
    for (size_t i = 0; i < code.size(); ++i) flat_write_word(kPc + 2 * uint32_t(i), code[i]);
    cpu_d(0) = d0;
    cpu_d(1) = d1;
    cpu_a(0) = kData;
    flat_write_word(kData, word);
}

struct MulDivCase {
    const char* name;
    std::vector<uint16_t> code;
    uint32_t d0, d1, word;  // word: the source word at (A0) = kData
    uint32_t out_d0, out_d1;
    uint32_t ccr, length, cycles;
};

const MulDivCase kCases[] = {
    {"MULU #$FFFF,D0", {0xC0FC, 0xFFFF}, 0x1234FFFF, 0, 0, 0xFFFE0001, 0, 0x18, 4, 70},
    {"MULU D1,D0 uses low words", {0xC0C1}, 0x12345678, 0xFFFF0000, 0, 0, 0xFFFF0000, 0x14, 2, 70},
    {"MULS #-1,D0", {0xC1FC, 0xFFFF}, 0x12340002, 0, 0, 0xFFFFFFFE, 0, 0x18, 4, 70},
    {"MULS #$8000,D0 ($8000)", {0xC1FC, 0x8000}, 0x00008000, 0, 0, 0x40000000, 0, 0x10, 4, 70},
    {"MULS (A0),D1", {0xC3D0}, 0, 0x00000003, 0xFFFE, 0, 0xFFFFFFFA, 0x18, 2, 70},

    {"DIVU #7,D0", {0x80FC, 0x0007}, 100, 0, 0, 0x0002000E, 0, 0x10, 4, 140},
    {"DIVU #2,D0 quotient $FFFF", {0x80FC, 0x0002}, 0x0001FFFE, 0, 0, 0x0000FFFF, 0, 0x18, 4, 140},
    {"DIVU #$FFFF,D0 is unsigned", {0x80FC, 0xFFFF}, 0xFFFEFFFF, 0, 0, 0xFFFEFFFF, 0, 0x18, 4, 140},
    {"DIVU #5,D0 zero quotient", {0x80FC, 0x0005}, 3, 0, 0, 0x00030000, 0, 0x14, 4, 140},
    {"DIVU #1,D0 overflow", {0x80FC, 0x0001}, 0x80000000, 0, 0, 0x80000000, 0, 0x12, 4, 140},
    {"DIVU #2,D0 overflow at $10000", {0x80FC, 0x0002}, 0x00020000, 0, 0, 0x00020000, 0, 0x12, 4, 140},
    {"DIVU (A0),D1", {0x82D0}, 0, 10, 0x0003, 0, 0x00010003, 0x10, 2, 140},

    {"DIVS #2,D0 (-7)", {0x81FC, 0x0002}, 0xFFFFFFF9, 0, 0, 0xFFFFFFFD, 0, 0x18, 4, 158},
    {"DIVS #-3,D0 (7)", {0x81FC, 0xFFFD}, 7, 0, 0, 0x0001FFFE, 0, 0x18, 4, 158},
    {"DIVS #-1,D0 ($8000)", {0x81FC, 0xFFFF}, 0x00008000, 0, 0, 0x00008000, 0, 0x18, 4, 158},
    {"DIVS #-2,D0 (-1) zero quotient", {0x81FC, 0xFFFE}, 0xFFFFFFFF, 0, 0, 0xFFFF0000, 0, 0x14, 4, 158},
    {"DIVS #1,D0 overflow ($8000)", {0x81FC, 0x0001}, 0x00008000, 0, 0, 0x00008000, 0, 0x12, 4, 158},
    {"DIVS #2,D0 overflow (-32769)", {0x81FC, 0x0002}, 0xFFFEFFFE, 0, 0, 0xFFFEFFFE, 0, 0x12, 4, 158},
    {"DIVS #-1,D0 overflow ($80000000)", {0x81FC, 0xFFFF}, 0x80000000, 0, 0, 0x80000000, 0, 0x12, 4, 158},
};

TEST(MulDivTest, ResultsAndFlags) {
    flat_bus_install();
    for (const MulDivCase& c : kCases) {
        SCOPED_TRACE(c.name);
        load_case(c.code, c.d0, c.d1, c.word);
        uint32_t cycles = cpu_test_step();
        EXPECT_EQ(cpu_d(0), c.out_d0);
        EXPECT_EQ(cpu_d(1), c.out_d1);
        EXPECT_EQ(g_cpu_regs.sr, 0x2700 | c.ccr);
        EXPECT_EQ(g_cpu_regs.pc, kPc + c.length);
        EXPECT_EQ(cycles, c.cycles);
    }
}

// Zero divide: vector 5, the stacked PC is past the source's extension
// words, D0 and the CCR are as before.
TEST(MulDivTest, DivideByZero) {
    struct ZeroCase {
        const char* name;
        std::vector<uint16_t> code;
        uint32_t stacked_pc;
    };
    const ZeroCase cases[] = {
        {"DIVU #0,D0", {0x80FC, 0x0000}, kPc + 4},
        {"DIVS (4,A0),D0", {0x81E8, 0x0004}, kPc + 4},
        {"DIVS D1,D0 uses the low word", {0x81C1}, kPc + 2},
    };
    flat_bus_install();
    for (const ZeroCase& c : cases) {
        SCOPED_TRACE(c.name);
        load_case(c.code, 0x12345678, 0x12340000, 0);
        cpu_a(0) = kData - 4;
        flat_write_long(0x14, 0x4000);
        cpu_test_step();
        EXPECT_EQ(cpu_d(0), 0x12345678u);
        EXPECT_EQ(g_cpu_regs.pc, 0x4000u);
        EXPECT_EQ(g_cpu_regs.sr & 0xFFFF, kSrIn);
        EXPECT_EQ(cpu_sp(), kSsp - 6);
        EXPECT_EQ(flat_read_word(kSsp - 6), kSrIn);
        EXPECT_EQ(flat_read_long(kSsp - 4), c.stacked_pc);
    }
}

}  // namespace
