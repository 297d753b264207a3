// BTST, BCHG, BCLR, BSET with the bit number in Dn or in an extension word,
// on a data register (bit number modulo 32) or a memory byte (modulo 8).

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/cpu_regs.h"
#include "support/flat_bus.h"

namespace {

constexpr uint32_t kPc = 0x1000, kData = 0x3000;
// X N V C set before every case: a bit instruction changes only Z.
constexpr uint32_t kFlagsIn = 0x1B;

struct BitCase {
    const char* name;
    std::vector<uint16_t> code;
    uint32_t d0, d1, byte;  // byte: the memory byte at kData (A0 = kData)
    uint32_t out_d0, out_byte;
    bool z;
    uint32_t length, cycles;
};

const BitCase kCases[] = {
    // Dn operand: D1 = 33 is bit 1; $FFFFFFE0 is bit 0.
    {"BTST D1,D0 (33)", {0x0300}, 0x00000002, 33, 0, 0x00000002, 0, false, 2, 6},
    {"BTST D1,D0 ($FFFFFFE0)", {0x0300}, 0x00000002, 0xFFFFFFE0, 0, 0x00000002, 0, true, 2, 6},
    {"BCLR D1,D0 bit 31", {0x0380}, 0x80000001, 31, 0, 0x00000001, 0, false, 2, 10},
    {"BSET D1,D0 bit 16", {0x03C0}, 0, 16, 0, 0x00010000, 0, true, 2, 8},
    {"BCHG D1,D0 bit 40 is bit 8", {0x0340}, 0x00000100, 40, 0, 0, 0, false, 2, 8},
    // Static forms on Dn: the word AND 31.
    {"BCHG #$FF07,D0", {0x0840, 0xFF07}, 0, 0, 0, 0x00000080, 0, true, 4, 12},
    {"BCLR #3,D0 set", {0x0880, 0x0003}, 8, 0, 0, 0, 0, false, 4, 14},
    {"BCLR #3,D0 clear", {0x0880, 0x0003}, 0, 0, 0, 0, 0, true, 4, 14},
    {"BTST #31,D0", {0x0800, 0x001F}, 0x80000000, 0, 0, 0x80000000, 0, false, 4, 10},
    {"BSET #$21,D0", {0x08C0, 0x0021}, 0, 0, 0, 0x00000002, 0, true, 4, 12},
    // Memory byte: D1 = 9 is bit 1.
    {"BSET D1,(A0)", {0x03D0}, 0, 9, 0x00, 0, 0x02, true, 2, 12},
    {"BTST D1,(A0)", {0x0310}, 0, 7, 0x80, 0, 0x80, false, 2, 8},
    {"BCLR D1,(A0) clear bit", {0x0390}, 0, 4, 0xEF, 0, 0xEF, true, 2, 12},
    {"BCHG #$0F,(A0)", {0x0850, 0x000F}, 0, 0, 0x80, 0, 0x00, false, 4, 16},
    // The bit-number word precedes the displacement; both are consumed.
    {"BTST #2,(16,A0)", {0x0828, 0x0002, 0x0010}, 0, 0, 0, 0, 0, true, 6, 16},
    {"BSET #0,$3000.W", {0x08F8, 0x0000, 0x3000}, 0, 0, 0xFE, 0, 0xFF, true, 6, 20},
    // BTST Dn,#imm tests the low byte of the immediate word.
    {"BTST D1,#$01F0", {0x033C, 0x01F0}, 0, 12, 0, 0, 0, false, 4, 8},
    {"BTST D1,#$01F0 bit 0", {0x033C, 0x01F0}, 0, 8, 0, 0, 0, true, 4, 8},
};

TEST(BitTest, Cases) {
    flat_bus_install();
    for (const BitCase& c : kCases) {
        SCOPED_TRACE(c.name);
        cpu_test_reset(kPc, 0x2000, 0x2700 | kFlagsIn);
        for (size_t i = 0; i < c.code.size(); ++i) flat_write_word(kPc + 2 * uint32_t(i), c.code[i]);
        cpu_d(0) = c.d0;
        cpu_d(1) = c.d1;
        cpu_a(0) = kData;
        flat_write_byte(kData, c.byte);
        flat_write_byte(kData + 16, 0xFB);  // for (16,A0): bit 2 clear
        uint32_t cycles = cpu_test_step();
        EXPECT_EQ(cpu_d(0), c.out_d0);
        EXPECT_EQ(cpu_d(1), c.d1);  // the bit number register never changes
        EXPECT_EQ(flat_read_byte(kData), c.out_byte);
        EXPECT_EQ(cpu_a(0), kData);
        EXPECT_EQ(g_cpu_regs.sr, 0x2700 | kFlagsIn | (c.z ? 0x04u : 0));
        EXPECT_EQ(g_cpu_regs.pc, kPc + c.length);
        EXPECT_EQ(cycles, c.cycles);
    }
}

}  // namespace
