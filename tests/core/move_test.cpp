// Data-movement instructions run through the real run loop on a flat bus.

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <utility>

#include "core/cpu_regs.h"
#include "support/flat_bus.h"

namespace {

constexpr uint32_t kPc = 0x1000, kSsp = 0x2000, kUsp = 0x5000, kData = 0x3000;
constexpr uint32_t kHandler = 0x4000, kAddressErrorHandler = 0x4100;

class MoveTest : public ::testing::Test {
protected:
    void SetUp() override {
        flat_bus_install();
        cpu_test_reset(kPc, kSsp);
        flat_write_long(0x0C, kAddressErrorHandler);
        flat_write_long(0x20, kHandler);  // privilege violation
    }
    void code(std::initializer_list<uint16_t> words) { flat_write_words(kPc, words); }
};

// N and Z at the operation's size, V and C cleared, X kept; the upper bits
// of a byte or word destination survive.
TEST_F(MoveTest, FlagsAndSizes) {
    struct Case {
        const char* name;
        uint16_t opcode;
        uint32_t d0, d1, ccr_in;
        uint32_t out_d1, ccr_out, cycles;
    };
    const Case cases[] = {
        {"MOVE.B D0,D1 zero byte", 0x1200, 0xFFFFFF00, 0xAAAAAAAA, 0x1F, 0xAAAAAA00, 0x14, 4},
        {"MOVE.B D0,D1 negative", 0x1200, 0x00000080, 0x00000000, 0x03, 0x00000080, 0x08, 4},
        {"MOVE.W D0,D1 negative", 0x3200, 0x00018000, 0x12340000, 0x10, 0x12348000, 0x18, 4},
        {"MOVE.L D0,D1 zero", 0x2200, 0x00000000, 0xFFFFFFFF, 0x0B, 0x00000000, 0x04, 4},
        {"MOVE.L D0,D1 negative", 0x2200, 0x80000000, 0x00000000, 0x04, 0x80000000, 0x08, 4},
        {"MOVEQ #-1,D1", 0x72FF, 0, 0, 0x17, 0xFFFFFFFF, 0x18, 4},
        {"MOVEQ #0,D1", 0x7200, 0, 0x12345678, 0x0B, 0x00000000, 0x04, 4},
        {"MOVEQ #$7F,D1", 0x727F, 0, 0, 0x1F, 0x0000007F, 0x10, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cpu_test_reset(kPc, kSsp, 0x2700 | c.ccr_in);
        code({c.opcode});
        cpu_d(0) = c.d0;
        cpu_d(1) = c.d1;
        EXPECT_EQ(cpu_test_step(), c.cycles);
        EXPECT_EQ(cpu_d(1), c.out_d1);
        EXPECT_EQ(g_cpu_regs.sr, 0x2700 | c.ccr_out);
        EXPECT_EQ(g_cpu_regs.pc, kPc + 2);
    }
}

TEST_F(MoveTest, ImmediateByteKeepsUpperBits) {
    cpu_test_reset(kPc, kSsp, 0x2710);
    code({0x103C, 0x0000});  // MOVE.B #0,D0
    cpu_d(0) = 0x12345678;
    cpu_test_step();
    EXPECT_EQ(cpu_d(0), 0x12345600u);
    EXPECT_EQ(g_cpu_regs.sr, 0x2714u);
    EXPECT_EQ(g_cpu_regs.pc, kPc + 4);
}

// The bus has 24 address lines: a PC with a high byte runs the code below
// 16 MB, and a long immediate at the top of the space takes its low word
// from address 0, whether the PC wraps at 24 or at 32 bits.
TEST_F(MoveTest, FetchesFollowTheTwentyFourBitBus) {
    const struct {
        uint32_t pc, next_pc;
    } cases[] = {{0xFFFFFC, 0x1000002}, {0xFFFFFFFC, 0x00000002}, {0x7F0FFFFC, 0x7F100002}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.pc);
        cpu_test_reset(c.pc, kSsp);
        flat_write_words(c.pc, {0x203C, 0x1234});  // MOVE.L #$1234xxxx,D0
        flat_write_word(c.next_pc - 2, 0x5678);
        cpu_test_step();
        EXPECT_EQ(cpu_d(0), 0x12345678u);
        EXPECT_EQ(g_cpu_regs.pc, c.next_pc);
    }
}

// The source's extension words come before the destination's.
TEST_F(MoveTest, ExtensionWordOrder) {
    code({0x2368, 0x0004, 0x0008});  // MOVE.L (4,A0),(8,A1)
    cpu_a(0) = kData;
    cpu_a(1) = kData + 0x100;
    flat_write_long(kData + 4, 0x80000001);
    EXPECT_EQ(cpu_test_step(), 28u);
    EXPECT_EQ(flat_read_long(kData + 0x108), 0x80000001u);
    EXPECT_EQ(g_cpu_regs.sr, 0x2708u);
    EXPECT_EQ(g_cpu_regs.pc, kPc + 6);

    cpu_test_reset(kPc);
    code({0x3360, 0x0010});  // MOVE.W -(A0),(16,A1)
    cpu_a(0) = kData + 2;
    cpu_a(1) = kData + 0x200;
    flat_write_word(kData, 0x1234);
    EXPECT_EQ(cpu_test_step(), 18u);
    EXPECT_EQ(cpu_a(0), kData);
    EXPECT_EQ(flat_read_word(kData + 0x210), 0x1234u);
}

// A byte through (A7)+ keeps the stack word-aligned; other An step by 1.
TEST_F(MoveTest, BytePostincrementStep) {
    const std::pair<uint16_t, unsigned> cases[] = {{0x1EC0, 7}, {0x1CC0, 6}};  // MOVE.B D0,(An)+
    for (auto [opcode, n] : cases) {
        SCOPED_TRACE(n);
        cpu_test_reset(kPc);
        code({opcode});
        cpu_d(0) = 0xAB;
        cpu_a(n) = kData;
        cpu_test_step();
        EXPECT_EQ(flat_read_byte(kData), 0xABu);
        EXPECT_EQ(cpu_a(n), kData + (n == 7 ? 2 : 1));
    }
}

TEST_F(MoveTest, MoveaSignExtendsWordAndKeepsFlags) {
    cpu_test_reset(kPc, kSsp, 0x2705);
    code({0x3240});  // MOVEA.W D0,A1
    cpu_d(0) = 0x00018000;
    EXPECT_EQ(cpu_test_step(), 4u);
    EXPECT_EQ(cpu_a(1), 0xFFFF8000u);
    EXPECT_EQ(g_cpu_regs.sr, 0x2705u);
}

TEST_F(MoveTest, StatusRegisterMoves) {
    code({0x44FC, 0x00FF});  // MOVE #$FF,CCR
    EXPECT_EQ(cpu_test_step(), 16u);
    EXPECT_EQ(g_cpu_regs.sr, 0x271Fu);

    cpu_test_reset(kPc, kSsp, 0x2715);
    code({0x40C0});  // MOVE SR,D0
    cpu_d(0) = 0xFFFF0000;
    EXPECT_EQ(cpu_test_step(), 6u);
    EXPECT_EQ(cpu_d(0), 0xFFFF2715u);

    // Leaving supervisor mode switches to the user stack.
    cpu_test_reset(kPc, kSsp);
    g_cpu_regs.usp_save = kUsp;
    code({0x46FC, 0x0015});  // MOVE #$0015,SR
    cpu_test_step();
    EXPECT_EQ(g_cpu_regs.sr, 0x0015u);
    EXPECT_EQ(cpu_sp(), kUsp);
    EXPECT_EQ(g_cpu_regs.pc, kPc + 4);
}

TEST_F(MoveTest, MoveUspInSupervisorMode) {
    code({0x4E60, 0x4E69});  // MOVE A0,USP; MOVE USP,A1
    cpu_a(0) = 0x12345678;
    EXPECT_EQ(cpu_test_step(), 4u);
    EXPECT_EQ(g_cpu_regs.usp_save, 0x12345678u);
    EXPECT_EQ(cpu_sp(), kSsp);
    cpu_test_step();
    EXPECT_EQ(cpu_a(1), 0x12345678u);
}

// In user mode: privilege violation with the opcode's address stacked, no
// operand read, no register changed.
TEST_F(MoveTest, PrivilegedInUserMode) {
    const std::pair<const char*, uint16_t> cases[] = {
        {"MOVE (A0),SR", 0x46D0}, {"MOVE A0,USP", 0x4E60}, {"MOVE USP,A1", 0x4E69}};
    for (auto [name, opcode] : cases) {
        SCOPED_TRACE(name);
        cpu_test_reset(kPc, kSsp, 0x0000);
        cpu_sp() = kUsp;
        code({opcode});
        cpu_a(0) = kData + 1;  // an operand read would fault on this address
        cpu_a(1) = 0xA1A1A1A1;
        cpu_test_step();
        EXPECT_EQ(g_cpu_regs.pc, kHandler);
        EXPECT_EQ(g_cpu_regs.usp_save, kUsp);
        EXPECT_EQ(cpu_a(1), 0xA1A1A1A1u);
        EXPECT_EQ(cpu_sp(), kSsp - 6);
        EXPECT_EQ(flat_read_long(kSsp - 4), kPc);
    }
}

TEST_F(MoveTest, MovemPredecrement) {
    // MOVEM.L D0/A7,-(A7): A7 is stored with its value before the instruction.
    code({0x48E7, 0x8001});
    cpu_d(0) = 0x11111111;
    EXPECT_EQ(cpu_test_step(), 40u);
    EXPECT_EQ(flat_read_long(kSsp - 4), kSsp);
    EXPECT_EQ(flat_read_long(kSsp - 8), 0x11111111u);
    EXPECT_EQ(cpu_sp(), kSsp - 8);
    EXPECT_EQ(g_cpu_regs.pc, kPc + 4);

    // MOVEM.W D0-D1/A0,-(A0): low words, D0 ends at the lowest address.
    cpu_test_reset(kPc);
    code({0x48A0, 0xC080});
    cpu_d(0) = 0xAAAA1111;
    cpu_d(1) = 0xBBBB2222;
    cpu_a(0) = kData + 0x10;
    EXPECT_EQ(cpu_test_step(), 16u);
    EXPECT_EQ(flat_read_word(kData + 0x0A), 0x1111u);
    EXPECT_EQ(flat_read_word(kData + 0x0C), 0x2222u);
    EXPECT_EQ(flat_read_word(kData + 0x0E), kData + 0x10);
    EXPECT_EQ(cpu_a(0), kData + 0x0A);

    // Empty mask: nothing moves.
    cpu_test_reset(kPc);
    code({0x48A7, 0x0000});
    flat_write_long(kSsp - 4, 0x5A5A5A5A);
    EXPECT_EQ(cpu_test_step(), 16u);
    EXPECT_EQ(cpu_sp(), kSsp);
    EXPECT_EQ(flat_read_long(kSsp - 4), 0x5A5A5A5Au);
}

TEST_F(MoveTest, MovemPostincrementAndControl) {
    // MOVEM.W (A0)+,D0/A0: words sign-extended; A0 ends past the last word.
    code({0x4C98, 0x0101});
    cpu_a(0) = kData;
    cpu_d(0) = 0x12345678;
    flat_write_words(kData, {0x8001, 0x1234});
    EXPECT_EQ(cpu_test_step(), 40u);
    EXPECT_EQ(cpu_d(0), 0xFFFF8001u);
    EXPECT_EQ(cpu_a(0), kData + 4);

    // MOVEM.L (16,A0),D0-D1/A0: mask before displacement; A0 keeps the loaded value.
    cpu_test_reset(kPc);
    code({0x4CE8, 0x0103, 0x0010});
    cpu_a(0) = kData;
    flat_write_long(kData + 0x10, 0xD0D0D0D0);
    flat_write_long(kData + 0x14, 0xD1D1D1D1);
    flat_write_long(kData + 0x18, 0xA0A0A0A0);
    EXPECT_EQ(cpu_test_step(), 36u);
    EXPECT_EQ(cpu_d(0), 0xD0D0D0D0u);
    EXPECT_EQ(cpu_d(1), 0xD1D1D1D1u);
    EXPECT_EQ(cpu_a(0), 0xA0A0A0A0u);
    EXPECT_EQ(g_cpu_regs.pc, kPc + 6);

    // MOVEM.L D0/A6,$3000.W: D0 first, ascending.
    cpu_test_reset(kPc);
    code({0x48F8, 0x4001, 0x3000});
    cpu_d(0) = 0x01020304;
    cpu_a(6) = 0x05060708;
    EXPECT_EQ(cpu_test_step(), 36u);
    EXPECT_EQ(flat_read_long(kData), 0x01020304u);
    EXPECT_EQ(flat_read_long(kData + 4), 0x05060708u);
    EXPECT_EQ(g_cpu_regs.pc, kPc + 6);
}

TEST_F(MoveTest, MovemOddAddressLeavesAnUnchanged) {
    code({0x4CD8, 0x0001});  // MOVEM.L (A0)+,D0
    cpu_a(0) = kData + 1;
    cpu_test_step();
    EXPECT_EQ(g_cpu_regs.pc, kAddressErrorHandler);
    EXPECT_EQ(cpu_a(0), kData + 1);
}

// MOVEP uses every other byte, without an odd-address check.
TEST_F(MoveTest, Movep) {
    struct Case {
        const char* name;
        uint16_t opcode, disp;
        uint32_t a0, d1, out_d1, cycles;
        uint32_t first;  // address of the first byte moved
    };
    const Case cases[] = {
        {"MOVEP.L D1,(0,A0) odd", 0x03C8, 0x0000, kData + 1, 0x11223344, 0x11223344, 20, kData + 1},
        {"MOVEP.W D1,(2,A0)", 0x0388, 0x0002, kData, 0xAAAA5566, 0xAAAA5566, 16, kData + 2},
        {"MOVEP.W (2,A0),D1", 0x0308, 0x0002, kData, 0xAAAAAAAA, 0xAAAA0204, 16, kData + 2},
        {"MOVEP.L (-2,A0),D1", 0x0348, 0xFFFE, kData + 3, 0, 0x01030507, 20, kData + 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cpu_test_reset(kPc);
        code({c.opcode, c.disp});
        for (uint32_t i = 0; i < 16; i++) flat_write_byte(kData + i, i);
        cpu_a(0) = c.a0;
        cpu_d(1) = c.d1;
        EXPECT_EQ(cpu_test_step(), c.cycles);
        EXPECT_EQ(cpu_d(1), c.out_d1);
        EXPECT_EQ(g_cpu_regs.pc, kPc + 4);
        if (c.opcode & 0x80) {
            const uint32_t n = (c.opcode & 0x40) ? 4 : 2;
            for (uint32_t i = 0; i < 16; i++) {
                const uint32_t a = kData + i, k = (a - c.first) / 2;
                const bool moved = a >= c.first && (a - c.first) % 2 == 0 && k < n;
                const uint32_t want = moved ? (c.d1 >> (8 * (n - 1 - k))) & 0xFF : i;
                EXPECT_EQ(flat_read_byte(a), want) << "byte " << i;
            }
        }
    }
}

}  // namespace
