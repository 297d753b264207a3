// AND, OR, EOR, their immediate forms, NOT and the CCR/SR immediates, run
// through the real run loop on a flat bus.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/cpu_regs.h"
#include "support/flat_bus.h"

namespace {

constexpr uint32_t kPc = 0x1000, kSsp = 0x2000, kData = 0x3000;

void load_code(const std::vector<uint16_t>& code) {
    for (size_t i = 0; i < code.size(); ++i) flat_write_word(kPc + 2 * uint32_t(i), code[i]);
}

class LogicTest : public ::testing::Test {
protected:
    void SetUp() override { flat_bus_install(); }
};

// Operand forms. The CCR starts as X V C: V and C must clear, X must stay.
struct OperandCase {
    const char* name;
    std::vector<uint16_t> code;
    uint32_t d0, d1, a0, mem;  // mem: the long at kData
    uint32_t out_d0, out_d1, out_a0, out_mem;
    uint32_t ccr, length, cycles;
};

const OperandCase kOperandCases[] = {
    // Byte op on Dn keeps the upper 24 bits.
    {"AND.B (A0),D0", {0xC010}, 0x123456FF, 0, kData, 0x0F000000, 0x1234560F, 0, kData, 0x0F000000, 0x10, 2, 8},
    {"AND.L D1,-(A0)", {0xC3A0}, 0, 0x8000FFFF, kData + 4, 0xF0F0F0F0, 0, 0x8000FFFF, kData, 0x8000F0F0, 0x18, 2, 22},
    {"OR.W D1,(A0)", {0x8350}, 0, 0x00008001, kData, 0x01000000, 0, 0x00008001, kData, 0x81010000, 0x18, 2, 12},
    {"OR.B #$80,D1", {0x823C, 0x0080}, 0, 0x12345600, kData, 0, 0, 0x12345680, kData, 0, 0x18, 4, 8},
    {"EOR.L D0,D0", {0xB180}, 0xDEADBEEF, 0, kData, 0, 0, 0, kData, 0, 0x14, 2, 12},
    // EOR into Dn stores only the low word.
    {"EOR.W D1,D0", {0xB340}, 0xAAAA5555, 0x0000FFFF, kData, 0, 0xAAAAAAAA, 0x0000FFFF, kData, 0, 0x18, 2, 8},
    // The immediate word comes first, the absolute address after it.
    {"ANDI.B #$0F,$3000.W", {0x0238, 0x000F, 0x3000}, 0, 0, 0, 0xF5FFFFFF, 0, 0, 0, 0x05FFFFFF, 0x10, 6, 20},
    {"ANDI.W #$00FF,D0", {0x0240, 0x00FF}, 0x1234ABCD, 0, kData, 0, 0x123400CD, 0, kData, 0, 0x10, 4, 8},
    {"ORI.L #$80000000,D0", {0x0080, 0x8000, 0x0000}, 1, 0, kData, 0, 0x80000001, 0, kData, 0, 0x18, 6, 16},
    {"EORI.W #$FFFF,(A0)+", {0x0A58, 0xFFFF}, 0, 0, kData, 0xFFFF1234, 0, 0, kData + 2, 0x00001234, 0x14, 4, 16},
    {"EORI.L #$0F0F0F0F,(4,A0)",
     {0x0AA8, 0x0F0F, 0x0F0F, 0x0004},
     0,
     0,
     kData - 4,
     0xFFFF0000,
     0,
     0,
     kData - 4,
     0xF0F00F0F,
     0x18,
     8,
     32},
    {"NOT.W (A0)", {0x4650}, 0, 0, kData, 0x0F0F0000, 0, 0, kData, 0xF0F00000, 0x18, 2, 12},
    {"NOT.L D0", {0x4680}, 0xFFFFFFFF, 0, kData, 0, 0, 0, kData, 0, 0x14, 2, 6},
};

TEST_F(LogicTest, OperandForms) {
    for (const OperandCase& c : kOperandCases) {
        SCOPED_TRACE(c.name);
        cpu_test_reset(kPc, kSsp, 0x2713);
        load_code(c.code);
        cpu_d(0) = c.d0;
        cpu_d(1) = c.d1;
        cpu_a(0) = c.a0;
        flat_write_long(kData, c.mem);
        uint32_t cycles = cpu_test_step();
        EXPECT_EQ(cpu_d(0), c.out_d0);
        EXPECT_EQ(cpu_d(1), c.out_d1);
        EXPECT_EQ(cpu_a(0), c.out_a0);
        EXPECT_EQ(flat_read_long(kData), c.out_mem);
        EXPECT_EQ(g_cpu_regs.sr, 0x2700 | c.ccr);
        EXPECT_EQ(g_cpu_regs.pc, kPc + c.length);
        EXPECT_EQ(cycles, c.cycles);
    }
}

// Immediates to CCR and SR: 4 bytes, 20 cycles.
struct StatusCase {
    const char* name;
    uint16_t opcode, imm;
    uint32_t sr, out_sr;
};

const StatusCase kStatusCases[] = {
    {"ORI #$FF,CCR", 0x003C, 0x00FF, 0x2700, 0x271F},
    {"ORI #$FF00,CCR leaves the system byte", 0x003C, 0xFF00, 0x2700, 0x2700},
    {"EORI #$1F,CCR", 0x0A3C, 0x001F, 0x2715, 0x270A},
    {"ANDI #$F0,CCR", 0x023C, 0x00F0, 0x271F, 0x2710},
    {"ORI #$11,CCR in user mode", 0x003C, 0x0011, 0x0000, 0x0011},
    {"EORI #$0704,SR", 0x0A7C, 0x0704, 0x2700, 0x2004},
    {"ORI #$58E0,SR sets no missing bit", 0x007C, 0x58E0, 0x2700, 0x2700},
    {"ANDI #$FFF0,SR", 0x027C, 0xFFF0, 0x271F, 0x2710},
};

TEST_F(LogicTest, StatusImmediates) {
    for (const StatusCase& c : kStatusCases) {
        SCOPED_TRACE(c.name);
        cpu_test_reset(kPc, kSsp, 0x2700);
        g_cpu_regs.sr = c.sr;  // same stack as reset when S is clear: no switch tested here
        load_code({c.opcode, c.imm});
        uint32_t cycles = cpu_test_step();
        EXPECT_EQ(g_cpu_regs.sr, c.out_sr);
        EXPECT_EQ(g_cpu_regs.pc, kPc + 4);
        EXPECT_EQ(cycles, 20u);
    }
}

TEST_F(LogicTest, AndiSrToUserModeSwitchesStacks) {
    cpu_test_reset(kPc, kSsp, 0x2700);
    g_cpu_regs.usp_save = 0x1800;
    load_code({0x027C, 0xDFFF});
    cpu_test_step();
    EXPECT_EQ(g_cpu_regs.sr, 0x0700u);
    EXPECT_EQ(cpu_sp(), 0x1800u);
    EXPECT_EQ(g_cpu_regs.ssp_save, kSsp);
}

TEST_F(LogicTest, AndiSrLoweringTheMaskTakesPendingInterrupt) {
    cpu_test_reset(kPc, kSsp, 0x2700);
    g_cpu_regs.irq_pending = 1u << 17;  // level 1 held back by the mask
    flat_write_long(0x64, 0x4000);      // autovector 25
    load_code({0x027C, 0xF8FF});
    flat_write_words(0x4000, {0x0000, 0x0000});  // ORI.B #0,D0
    cpu_test_step();
    EXPECT_EQ(g_cpu_regs.irq_request, 1u);
    EXPECT_EQ(g_cpu_regs.irq_level, 1u);
    cpu_test_step();
    EXPECT_EQ(g_cpu_regs.pc, 0x4004u);
    EXPECT_EQ(g_cpu_regs.sr & 0x2700, 0x2100u);
    EXPECT_EQ(cpu_sp(), kSsp - 6);
    EXPECT_EQ(flat_read_word(kSsp - 6), 0x2000u);  // SR after the ANDI
    EXPECT_EQ(flat_read_long(kSsp - 4), kPc + 4);
}

TEST_F(LogicTest, SrImmediatesArePrivileged) {
    for (uint16_t opcode : {uint16_t(0x007C), uint16_t(0x027C), uint16_t(0x0A7C)}) {
        SCOPED_TRACE(opcode);
        cpu_test_reset(kPc, kSsp, 0x2700);
        g_cpu_regs.sr = 0x0003;  // user mode, A7 stays as the user stack
        cpu_sp() = 0x1800;
        g_cpu_regs.ssp_save = kSsp;
        flat_write_long(0x20, 0x4000);
        load_code({opcode, 0x0700});
        cpu_test_step();
        EXPECT_EQ(g_cpu_regs.pc, 0x4000u);
        EXPECT_EQ(g_cpu_regs.sr & 0xFFFF, 0x2003u);
        EXPECT_EQ(cpu_sp(), kSsp - 6);
        EXPECT_EQ(flat_read_word(kSsp - 6), 0x0003u);
        EXPECT_EQ(flat_read_long(kSsp - 4), kPc);  // the opcode's address
    }
}

}  // namespace
