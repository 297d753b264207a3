#include <gtest/gtest.h>

#include "core/conditions.h"
#include "core/decode.h"
#include "core/flags.h"
#include "core/ops_flow.h"
#include "core/ops_shift.h"
#include "support/flat_bus.h"

namespace {

class DecodeTables : public ::testing::Test {
protected:
    void SetUp() override { flat_bus_install(); }
};

TEST_F(DecodeTables, UnassignedOpcodesShareTheIllegalRecord) {
    int illegal = 0;
    for (uint32_t op = 0; op < 65536; op++) illegal += g_opcode_table[op] == cpu_illegal_record();
    EXPECT_EQ(illegal, 19205);
    EXPECT_EQ(g_decode_pool_next, 1u + 46331u);
    for (uint32_t op : {0x4AFCu, 0x4E74u, 0x7100u, 0x0008u, 0xA000u, 0xF000u, 0xFDFFu})
        EXPECT_EQ(g_opcode_table[op], cpu_illegal_record()) << std::hex << op;
    EXPECT_NE(g_opcode_table[0x48BA], cpu_illegal_record());  // MOVEM.W regs,(d16,PC)
}

TEST_F(DecodeTables, RecordsHoldTheirPredecodedValues) {
    struct Case {
        uint16_t opcode;
        uint32_t cycles;
    };
    const Case cases[] = {
        {0xE000, 22},  // ASR.B #8,D0
        {0xE028, 6},   // LSR.B D0,D0
        {0xE1D0, 12},  // ASL (A0)
        {0x3360, 18},  // MOVE.W -(A0),(d16,A1)
        {0xD090, 14},  // ADD.L (A0),D0
        {0x0C40, 14},  // CMPI.W #x,D0
        {0x5288, 8},   // ADDQ.L #1,A0
        {0x4EF9, 12},  // JMP abs.L
    };
    for (const Case& c : cases) EXPECT_EQ(g_opcode_table[c.opcode]->cycles, c.cycles) << std::hex << c.opcode;

    EXPECT_EQ(g_opcode_table[0xE000]->value, 8);
    EXPECT_EQ(g_opcode_table[0x7080]->value, -128);
    EXPECT_EQ(g_opcode_table[0x7080]->aux, 0x08u);
    EXPECT_EQ(g_opcode_table[0x7000]->aux, 0x04u);
    EXPECT_EQ(g_opcode_table[0x6000]->exec, cpu_op_bra_w);
    EXPECT_EQ(g_opcode_table[0x6000]->value, 0);
    EXPECT_EQ(g_opcode_table[0x60FF]->exec, cpu_op_bra_b);
    EXPECT_EQ(g_opcode_table[0x60FF]->value, -1);
    EXPECT_EQ(g_opcode_table[0x6100]->exec, cpu_op_bsr_w);
    EXPECT_EQ(g_opcode_table[0x50C8]->exec, cpu_op_dbcc);
    EXPECT_EQ(g_opcode_table[0x50C8]->cond, cpu_cc_t);
    EXPECT_EQ(g_opcode_table[0x51C8]->exec, cpu_op_dbf);
}

// The flag rules give the CCR's bits directly: X with C, the sign at the
// width as N, bits above the width ignored.
TEST_F(DecodeTables, FlagRulesGiveCcrBits) {
    struct Case {
        uint32_t got, want;
        const char* what;
    };
    const Case cases[] = {
        {ccr_add<32>(0x80000000, 0x80000000, 0), 0x17, "carry, overflow and zero: X, C, V, Z"},
        {ccr_add<16>(0x7FFF, 1, 0x8000), 0x0A, "signed overflow into the sign: N, V"},
        {ccr_add<8>(0xFF, 0, 0x100, 1), 0x15, "carry in: X, C, Z at the width"},
        {ccr_sub<8>(0x00, 0x01, 0xFF), 0x19, "borrow: X, C, N"},
        {ccr_sub<32>(5, 5, 0), 0x04, "equal: Z only"},
        {ccr_sub<16>(0x8000, 1, 0x7FFF), 0x02, "signed overflow out of the sign: V"},
        {ccr_nz<16>(0x18000), 0x08, "sign at the width"},
        {ccr_nz<8>(0x100), 0x04, "zero at the width"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.want) << c.what;
}

}  // namespace
