// Condition tests, branches, DBcc, JMP, JSR and the returns, run through the
// real run loop on a flat bus.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/conditions.h"
#include "core/cpu_regs.h"
#include "core/trace.h"
#include "support/flat_bus.h"

namespace {

constexpr uint32_t kPc = 0x1000, kSsp = 0x2000, kUsp = 0x1800, kHandler = 0x4000;

void load_code(uint32_t at, const std::vector<uint16_t>& code) {
    for (size_t i = 0; i < code.size(); ++i) flat_write_word(at + 2 * uint32_t(i), code[i]);
}

class FlowTest : public ::testing::Test {
protected:
    void SetUp() override {
        flat_bus_install();
        cpu_test_reset(kPc, kSsp, 0x2700);
        for (uint32_t v = 0x08; v < 0x100; v += 4) flat_write_long(v, kHandler);
    }
    void run(const std::vector<uint16_t>& code, uint32_t sr) {
        load_code(kPc, code);
        g_cpu_regs.sr = sr;
        cycles_ = cpu_test_step();
    }
    uint32_t cycles_ = 0;
};

// Truth of the sixteen conditions (T F HI LS CC CS NE EQ VC VS PL MI GE LT GT LE).
TEST(ConditionTest, TruthByCcr) {
    struct Case {
        uint32_t ccr;
        const char* truth;
    };
    const Case cases[] = {
        {0x00, "10101010101010"}, {0x0A, "10101001011010"},  // N V: GE, GT true
        {0x08, "10101010010101"},                            // N: LT, LE, MI true
        {0x04, "01100110101001"},                            // Z: EQ, LS, LE true
        {0x11, "01011010101010"},                            // X C: X ignored
        {0x02, "10101001100101"},                            // V
        {0x0F, "01010101011001"},
    };
    for (const auto& c : cases) {
        g_cpu_regs.sr = 0x2700 | c.ccr;
        EXPECT_EQ(g_cc_routines[0](), 1u);
        EXPECT_EQ(g_cc_routines[1](), 0u);
        for (int cc = 2; cc < 16; ++cc)
            EXPECT_EQ(g_cc_routines[cc]() != 0, c.truth[cc - 2] == '1') << "ccr " << c.ccr << " cc " << cc;
    }
    g_cpu_regs.sr = 0x2704;
    EXPECT_EQ(cpu_cc_eq(), 4u);  // not reduced to 1
    EXPECT_EQ(cpu_cc_ls(), 4u);
}

// The byte and word branches test each condition as the routines do.
TEST_F(FlowTest, ConditionalBranchesFollowTheRoutines) {
    for (uint32_t cc = 2; cc < 16; ++cc)
        for (uint32_t ccr = 0; ccr < 16; ++ccr) {
            g_cpu_regs.sr = 0x2700 | ccr;
            bool taken = g_cc_routines[cc]() != 0;

            cpu_test_reset(kPc);
            run({uint16_t(0x6000 | cc << 8 | 0x10)}, 0x2700 | ccr);
            EXPECT_EQ(g_cpu_regs.pc, taken ? kPc + 0x12 : kPc + 2) << cc << " " << ccr;
            EXPECT_EQ(cycles_, 8u);

            cpu_test_reset(kPc);
            run({uint16_t(0x6000 | cc << 8), 0xFFF0}, 0x2700 | ccr);
            EXPECT_EQ(g_cpu_regs.pc, taken ? kPc - 0x0E : kPc + 4) << cc << " " << ccr;
            EXPECT_EQ(cycles_, taken ? 12u : 10u);
        }
}

TEST_F(FlowTest, BranchForms) {
    struct Case {
        const char* name;
        std::vector<uint16_t> code;
        uint32_t pc, cycles, pushed;
    };
    const Case cases[] = {
        {"BRA.B *", {0x60FE}, kPc, 8, 0},
        {"BRA.W +$100", {0x6000, 0x0100}, kPc + 0x102, 12, 0},
        {"BRA.W -2", {0x6000, 0xFFFE}, kPc, 12, 0},
        {"BSR.B +4", {0x6104}, kPc + 6, 8, kPc + 2},
        {"BSR.W -$800", {0x6100, 0xF800}, kPc + 2 - 0x800, 8, kPc + 4},
    };
    for (const auto& c : cases) {
        cpu_test_reset(kPc);
        run(c.code, 0x2700);
        EXPECT_EQ(g_cpu_regs.pc, c.pc) << c.name;
        EXPECT_EQ(cycles_, c.cycles) << c.name;
        if (c.pushed) {
            EXPECT_EQ(cpu_sp(), kSsp - 4) << c.name;
            EXPECT_EQ(flat_read_long(kSsp - 4), c.pushed) << c.name;
        } else {
            EXPECT_EQ(cpu_sp(), kSsp) << c.name;
        }
    }
}

// An odd target raises an address error on fetch with the address after
// the opcode stacked; work done before the test stays.
TEST_F(FlowTest, OddBranchTargetRaisesAddressError) {
    struct Case {
        const char* name;
        std::vector<uint16_t> code;
        uint32_t sr, d0;
        uint32_t fault_addr, code_bits, frame_sp, d0_after, pushed;
    };
    const Case cases[] = {
        // User mode: the frame goes on the supervisor stack.
        {"BEQ.B -1", {0x67FF}, 0x0004, 0, kPc + 1, 0x1A, kSsp - 14, 0, 0},
        {"BRA.W +3", {0x6000, 0x0003}, 0x2700, 0, kPc + 5, 0x1E, kSsp - 14, 0, 0},
        // BSR's return address lies above the frame.
        {"BSR.B +1", {0x6101}, 0x2700, 0, kPc + 3, 0x1E, kSsp - 4 - 14, 0, kPc + 2},
        {"DBF D0,+1", {0x51C8, 0x0001}, 0x2700, 0x00050005, kPc + 3, 0x1E, kSsp - 14, 0x00050004, 0},
    };
    for (const auto& c : cases) {
        cpu_test_reset(kPc);
        g_cpu_regs.usp_save = kUsp;
        cpu_sp() = (c.sr & 0x2000) ? kSsp : kUsp;
        g_cpu_regs.ssp_save = kSsp;
        cpu_d(0) = c.d0;
        run(c.code, c.sr);
        EXPECT_EQ(g_cpu_regs.pc, kHandler) << c.name;
        EXPECT_EQ(cpu_sp(), c.frame_sp) << c.name;
        EXPECT_EQ(flat_read_word(c.frame_sp) & 0x1F, c.code_bits) << c.name;
        EXPECT_EQ(flat_read_long(c.frame_sp + 2), c.fault_addr) << c.name;
        EXPECT_EQ(flat_read_word(c.frame_sp + 6), c.code[0]) << c.name;
        EXPECT_EQ(flat_read_word(c.frame_sp + 8), c.sr) << c.name;
        EXPECT_EQ(flat_read_long(c.frame_sp + 10), kPc + 2) << c.name;
        EXPECT_EQ(cpu_d(0), c.d0_after) << c.name;
        if (c.pushed) { EXPECT_EQ(flat_read_long(kSsp - 4), c.pushed) << c.name; }
    }
}

TEST_F(FlowTest, Dbcc) {
    struct Case {
        const char* name;
        uint16_t op;
        uint32_t sr, d0, d0_after, pc, cycles;
    };
    const Case cases[] = {
        {"DBF expires", 0x51C8, 0x2700, 0x12340000, 0x1234FFFF, kPc + 4, 14},
        {"DBF loops", 0x51C8, 0x2700, 0x12340001, 0x12340000, kPc + 2 - 8, 10},
        {"DBEQ, Z set", 0x57C8, 0x2704, 0x12340001, 0x12340001, kPc + 4, 12},
        {"DBEQ, Z clear", 0x57C8, 0x2700, 0x00010000, 0x0001FFFF, kPc + 4, 14},
        {"DBT", 0x50C8, 0x2700, 0, 0, kPc + 4, 12},
    };
    for (const auto& c : cases) {
        cpu_test_reset(kPc);
        cpu_d(0) = c.d0;
        run({c.op, 0xFFF8}, c.sr);
        EXPECT_EQ(cpu_d(0), c.d0_after) << c.name;
        EXPECT_EQ(g_cpu_regs.pc, c.pc) << c.name;
        EXPECT_EQ(cycles_, c.cycles) << c.name;
    }
}

TEST_F(FlowTest, JmpAndJsr) {
    struct Case {
        const char* name;
        std::vector<uint16_t> code;
        uint32_t pc, cycles, pushed;
    };
    const Case cases[] = {
        {"JMP (A0)", {0x4ED0}, 0x3000, 8, 0},
        {"JMP $123456", {0x4EF9, 0x0012, 0x3456}, 0x123456, 12, 0},
        {"JSR (A0)", {0x4E90}, 0x3000, 18, kPc + 2},
        {"JSR (2,PC)", {0x4EBA, 0x0002}, kPc + 4, 20, kPc + 4},
        {"JSR $3000.W", {0x4EB8, 0x3000}, 0x3000, 20, kPc + 4},
        {"JSR $123456", {0x4EB9, 0x0012, 0x3456}, 0x123456, 22, kPc + 6},
    };
    for (const auto& c : cases) {
        cpu_test_reset(kPc);
        cpu_a(0) = 0x3000;
        run(c.code, 0x2700);
        EXPECT_EQ(g_cpu_regs.pc, c.pc) << c.name;
        EXPECT_EQ(cycles_, c.cycles) << c.name;
        EXPECT_EQ(cpu_sp(), c.pushed ? kSsp - 4 : kSsp) << c.name;
        if (c.pushed) { EXPECT_EQ(flat_read_long(kSsp - 4), c.pushed) << c.name; }
    }
}

// The odd target of a jump is caught by the next fetch, after the push.
TEST_F(FlowTest, JsrToOddAddressFaultsOnFetch) {
    cpu_a(0) = 0x3001;
    run({0x4E90}, 0x2700);
    EXPECT_EQ(g_cpu_regs.pc, 0x3001u);
    cpu_test_step();
    EXPECT_EQ(g_cpu_regs.pc, kHandler);
    uint32_t sp = cpu_sp();
    EXPECT_EQ(sp, kSsp - 4 - 14);
    EXPECT_EQ(flat_read_word(sp) & 0x1F, 0x1Eu);
    EXPECT_EQ(flat_read_long(sp + 2), 0x3001u);
    EXPECT_EQ(flat_read_long(kSsp - 4), kPc + 2);
}

TEST_F(FlowTest, RtsAndRtr) {
    cpu_sp() = kSsp - 4;
    flat_write_long(kSsp - 4, 0x3000);
    run({0x4E75}, 0x2700);
    EXPECT_EQ(g_cpu_regs.pc, 0x3000u);
    EXPECT_EQ(cpu_sp(), kSsp);
    EXPECT_EQ(cycles_, 16u);
    EXPECT_EQ(g_trace_value[(g_trace_index - 1) % TRACE_SIZE], kSsp);  // the new A7

    cpu_test_reset(kPc);
    cpu_sp() = kSsp - 6;
    flat_write_word(kSsp - 6, 0xFFFF);
    flat_write_long(kSsp - 4, 0x3000);
    run({0x4E77}, 0x2700);
    EXPECT_EQ(g_cpu_regs.sr, 0x271Fu);
    EXPECT_EQ(g_cpu_regs.pc, 0x3000u);
    EXPECT_EQ(cpu_sp(), kSsp);
    EXPECT_EQ(cycles_, 20u);
}

TEST_F(FlowTest, RteToUserMode) {
    cpu_sp() = kSsp - 6;
    g_cpu_regs.usp_save = kUsp;
    flat_write_word(kSsp - 6, 0x0015);
    flat_write_long(kSsp - 4, 0x3000);
    run({0x4E73}, 0x2700);
    EXPECT_EQ(g_cpu_regs.sr, 0x0015u);
    EXPECT_EQ(g_cpu_regs.pc, 0x3000u);
    EXPECT_EQ(cpu_sp(), kUsp);
    EXPECT_EQ(g_cpu_regs.ssp_save, kSsp);
    EXPECT_EQ(cycles_, 20u);
}

TEST_F(FlowTest, RteInUserModeIsPrivileged) {
    g_cpu_regs.usp_save = kUsp;
    cpu_sp() = kUsp;
    flat_write_long(kUsp, 0xDEADBEEF);
    run({0x4E73}, 0x0000);
    EXPECT_EQ(g_cpu_regs.pc, kHandler);
    EXPECT_EQ(g_cpu_regs.usp_save, kUsp);  // the user stack was not popped
    EXPECT_EQ(cpu_sp(), kSsp - 6);
    EXPECT_EQ(flat_read_long(kSsp - 4), kPc);  // the opcode's address
}

}  // namespace
