// ADD, SUB, CMP and their address, immediate, quick and extended forms,
// NEG, NEGX, CMPM and the decimal instructions, run through the real run
// loop on a flat bus.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/cpu_regs.h"
#include "core/decode.h"
#include "core/ops_arith.h"
#include "support/flat_bus.h"

namespace {

constexpr uint32_t kPc = 0x1000, kSsp = 0x2000, kData = 0x3000, kSrc = 0x4000;
constexpr uint32_t kAddressErrorHandler = 0x5000;

void load_code(const std::vector<uint16_t>& code) {
    for (size_t i = 0; i < code.size(); ++i) flat_write_word(kPc + 2 * uint32_t(i), code[i]);
}

class ArithTest : public ::testing::Test {
protected:
    void SetUp() override { flat_bus_install(); }
};

// Register forms: D0 is the destination, D1 or an immediate the source, A0
// the address register. The CCR columns are the low byte of SR.
struct RegCase {
    const char* name;
    std::vector<uint16_t> code;
    uint32_t d0, d1, a0, ccr;
    uint32_t out_d0, out_a0, out_ccr, cycles;
};

const RegCase kRegCases[] = {
    // ADD, SUB: the whole CCR is replaced; .B and .W keep the rest of Dn.
    {"ADD.B #1,D0", {0xD03C, 0x0001}, 0x123456FF, 0, 0, 0x0A, 0x12345600, 0, 0x15, 8},
    {"ADD.W D1,D0 overflow", {0xD041}, 0xAAAA7FFF, 1, 0, 0x11, 0xAAAA8000, 0, 0x0A, 4},
    {"ADD.L D1,D0 carry to zero", {0xD081}, 0x80000000, 0x80000000, 0, 0, 0, 0, 0x17, 6},
    {"SUB.W D1,D0 overflow", {0x9041}, 0xABCD8000, 1, 0, 0x1D, 0xABCD7FFF, 0, 0x02, 4},
    {"SUB.L D1,D0 borrow", {0x9081}, 0, 1, 0, 0, 0xFFFFFFFF, 0, 0x19, 6},
    // CMP sets N Z V C and leaves X as it was, set or clear.
    {"CMP.L D1,D0 borrow, X clear", {0xB081}, 1, 2, 0, 0x00, 1, 0, 0x09, 6},
    {"CMP.W D1,D0 equal, X set", {0xB041}, 0xFFFF0005, 5, 0, 0x10, 0xFFFF0005, 0, 0x14, 4},
    // Address forms: 32 bits, word sources sign-extended, no flag changes
    // except for CMPA.
    {"CMPA.W #$FFFF,A0", {0xB0FC, 0xFFFF}, 0, 0, 0xFFFFFFFF, 0x10, 0, 0xFFFFFFFF, 0x14, 12},
    {"CMPA.L D1,A0 overflow", {0xB1C1}, 0, 1, 0x80000000, 0x10, 0, 0x80000000, 0x12, 6},
    {"ADDA.W D1,A0 adds -1", {0xD0C1}, 0, 0x0000FFFF, 0x00010000, 0x1F, 0, 0x0000FFFF, 0x1F, 8},
    {"SUBA.L D1,A0", {0x91C1}, 0, 1, 0, 0x00, 0, 0xFFFFFFFF, 0x00, 6},
    {"ADDQ.W #8,A0", {0x5048}, 0, 0, 0x0000FFFF, 0x1F, 0, 0x00010007, 0x1F, 8},
    {"SUBQ.W #1,A0", {0x5348}, 0, 0, 0, 0x00, 0, 0xFFFFFFFF, 0x00, 8},
    {"ADDQ.L #1,A0", {0x5288}, 0, 0, 0x7FFFFFFF, 0x00, 0, 0x80000000, 0x00, 8},
    {"ADDQ.B #1,D0", {0x5200}, 0xFF, 0, 0, 0x00, 0, 0, 0x15, 4},
    {"SUBQ.L #8,D0", {0x5180}, 8, 0, 0, 0x1B, 0, 0, 0x04, 8},
    // Immediates: a word for .B and .W, a long for .L.
    {"ADDI.L #1,D0", {0x0680, 0x0000, 0x0001}, 0x7FFFFFFF, 0, 0, 0, 0x80000000, 0, 0x0A, 16},
    {"SUBI.B #1,D0", {0x0400, 0x0001}, 0x12345600, 0, 0, 0, 0x123456FF, 0, 0x19, 8},
    {"CMPI.W #$1234,D0", {0x0C40, 0x1234}, 0x1234, 0, 0, 0x10, 0x1234, 0, 0x14, 14},
    {"CMPI.B #1,D0 overflow", {0x0C00, 0x0001}, 0x80, 0, 0, 0, 0x80, 0, 0x02, 8},
    // NEG: C = X = 1 unless the operand is 0; V only for the most negative.
    {"NEG.B $80", {0x4400}, 0x80, 0, 0, 0, 0x80, 0, 0x1B, 6},
    {"NEG.W 0", {0x4440}, 0x12340000, 0, 0, 0x11, 0x12340000, 0, 0x04, 6},
    {"NEG.L 1", {0x4480}, 1, 0, 0, 0, 0xFFFFFFFF, 0, 0x19, 6},
    // Extended: a zero result keeps Z, a nonzero one clears it.
    {"NEGX.B $FF, X, Z clear", {0x4000}, 0xFF, 0, 0, 0x10, 0, 0, 0x11, 6},
    {"NEGX.B $FF, X, Z set", {0x4000}, 0xFF, 0, 0, 0x14, 0, 0, 0x15, 6},
    {"NEGX.B $7F, X", {0x4000}, 0x7F, 0, 0, 0x10, 0x80, 0, 0x19, 6},
    {"NEGX.W $8000, no X", {0x4040}, 0x8000, 0, 0, 0x04, 0x8000, 0, 0x1B, 6},
    {"ADDX.L to zero, Z set", {0xD181}, 0xFFFFFFFF, 1, 0, 0x04, 0, 0, 0x15, 8},
    {"ADDX.L to zero, Z clear", {0xD181}, 0xFFFFFFFF, 1, 0, 0x00, 0, 0, 0x11, 8},
    {"ADDX.B with X", {0xD101}, 0x11111101, 1, 0, 0x14, 0x11111103, 0, 0x00, 4},
    {"SUBX.W with X", {0x9141}, 0x55550000, 0, 0, 0x14, 0x5555FFFF, 0, 0x19, 4},
    // Decimal: C and X from the decimal carry, sticky Z, N and V untouched.
    {"ABCD $45+$38", {0xC101}, 0x45, 0x38, 0, 0x0A, 0x83, 0, 0x0A, 6},
    {"ABCD $99+$01", {0xC101}, 0x99, 0x01, 0, 0x04, 0x00, 0, 0x15, 6},
    {"ABCD $09+$09+X half carry", {0xC101}, 0xFFFFFF09, 0x09, 0, 0x14, 0xFFFFFF19, 0, 0x00, 6},
    {"SBCD $00-$01", {0x8101}, 0x00, 0x01, 0, 0x04, 0x99, 0, 0x11, 6},
    {"SBCD $20-$08-X half borrow", {0x8101}, 0xAB000020, 0x08, 0, 0x1E, 0xAB000011, 0, 0x0A, 6},
    {"NBCD $01", {0x4800}, 0x01, 0, 0, 0x00, 0x99, 0, 0x11, 6},
    {"NBCD $00", {0x4800}, 0x00, 0, 0, 0x04, 0x00, 0, 0x04, 6},
};

TEST_F(ArithTest, RegisterForms) {
    for (const RegCase& c : kRegCases) {
        SCOPED_TRACE(c.name);
        cpu_test_reset(kPc, kSsp, 0x2700 | c.ccr);
        load_code(c.code);
        cpu_d(0) = c.d0;
        cpu_d(1) = c.d1;
        cpu_a(0) = c.a0;
        uint32_t d1 = c.d1;
        EXPECT_EQ(cpu_test_step(), c.cycles);
        EXPECT_EQ(cpu_d(0), c.out_d0);
        EXPECT_EQ(cpu_d(1), d1);
        EXPECT_EQ(cpu_a(0), c.out_a0);
        EXPECT_EQ(g_cpu_regs.sr, 0x2700 | c.out_ccr);
        EXPECT_EQ(g_cpu_regs.pc, kPc + 2 * uint32_t(c.code.size()));
    }
}

// Memory forms. Two operands are poked before and checked after (size 0
// means unused); A0, A1 and A7 are compared whole.
struct MemCell {
    uint32_t addr, size, value;  // size in bytes
};

struct MemCase {
    const char* name;
    std::vector<uint16_t> code;
    uint32_t d0, a0, a1, ccr;
    MemCell in[2];
    uint32_t out_a0, out_a1, out_a7, out_ccr;
    MemCell out[2];
    uint32_t cycles;
};

void poke(const MemCell& m) {
    if (m.size == 1) flat_write_byte(m.addr, m.value);
    if (m.size == 2) flat_write_word(m.addr, m.value);
    if (m.size == 4) flat_write_long(m.addr, m.value);
}

uint32_t peek(const MemCell& m) {
    return m.size == 1 ? flat_read_byte(m.addr) : m.size == 2 ? flat_read_word(m.addr) : flat_read_long(m.addr);
}

const MemCase kMemCases[] = {
    // -(Ay),-(Ax): source first; a byte step on A7 is 2.
    {"ABCD -(A7),-(A7)",
     {0xCF0F},
     0,
     0,
     0,
     0x00,
     {{kSsp - 2, 1, 0x15}, {kSsp - 4, 1, 0x27}},
     // clang-format off
     0, 0, kSsp - 4, 0x00, {{kSsp - 2, 1, 0x15}, {kSsp - 4, 1, 0x42}}, 18},
    {"SBCD -(A1),-(A0)", {0x8109}, 0, kData + 1, kSrc + 1, 0x04,
     {{kSrc, 1, 0x01}, {kData, 1, 0x00}},
     kData, kSrc, kSsp, 0x11, {{kData, 1, 0x99}, {kData + 1, 1, 0x00}}, 18},
    {"ADDX.L -(A1),-(A0)", {0xD189}, 0, kData + 8, kSrc + 8, 0x00,
     {{kSrc + 4, 4, 1}, {kData + 4, 4, 0xFFFFFFFF}},
     kData + 4, kSrc + 4, kSsp, 0x11, {{kData + 4, 4, 0}, {kData, 4, 0}}, 30},
    {"SUBX.W -(A7),-(A7)", {0x9F4F}, 0, 0, 0, 0x14,
     // clang-format on
     {{kSsp - 2, 2, 1}, {kSsp - 4, 2, 0}},
     0,
     0,
     kSsp - 4,
     0x19,
     {{kSsp - 4, 2, 0xFFFE}, {kSsp - 2, 2, 1}},
     18},
    // CMPM (Ay)+,(Ax)+: X kept; the same register reads successive operands.
    {"CMPM.B (A7)+,(A7)+",
     {0xBF0F},
     0,
     0,
     0,
     0x10,
     {{kSsp, 1, 0x01}, {kSsp + 2, 1, 0x01}},
     // clang-format off
     0, 0, kSsp + 4, 0x14, {{kSsp, 1, 0x01}, {0, 0, 0}}, 12},
    {"CMPM.W (A0)+,(A1)+ 24-bit bus", {0xB348}, 0, 0xFF000000 | kData, kSrc, 0x00,
     {{kData, 2, 1}, {kSrc, 2, 0}},
     0xFF000000 | (kData + 2), kSrc + 2, kSsp, 0x09, {{0, 0, 0}, {0, 0, 0}}, 12},
    {"CMPM.L (A0)+,(A0)+", {0xB188}, 0, kData, 0, 0x00,
     // clang-format on
     {{kData, 4, 0x10000000}, {kData + 4, 4, 0x0FFFFFFF}},
     kData + 8,
     0,
     kSsp,
     0x09,
     {{0, 0, 0}, {0, 0, 0}},
     20},
    // Read-modify-write through the EA routines: one An update, at the
    // address that was read.
    {"ADD.W D0,-(A1)",
     {0xD161},
     0x1111,
     0,
     kData + 2,
     0x00,
     {{kData, 2, 0x1234}, {0, 0, 0}},
     // clang-format off
     0, kData, kSsp, 0x00, {{kData, 2, 0x2345}, {kData + 2, 2, 0}}, 14},
    {"ADDQ.B #1,(A7)+", {0x521F}, 0, 0, 0, 0x00,
     {{kSsp, 1, 0xFF}, {0, 0, 0}},
     0, 0, kSsp + 2, 0x15, {{kSsp, 1, 0x00}, {0, 0, 0}}, 12},
    {"ADDI.W #$0100,(4,A0)", {0x0668, 0x0100, 0x0004}, 0, kData, 0, 0x00,
     {{kData + 4, 2, 0xFF00}, {0, 0, 0}},
     kData, 0, kSsp, 0x15, {{kData + 4, 2, 0x0000}, {0, 0, 0}}, 20},
    {"CMPI.L #1,(A0)+", {0x0C98, 0x0000, 0x0001}, 0, kData, 0, 0x10,
     {{kData, 4, 1}, {0, 0, 0}},
     kData + 4, 0, kSsp, 0x14, {{kData, 4, 1}, {0, 0, 0}}, 20},
    {"SUB.L D0,(A0)", {0x9190}, 1, kData, 0, 0x00,
     {{kData, 4, 0}, {0, 0, 0}},
     kData, 0, kSsp, 0x19, {{kData, 4, 0xFFFFFFFF}, {0, 0, 0}}, 20},
    {"NEG.L (A0)", {0x4490}, 0, kData, 0, 0x00,
     {{kData, 4, 0x80000000}, {0, 0, 0}},
     kData, 0, kSsp, 0x1B, {{kData, 4, 0x80000000}, {0, 0, 0}}, 12},
    {"NBCD (A0)", {0x4810}, 0, kData, 0, 0x10,
     {{kData, 1, 0x00}, {0, 0, 0}},
     kData, 0, kSsp, 0x11, {{kData, 1, 0x99}, {0, 0, 0}}, 12},
    {"ADD.L (A0),D0", {0xD090}, 0x7FFFFFFF, kData, 0, 0x00,
     // clang-format on
     {{kData, 4, 1}, {0, 0, 0}},
     kData,
     0,
     kSsp,
     0x0A,
     {{0, 0, 0}, {0, 0, 0}},
     14},
};

TEST_F(ArithTest, MemoryForms) {
    for (const MemCase& c : kMemCases) {
        SCOPED_TRACE(c.name);
        flat_bus_install();
        cpu_test_reset(kPc, kSsp, 0x2700 | c.ccr);
        load_code(c.code);
        cpu_d(0) = c.d0;
        cpu_a(0) = c.a0;
        cpu_a(1) = c.a1;
        for (const MemCell& m : c.in) poke(m);
        EXPECT_EQ(cpu_test_step(), c.cycles);
        EXPECT_EQ(cpu_a(0), c.out_a0);
        EXPECT_EQ(cpu_a(1), c.out_a1);
        EXPECT_EQ(cpu_sp(), c.out_a7);
        EXPECT_EQ(g_cpu_regs.sr, 0x2700 | c.out_ccr);
        EXPECT_EQ(g_cpu_regs.pc, kPc + 2 * uint32_t(c.code.size()));
        for (const MemCell& m : c.out) {
            if (m.size) { EXPECT_EQ(peek(m), m.value) << "at " << std::hex << m.addr; }
        }
    }
}

// An odd word address in the inline accesses raises the address error. A
// register of -(An) keeps its decrement; CMPM advances only past reads that
// succeeded.
struct FaultCase {
    const char* name;
    uint16_t opcode;
    uint32_t a0, a1;
    uint32_t out_a0, out_a1, fault_addr;
};

const FaultCase kFaultCases[] = {
    {"ADDX.W -(A1),-(A0), odd A0", 0xD149, kData + 3, kSrc + 2, kData + 1, kSrc, kData + 1},
    {"SUBX.W -(A1),-(A0), odd A1", 0x9149, kData + 2, kSrc + 3, kData + 2, kSrc + 1, kSrc + 1},
    {"CMPM.W (A0)+,(A1)+, odd A1", 0xB348, kData, kSrc + 1, kData + 2, kSrc + 1, kSrc + 1},
};

TEST_F(ArithTest, AddressErrors) {
    for (const FaultCase& c : kFaultCases) {
        SCOPED_TRACE(c.name);
        flat_bus_install();
        flat_write_long(0x0C, kAddressErrorHandler);
        flat_write_long(kData, 0x11112222);
        cpu_test_reset(kPc, kSsp, 0x2700);
        flat_write_word(kPc, c.opcode);
        cpu_a(0) = c.a0;
        cpu_a(1) = c.a1;
        cpu_test_step();
        EXPECT_EQ(g_cpu_regs.pc, kAddressErrorHandler);
        EXPECT_EQ(cpu_a(0), c.out_a0);
        EXPECT_EQ(cpu_a(1), c.out_a1);
        EXPECT_EQ(g_cpu_regs.fault_addr, c.fault_addr);
        EXPECT_EQ(flat_read_long(kData), 0x11112222u);
    }
}

// Operand forms the family must leave to the illegal-instruction record, and
// neighbours that share their opcode lines.
TEST(ArithDecode, OpcodeAssignment) {
    flat_bus_install();
    const struct {
        uint16_t opcode;
        OpHandler exec;  // nullptr: the illegal-instruction record
    } cases[] = {
        {0xD008, nullptr},             // ADD.B A0,D0
        {0xB008, nullptr},             // CMP.B A0,D0
        {0x5208, nullptr},             // ADDQ.B #1,A0
        {0x0C3C, nullptr},             // CMPI.B #imm,#imm
        {0x443C, nullptr},             // NEG.B #imm
        {0xD048, cpu_op_add_ea_dn_w},  // ADD.W A0,D0
        {0xD100, cpu_op_addx_rr_b},
        {0xD108, cpu_op_addx_mm_b},
        {0xD110, cpu_op_add_dn_ea_b},
        {0xD1C8, cpu_op_adda_l},
        {0xB108, cpu_op_cmpm_b},
        {0x5148, cpu_op_subq_an},  // SUBQ.W #8,A0
        {0x8108, cpu_op_sbcd_mm},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.opcode);
        const DecodeRecord* rec = g_opcode_table[c.opcode];
        if (c.exec) EXPECT_EQ(rec->exec, c.exec);
        else EXPECT_EQ(rec, cpu_illegal_record());
    }
    EXPECT_EQ(g_opcode_table[0x5148]->value, 8);
}

}  // namespace
