// TRAP, TRAPV, CHK, STOP, RESET, LINK, UNLK, LEA, PEA, EXG, EXT, SWAP, CLR,
// TST, TAS and Scc, run through the real run loop on a flat bus.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/cpu_regs.h"
#include "core/trace.h"
#include "firmware/iocs.h"
#include "machine/settings.h"
#include "sound/fm_card.h"
#include "sound/sndlib.h"
#include "sound/sound_models.h"
#include "support/flat_bus.h"
#include "support/powered_on.h"

namespace {

constexpr uint32_t kPc = 0x1000, kSsp = 0x2000, kData = 0x3000;

// Each vector gets its own handler address.
constexpr uint32_t handler_of(uint32_t vector_offset) { return 0x10000 + vector_offset * 0x10; }

void load_code(uint32_t at, const std::vector<uint16_t>& code) {
    for (size_t i = 0; i < code.size(); ++i) flat_write_word(at + 2 * uint32_t(i), code[i]);
}

class SystemTest : public PoweredOnMachine {
protected:
    void SetUp() override {
        PoweredOnMachine::SetUp();
        flat_bus_install();
        cpu_test_reset(kPc, kSsp, 0x2700);
        for (uint32_t v = 0x08; v < 0x400; v += 4) flat_write_long(v, handler_of(v));
    }
    void TearDown() override {
        std::memset(g_iocs_hook_table, 0, sizeof g_iocs_hook_table);
        std::memset(g_iocs_native_table, 0, sizeof g_iocs_native_table);
        std::memset(g_sound_models.pcm8_groups, 0, sizeof g_sound_models.pcm8_groups);
        g_settings.fm = 0;
        g_settings.fmpcm8 = 0;
        sound_models_select(g_settings.fm, g_settings.fmpcm8);
    }
    void run(const std::vector<uint16_t>& code, uint32_t sr) {
        load_code(kPc, code);
        g_cpu_regs.sr = sr;
        cycles_ = cpu_test_step();
    }
    // A normal frame on the supervisor stack: the vector taken and the PC stacked.
    void expect_exception(uint32_t vector_offset, uint32_t stacked_pc, const char* name) {
        EXPECT_EQ(g_cpu_regs.pc, handler_of(vector_offset)) << name;
        EXPECT_EQ(cpu_sp(), kSsp - 6) << name;
        EXPECT_EQ(flat_read_long(kSsp - 4), stacked_pc) << name;
    }
    uint32_t cycles_ = 0;
};

TEST_F(SystemTest, TrapTakesItsVector) {
    g_settings.fm = 4;
    g_settings.fmpcm8 = 1;
    sound_models_select(g_settings.fm, g_settings.fmpcm8);
    g_sound_models.pcm8_groups[7] = 1;
    struct Case {
        const char* name;
        uint16_t op;
        uint32_t d0, vector;
    };
    const Case cases[] = {
        {"TRAP #0", 0x4E40, 0, 0x80},
        {"TRAP #3", 0x4E43, 0, 0x8C},
        {"TRAP #15, no native routine", 0x4E4F, 0x20, 0xBC},
        {"TRAP #2, group 3 not served", 0x4E42, 0x0030, 0x88},
        {"TRAP #2, group 16", 0x4E42, 0x0100, 0x88},
    };
    for (const auto& c : cases) {
        cpu_test_reset(kPc);
        cpu_d(0) = c.d0;
        run({c.op}, 0x2704);
        expect_exception(c.vector, kPc + 2, c.name);
        EXPECT_EQ(flat_read_word(kSsp - 6), 0x2704u) << c.name;
    }
}

TEST_F(SystemTest, Trap2ServedBySoundLibrary) {
    g_sound_models.pcm8_groups[7] = 1;
    g_settings.fm = 4;
    g_settings.fmpcm8 = 0;
    sound_models_select(g_settings.fm, g_settings.fmpcm8);
    cpu_d(0) = 0x0070;
    run({0x4E42}, 0x2700);
    EXPECT_EQ(g_cpu_regs.pc, handler_of(0x88));  // FMPCM8 off
    g_settings.fmpcm8 = 1;
    sound_models_select(g_settings.fm, g_settings.fmpcm8);
    cpu_test_reset(kPc);
    cpu_d(0) = 0x0070;
    run({0x4E42}, 0x2700);
    EXPECT_EQ(g_cpu_regs.pc, kPc + 2);
    EXPECT_EQ(cycles_, 78u);
    EXPECT_EQ(cpu_sp(), kSsp);
}

void iocs_hook_21() { cpu_d(0) = (cpu_d(0) & ~0xFFu) | 0x20; }
void iocs_native_20() { cpu_d(1) = 0xCAFE; }

// The hook runs first and may change the call number; the native routine
// of the call it leaves serves it, and the history gets an IOCS entry with
// the number of the call served.
TEST_F(SystemTest, Trap15ServedByNativeRoutine) {
    g_iocs_hook_table[0x21] = iocs_hook_21;
    g_iocs_native_table[0x20] = iocs_native_20;
    cpu_d(0) = 0x0121;
    run({0x4E4F}, 0x2700);
    EXPECT_EQ(g_cpu_regs.pc, kPc + 2);
    EXPECT_EQ(cycles_, 78u);
    EXPECT_EQ(cpu_sp(), kSsp);
    EXPECT_EQ(cpu_d(0), 0x0120u);
    EXPECT_EQ(cpu_d(1), 0xCAFEu);
    uint32_t trap = (g_trace_index - 2) % TRACE_SIZE, call = (g_trace_index - 1) % TRACE_SIZE;
    EXPECT_EQ(g_trace_kind[trap], TRACE_INSN);
    EXPECT_EQ(g_trace_pc[trap], kPc);
    EXPECT_EQ(g_trace_kind[call], TRACE_IOCS);
    EXPECT_EQ(g_trace_pc[call], kPc);
    EXPECT_EQ(g_trace_value[call], 0x20u);
}

TEST_F(SystemTest, Trapv) {
    run({0x4E76}, 0x2700);
    EXPECT_EQ(g_cpu_regs.pc, kPc + 2);
    EXPECT_EQ(cycles_, 4u);
    cpu_test_reset(kPc);
    run({0x4E76}, 0x2702);
    expect_exception(0x1C, kPc + 2, "TRAPV, V set");
}

// CHK leaves Z, V, C and X alone and sets N only for a negative register.
TEST_F(SystemTest, Chk) {
    struct Case {
        const char* name;
        std::vector<uint16_t> code;
        uint32_t d0, d1;
        bool traps;
        uint32_t ccr_in, ccr, cycles;
    };
    const Case cases[] = {
        {"D0.W = -1", {0x4181}, 0x0000FFFF, 100, true, 0x17, 0x1F, 0},
        {"D0.W = 5 > -3", {0x4181}, 5, 0xFFFD, true, 0x1F, 0x17, 0},
        {"D0.W = 5 = bound", {0x4181}, 0xFFFF0005, 5, false, 0x1F, 0x17, 10},
        {"D0.W = 0, bound 0", {0x4181}, 0, 0, false, 0x08, 0x00, 10},
        {"#imm, in bounds", {0x41BC, 0x7FFF}, 0x80007FFE, 0, false, 0x1F, 0x17, 14},
        {"#imm, above", {0x41BC, 0x0002}, 3, 0, true, 0x1F, 0x17, 0},
    };
    for (const auto& c : cases) {
        cpu_test_reset(kPc);
        cpu_d(0) = c.d0;
        cpu_d(1) = c.d1;
        run(c.code, 0x2700 | c.ccr_in);
        uint32_t next = kPc + 2 * uint32_t(c.code.size());
        if (c.traps) {
            expect_exception(0x18, next, c.name);
            EXPECT_EQ(flat_read_word(kSsp - 6), 0x2700 | c.ccr) << c.name;
        } else {
            EXPECT_EQ(g_cpu_regs.pc, next) << c.name;
            EXPECT_EQ(g_cpu_regs.sr, 0x2700 | c.ccr) << c.name;
            EXPECT_EQ(cycles_, c.cycles) << c.name;
        }
    }
}

// STOP waits, 16 cycles a pass, until an interrupt; the interrupt stacks the
// address after the STOP, so its RTE goes on from there.
TEST_F(SystemTest, StopWaitsForAnInterrupt) {
    flat_write_long(0x54 * 4, 0x5000);
    flat_write_word(0x5000, 0x4E73);  // RTE
    g_cpu_regs.irq_pending = 1u << (16 + 5);

    run({0x4E72, 0x2700, 0x4E71}, 0x2700);  // mask 7 holds the level back
    EXPECT_EQ(g_cpu_regs.pc, kPc);
    EXPECT_EQ(cycles_, 16u);
    EXPECT_EQ(cpu_test_step(), 16u);
    EXPECT_EQ(g_cpu_regs.pc, kPc);

    flat_write_word(kPc + 2, 0x2000);
    EXPECT_EQ(cpu_test_step(), 16u);  // lowers the mask: level 5 is accepted
    EXPECT_EQ(g_cpu_regs.pc, kPc);
    EXPECT_EQ(g_cpu_regs.sr, 0x2000u);

    cpu_test_step();  // the interrupt, then its RTE
    EXPECT_EQ(flat_read_word(kSsp - 6), 0x2000u);
    EXPECT_EQ(flat_read_long(kSsp - 4), kPc + 4);
    EXPECT_EQ(g_cpu_regs.pc, kPc + 4);
    EXPECT_EQ(g_cpu_regs.sr, 0x2000u);
    EXPECT_EQ(cpu_test_step(), 4u);  // the NOP after the STOP
    EXPECT_EQ(g_cpu_regs.pc, kPc + 6);
}

TEST_F(SystemTest, PrivilegedControl) {
    struct Case {
        const char* name;
        std::vector<uint16_t> code;
        uint32_t sr, pc, cycles;
    };
    const Case cases[] = {
        {"RESET", {0x4E70}, 0x2700, kPc + 2, 132},
        {"NOP", {0x4E71}, 0x0000, kPc + 2, 4},
        {"RESET, user", {0x4E70}, 0x0000, 0, 0},
        {"STOP, user", {0x4E72, 0x2000}, 0x0000, 0, 0},
    };
    for (const auto& c : cases) {
        cpu_test_reset(kPc);
        run(c.code, c.sr);
        if (c.pc) {
            EXPECT_EQ(g_cpu_regs.pc, c.pc) << c.name;
            EXPECT_EQ(cycles_, c.cycles) << c.name;
        } else {
            expect_exception(0x20, kPc, c.name);
            EXPECT_EQ(flat_read_word(kSsp - 6), c.sr) << c.name;
        }
    }
}

TEST_F(SystemTest, LinkAndUnlk) {
    struct Case {
        const char* name;
        std::vector<uint16_t> code;
        uint32_t a6, a7, mem_addr, mem;
        uint32_t out_a6, out_a7, out_mem, cycles;
    };
    const Case cases[] = {
        {"LINK A6,#-8", {0x4E56, 0xFFF8}, 0x1000, 0x2000, 0x1FFC, 0, 0x1FFC, 0x1FF4, 0x1000, 16},
        {"LINK A7,#-8", {0x4E57, 0xFFF8}, 0, 0x2000, 0x1FFC, 0, 0, 0x1FF4, 0x1FFC, 16},
        {"LINK A6,#$10", {0x4E56, 0x0010}, 0x1234, 0x2000, 0x1FFC, 0, 0x1FFC, 0x200C, 0x1234, 16},
        {"UNLK A6", {0x4E5E}, 0x1FF0, 0x1F00, 0x1FF0, 0x00ABCDEF, 0x00ABCDEF, 0x1FF4, 0x00ABCDEF, 12},
        {"UNLK A7", {0x4E5F}, 0, 0x1FF0, 0x1FF0, 0x3000, 0, 0x3000, 0x3000, 12},
    };
    for (const auto& c : cases) {
        cpu_test_reset(kPc);
        flat_write_long(c.mem_addr, c.mem);
        cpu_a(6) = c.a6;
        cpu_sp() = c.a7;
        run(c.code, 0x2700);
        EXPECT_EQ(cpu_a(6), c.out_a6) << c.name;
        EXPECT_EQ(cpu_sp(), c.out_a7) << c.name;
        EXPECT_EQ(flat_read_long(c.mem_addr), c.out_mem) << c.name;
        EXPECT_EQ(g_cpu_regs.pc, kPc + 2 * uint32_t(c.code.size())) << c.name;
        EXPECT_EQ(cycles_, c.cycles) << c.name;
    }
}

TEST_F(SystemTest, Pea) {
    struct Case {
        const char* name;
        std::vector<uint16_t> code;
        uint32_t pushed, cycles;
    };
    const Case cases[] = {
        {"PEA (A0)", {0x4850}, kData, 14},
        {"PEA $8000.W", {0x4878, 0x8000}, 0xFFFF8000, 18},
        {"PEA (-4,PC)", {0x487A, 0xFFFC}, kPc - 2, 18},
    };
    for (const auto& c : cases) {
        cpu_test_reset(kPc);
        cpu_a(0) = kData;
        run(c.code, 0x2700);
        EXPECT_EQ(cpu_sp(), kSsp - 4) << c.name;
        EXPECT_EQ(flat_read_long(kSsp - 4), c.pushed) << c.name;
        EXPECT_EQ(g_cpu_regs.pc, kPc + 2 * uint32_t(c.code.size())) << c.name;
        EXPECT_EQ(cycles_, c.cycles) << c.name;
    }
}

// Register and operand instructions. A0 starts at kData; mem is the long at kData.
struct OperandCase {
    const char* name;
    std::vector<uint16_t> code;
    uint32_t ccr, d0, d1, a0, a1, mem;
    uint32_t out_ccr, out_d0, out_d1, out_a0, out_a1, out_mem, cycles;
};

const OperandCase kOperandCases[] = {
    {"EXT.W D0", {0x4880}, 0x13, 0x12345680, 0, kData, 0, 0, 0x18, 0x1234FF80, 0, kData, 0, 0, 4},
    {"EXT.W D0, positive", {0x4880}, 0x0F, 0xFFFF807F, 0, kData, 0, 0, 0x00, 0xFFFF007F, 0, kData, 0, 0, 4},
    {"EXT.L D0", {0x48C0}, 0x13, 0x12348000, 0, kData, 0, 0, 0x18, 0xFFFF8000, 0, kData, 0, 0, 4},
    {"EXT.L D0, zero", {0x48C0}, 0x00, 0x12340000, 0, kData, 0, 0, 0x04, 0, 0, kData, 0, 0, 4},
    {"SWAP D0", {0x4840}, 0x13, 0x12345678, 0, kData, 0, 0, 0x10, 0x56781234, 0, kData, 0, 0, 4},
    {"SWAP D0, zero", {0x4840}, 0x0B, 0, 0, kData, 0, 0, 0x04, 0, 0, kData, 0, 0, 4},
    {"EXG D0,D1", {0xC141}, 0x1F, 1, 2, kData, 0, 0, 0x1F, 2, 1, kData, 0, 0, 6},
    {"EXG A0,A1", {0xC149}, 0x00, 0, 0, kData, 5, 0, 0x00, 0, 0, 5, kData, 0, 6},
    {"EXG D0,A1", {0xC189}, 0x00, 1, 0, kData, 3, 0, 0x00, 3, 0, kData, 1, 0, 6},
    {"LEA $8000.W,A0", {0x41F8, 0x8000}, 0x00, 0, 0, 0, 0, 0, 0x00, 0, 0, 0xFFFF8000, 0, 0, 8},
    {"LEA (-2,A0),A0", {0x41E8, 0xFFFE}, 0x00, 0, 0, 0, 0, 0, 0x00, 0, 0, 0xFFFFFFFE, 0, 0, 8},
    {"LEA (A0),A1", {0x43D0}, 0x00, 0, 0, kData, 0, 0, 0x00, 0, 0, kData, kData, 0, 4},
    {"LEA (4,A0,D1.W),A0",
     {0x41F0, 0x1004},
     0x00,
     0,
     0x0001FFFF,
     kData,
     0,
     0,
     0x00,
     0,
     0x0001FFFF,
     kData + 3,
     0,
     0,
     12},
    {"CLR.W D0", {0x4240}, 0x1B, 0x12345678, 0, kData, 0, 0, 0x14, 0x12340000, 0, kData, 0, 0, 4},
    {"CLR.L (A0)+", {0x4298}, 0x08, 0, 0, kData, 0, 0xFFFFFFFF, 0x04, 0, 0, kData + 4, 0, 0, 20},
    {"TST.B D0", {0x4A00}, 0x13, 0x00000180, 0, kData, 0, 0, 0x18, 0x00000180, 0, kData, 0, 0, 4},
    {"TST.L (A0)", {0x4A90}, 0x1F, 0, 0, kData, 0, 0, 0x14, 0, 0, kData, 0, 0, 12},
    {"TST.W -(A0)", {0x4A60}, 0x0F, 0, 0, kData + 2, 0, 0x7FFF0000, 0x00, 0, 0, kData, 0, 0x7FFF0000, 10},
    {"TAS (A0), zero", {0x4AD0}, 0x1F, 0, 0, kData, 0, 0x00123456, 0x14, 0, 0, kData, 0, 0x80123456, 14},
    {"TAS (A0), negative", {0x4AD0}, 0x00, 0, 0, kData, 0, 0x81000000, 0x08, 0, 0, kData, 0, 0x81000000, 14},
    {"TAS D0", {0x4AC0}, 0x10, 0x12345601, 0, kData, 0, 0, 0x10, 0x12345681, 0, kData, 0, 0, 4},
    {"ST D0", {0x50C0}, 0x00, 0x12345600, 0, kData, 0, 0, 0x00, 0x123456FF, 0, kData, 0, 0, 4},
    {"SF D0", {0x51C0}, 0x1F, 0x123456FF, 0, kData, 0, 0, 0x1F, 0x12345600, 0, kData, 0, 0, 4},
    {"SEQ D0, Z set", {0x57C0}, 0x04, 0, 0, kData, 0, 0, 0x04, 0x000000FF, 0, kData, 0, 0, 4},
    {"SNE (A0), Z set", {0x56D0}, 0x04, 0, 0, kData, 0, 0x55555555, 0x04, 0, 0, kData, 0, 0x00555555, 8},
    {"SGT (A0)+, N V", {0x5ED8}, 0x0A, 0, 0, kData, 0, 0, 0x0A, 0, 0, kData + 1, 0, 0xFF000000, 8},
};

TEST_F(SystemTest, OperandInstructions) {
    for (const auto& c : kOperandCases) {
        cpu_test_reset(kPc);
        flat_write_long(kData, c.mem);
        cpu_d(0) = c.d0;
        cpu_d(1) = c.d1;
        cpu_a(0) = c.a0;
        cpu_a(1) = c.a1;
        run(c.code, 0x2700 | c.ccr);
        EXPECT_EQ(g_cpu_regs.sr, 0x2700 | c.out_ccr) << c.name;
        EXPECT_EQ(cpu_d(0), c.out_d0) << c.name;
        EXPECT_EQ(cpu_d(1), c.out_d1) << c.name;
        EXPECT_EQ(cpu_a(0), c.out_a0) << c.name;
        EXPECT_EQ(cpu_a(1), c.out_a1) << c.name;
        EXPECT_EQ(flat_read_long(kData), c.out_mem) << c.name;
        EXPECT_EQ(g_cpu_regs.pc, kPc + 2 * uint32_t(c.code.size())) << c.name;
        EXPECT_EQ(cycles_, c.cycles) << c.name;
    }
}

}  // namespace
