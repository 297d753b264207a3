// Shift and rotate instructions run through the real run loop on a flat bus.

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>

#include "core/cpu_regs.h"
#include "core/trace.h"
#include "support/flat_bus.h"

namespace {

constexpr uint32_t kPc = 0x1000, kData = 0x3000;

enum Type : uint32_t { AS, LS, ROX, RO };
enum Dir : uint32_t { R, L };

// #n,D0 (n 1-8) and D1,D0.
constexpr uint16_t imm_op(Type t, Dir d, uint32_t size, uint32_t n) {
    return uint16_t(0xE000 | (n & 7) << 9 | d << 8 | size << 6 | t << 3);
}
constexpr uint16_t reg_op(Type t, Dir d, uint32_t size) {
    return uint16_t(0xE000 | 1 << 9 | d << 8 | size << 6 | 1 << 5 | t << 3);
}

class ShiftTest : public ::testing::Test {
protected:
    void SetUp() override { flat_bus_install(); }
};

struct RegCase {
    const char* name;
    uint16_t opcode;
    uint32_t d0, d1, ccr_in;
    uint32_t out_d0, ccr_out, cycles;
};

// D0 is the operand, D1 the count register. The upper bits of D0 must
// survive .B and .W shifts.
const RegCase kRegCases[] = {
    {"ASR.B #1 $81", imm_op(AS, R, 0, 1), 0xAAAAAA81, 0, 0, 0xAAAAAAC0, 0x19, 8},
    {"ASR.W #8 $8000", imm_op(AS, R, 1, 8), 0x00008000, 0, 0, 0x0000FF80, 0x08, 22},
    {"ASR.L D1=40 negative", reg_op(AS, R, 2), 0x80000000, 40, 0, 0xFFFFFFFF, 0x19, 8},
    {"ASR.L D1=64 is count 0", reg_op(AS, R, 2), 0x80000000, 64, 0x13, 0x80000000, 0x18, 8},
    {"ASR.B D1=8 positive", reg_op(AS, R, 0), 0x1234567F, 8, 0x1F, 0x12345600, 0x04, 6},
    {"ASL.B #1 $40", imm_op(AS, L, 0, 1), 0x00000040, 0, 0, 0x00000080, 0x0A, 8},
    {"ASL.B #2 $E0", imm_op(AS, L, 0, 2), 0x000000E0, 0, 0, 0x00000080, 0x19, 10},
    {"ASL.B #2 $C0", imm_op(AS, L, 0, 2), 0x000000C0, 0, 0, 0x00000000, 0x17, 10},
    {"ASL.B D1=8 $01", reg_op(AS, L, 0), 0x00000001, 8, 0, 0x00000000, 0x17, 6},
    {"ASL.W D1=17 $0001", reg_op(AS, L, 1), 0x12340001, 17, 0x19, 0x12340000, 0x06, 6},
    {"ASL.W D1=17 zero", reg_op(AS, L, 1), 0x12340000, 17, 0x19, 0x12340000, 0x04, 6},
    {"ASL.L D1=31 $1", reg_op(AS, L, 2), 0x00000001, 31, 0, 0x80000000, 0x0A, 8},
    {"ASL.L D1=32 $1", reg_op(AS, L, 2), 0x00000001, 32, 0, 0x00000000, 0x17, 8},
    {"ASL.L D1=63 all ones", reg_op(AS, L, 2), 0xFFFFFFFF, 63, 0x11, 0x00000000, 0x06, 8},
    {"LSR.B D1=8 $80", reg_op(LS, R, 0), 0x00000080, 8, 0, 0x00000000, 0x15, 6},
    {"LSR.B D1=9 $80", reg_op(LS, R, 0), 0x00000080, 9, 0x11, 0x00000000, 0x04, 6},
    {"LSR.L D1=31", reg_op(LS, R, 2), 0xC0000000, 31, 0, 0x00000001, 0x11, 8},
    {"LSL.L D1=32 $1", reg_op(LS, L, 2), 0x00000001, 32, 0, 0x00000000, 0x15, 8},
    {"LSL.L D1=33", reg_op(LS, L, 2), 0xFFFFFFFF, 33, 0x11, 0x00000000, 0x04, 8},
    {"LSL.B D1=0 keeps X", reg_op(LS, L, 0), 0x00000080, 0, 0x1F, 0x00000080, 0x18, 6},
    {"ROL.B D1=8 $81", reg_op(RO, L, 0), 0x00000081, 8, 0, 0x00000081, 0x09, 6},
    {"ROR.W #8", imm_op(RO, R, 1, 8), 0x00001234, 0, 0x10, 0x00003412, 0x10, 22},
    {"ROR.L D1=63 keeps X", reg_op(RO, R, 2), 0x80000001, 63, 0x10, 0x00000003, 0x10, 8},
    {"ROL.L D1=32", reg_op(RO, L, 2), 0x80000001, 32, 0, 0x80000001, 0x09, 8},
    {"ROXR.B D1=9 X=1", reg_op(ROX, R, 0), 0x00000055, 9, 0x10, 0x00000055, 0x11, 6},
    {"ROXR.W #1 X=1", imm_op(ROX, R, 1, 1), 0x00000001, 0, 0x10, 0x00008000, 0x19, 8},
    {"ROXL.W #1 $8000 X=0", imm_op(ROX, L, 1, 1), 0x00008000, 0, 0, 0x00000000, 0x15, 8},
    {"ROXL.L D1=32 X=0", reg_op(ROX, L, 2), 0x00000001, 32, 0, 0x00000000, 0x15, 8},
    {"ROXL.L D1=33 X=1", reg_op(ROX, L, 2), 0x00000000, 33, 0x10, 0x00000000, 0x15, 8},
    {"ROXR.L D1=0 C=X", reg_op(ROX, R, 2), 0x00000000, 0, 0x10, 0x00000000, 0x15, 8},
};

TEST_F(ShiftTest, RegisterForms) {
    for (const RegCase& c : kRegCases) {
        SCOPED_TRACE(c.name);
        cpu_test_reset(kPc);
        flat_write_words(kPc, {c.opcode});
        g_cpu_regs.sr = 0x2700 | c.ccr_in;
        cpu_d(0) = c.d0;
        cpu_d(1) = c.d1;
        EXPECT_EQ(cpu_test_step(), c.cycles);
        EXPECT_EQ(cpu_d(0), c.out_d0);
        EXPECT_EQ(g_cpu_regs.sr, 0x2700 | c.ccr_out);
        EXPECT_EQ(cpu_d(1), c.d1);
        EXPECT_EQ(g_cpu_regs.pc, kPc + 2);
    }
}

// The result goes to the execution history only in some forms.
TEST_F(ShiftTest, HistoryRecords) {
    struct Case {
        const char* name;
        uint16_t opcode;
        uint32_t count;
        uint8_t kind;
    };
    const Case cases[] = {
        {"ASR.B D1=0", reg_op(AS, R, 0), 0, TRACE_REG_B},  {"ASR.W D1=0", reg_op(AS, R, 1), 0, TRACE_INSN},
        {"ASR.L #1", imm_op(AS, R, 2, 1), 0, TRACE_REG_L}, {"ASL.L D1=31", reg_op(AS, L, 2), 31, TRACE_REG_L},
        {"ASL.L D1=32", reg_op(AS, L, 2), 32, TRACE_INSN}, {"ASL.W #1", imm_op(AS, L, 1, 1), 0, TRACE_INSN},
        {"LSR.W D1=3", reg_op(LS, R, 1), 3, TRACE_INSN},   {"ROL.W D1=3", reg_op(RO, L, 1), 3, TRACE_REG_W},
        {"ROXL.B D1=0", reg_op(ROX, L, 0), 0, TRACE_INSN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cpu_test_reset(kPc);
        flat_write_words(kPc, {c.opcode});
        cpu_d(0) = 0x12345678;
        cpu_d(1) = c.count;
        cpu_test_step();
        const uint32_t e = (g_trace_index - 1) % TRACE_SIZE;
        EXPECT_EQ(g_trace_kind[e], c.kind);
        if (c.kind != TRACE_INSN) { EXPECT_EQ(g_trace_value[e], cpu_d(0)); }
    }
}

// Memory forms shift one word by one bit; the write consumes the extension
// words and updates An once.
TEST_F(ShiftTest, MemoryForms) {
    struct Case {
        const char* name;
        std::initializer_list<uint16_t> code;
        uint32_t a0, ccr_in, word, out_word, out_a0, ccr_out, length, cycles;
    };
    const Case cases[] = {
        {"ASL (A0)", {0xE1D0}, kData, 0, 0x4000, 0x8000, kData, 0x0A, 2, 12},
        {"ASR (A0)+", {0xE0D8}, kData, 0, 0x8001, 0xC000, kData + 2, 0x19, 2, 12},
        {"LSR (4,A0)", {0xE2E8, 0x0004}, kData - 4, 0, 0x0003, 0x0001, kData - 4, 0x11, 4, 16},
        {"ROXL -(A0)", {0xE5E0}, kData + 2, 0x10, 0x0000, 0x0001, kData, 0x00, 2, 14},
        {"ROR $3000.W keeps X", {0xE6F8, 0x3000}, 0, 0x10, 0x0001, 0x8000, 0, 0x19, 4, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cpu_test_reset(kPc);
        flat_write_words(kPc, c.code);
        flat_write_word(kData, c.word);
        g_cpu_regs.sr = 0x2700 | c.ccr_in;
        cpu_a(0) = c.a0;
        EXPECT_EQ(cpu_test_step(), c.cycles);
        EXPECT_EQ(flat_read_word(kData), c.out_word);
        EXPECT_EQ(cpu_a(0), c.out_a0);
        EXPECT_EQ(g_cpu_regs.sr, 0x2700 | c.ccr_out);
        EXPECT_EQ(g_cpu_regs.pc, kPc + c.length);
    }
}

TEST_F(ShiftTest, MemoryFormOddAddressFaults) {
    cpu_test_reset(kPc);
    flat_write_long(0x0C, 0x4000);    // address error vector
    flat_write_words(kPc, {0xE0D0});  // ASR (A0)
    flat_write_word(kData, 0x1234);
    cpu_a(0) = kData + 1;
    cpu_test_step();
    EXPECT_EQ(g_cpu_regs.pc, 0x4000u);
    EXPECT_EQ(flat_read_word(kData), 0x1234u);
}

}  // namespace
