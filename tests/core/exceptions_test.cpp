#include <gtest/gtest.h>

#include "core/bus.h"
#include "core/cpu_regs.h"
#include "core/exceptions.h"
#include "core/trace.h"
#include "firmware/fe_calls.h"
#include "machine/machine.h"
#include "machine/mfp.h"
#include "machine/scheduler.h"
#include "machine/settings.h"
#include "support/flat_bus.h"

namespace {

constexpr uint16_t NOP = 0x4E71;
constexpr uint16_t RTE = 0x4E73;

class Exceptions : public ::testing::Test {
protected:
    void SetUp() override {
        flat_bus_install();
        // Every vector points at its own handler address: vector n at $10000 + 16n.
        for (uint32_t v = 0; v < 256; v++) {
            flat_write_long(v * 4, 0x10000 + v * 16);
            flat_write_words(0x10000 + v * 16, {NOP, NOP});
        }
        std::fill(std::begin(g_mfp.regs), std::end(g_mfp.regs), 0);
        cpu_test_reset(0x4000, 0x2000, 0x2700);
    }
    static uint32_t handler(uint32_t vector) { return 0x10000 + vector * 16; }
};

TEST_F(Exceptions, TrapFromUserModeSwitchesToTheSupervisorStack) {
    flat_write_words(0x4000, {0x4E40});  // TRAP #0
    g_cpu_regs.sr = 0x8000;              // user mode, trace on
    cpu_sp() = 0x1000;
    g_cpu_regs.usp_save = 0x1000;
    g_cpu_regs.ssp_save = 0x2000;
    g_cpu_regs.trace_delay = 0;
    cpu_test_step();
    EXPECT_EQ(g_cpu_regs.usp_save, 0x1000u);
    EXPECT_EQ(cpu_sp(), 0x1FFAu);
    EXPECT_EQ(flat_read_word(0x1FFA), 0x8000u);
    EXPECT_EQ(flat_read_long(0x1FFC), 0x4002u);
    EXPECT_EQ(g_cpu_regs.sr, 0x2000u);
    EXPECT_EQ(g_cpu_regs.pc, handler(32));
}

TEST_F(Exceptions, AddressErrorStacksTheGroupZeroFrame) {
    struct Case {
        uint32_t sr, access_code;
    };
    for (Case c : {Case{0x0000, 0x11}, Case{0x2000, 0x15}}) {
        cpu_test_reset(0x4000, 0x2000, c.sr);
        flat_write_words(0x4000, {0x3010});  // MOVE.W (A0),D0
        cpu_a(0) = 0x1001;
        cpu_test_step();
        uint32_t sp = cpu_sp();
        EXPECT_EQ(sp, 0x2000u - 14);
        EXPECT_EQ(flat_read_word(sp), (0x3010u & 0xFFE0) | c.access_code);
        EXPECT_EQ(flat_read_long(sp + 2), 0x1001u);
        EXPECT_EQ(flat_read_word(sp + 6), 0x3010u);
        EXPECT_EQ(flat_read_word(sp + 8), c.sr);
        EXPECT_EQ(g_cpu_regs.pc, handler(3));
    }
}

TEST_F(Exceptions, AFaultWhileStackingAFaultHaltsAndResets) {
    flat_write_long(0xFF0000, 0x3000);
    flat_write_long(0xFF0004, 0x5000);
    flat_write_words(0x4000, {0x3010});  // MOVE.W (A0),D0
    cpu_a(0) = 0x1001;
    cpu_sp() = 0x2001;  // the frame cannot be stacked
    cpu_test_step();
    EXPECT_EQ(g_cpu_regs.pc, 0x5000u);
    EXPECT_EQ(cpu_sp(), 0x3000u);
    EXPECT_EQ(g_cpu_regs.exception_busy, 0x100u);
}

// A bus or address error is processed until its handler's first word is
// fetched; other exceptions, and a handler that runs, fault as usual.
TEST_F(Exceptions, AFaultOnTheFirstFetchOfAFaultsHandlerHalts) {
    constexpr uint16_t MOVE_W_A0_D0 = 0x3010, TRAP_0 = 0x4E40;
    struct Case {
        const char* what;
        uint16_t op;
        uint32_t vector;   // whose handler is changed
        uint32_t handler;  // odd: its fetch faults
        uint32_t pc, sp;   // after the instruction and the handler's first step
    };
    const Case cases[] = {
        {"address error, odd handler: halt and reset", MOVE_W_A0_D0, 3, 0x10001, 0x5000, 0x3000},
        {"TRAP, odd handler: an address error", TRAP_0, 32, 0x10001, handler(3), 0x2000 - 6 - 14},
        {"address error whose handler faults: another one", MOVE_W_A0_D0, 3, 0x6000, 0x6000, 0x2000 - 28},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        flat_write_long(0xFF0000, 0x3000);
        flat_write_long(0xFF0004, 0x5000);
        flat_write_words(0x4000, {c.op});
        flat_write_words(0x6000, {MOVE_W_A0_D0});
        flat_write_long(c.vector * 4, c.handler);
        cpu_a(0) = 0x1001;
        cpu_test_step();
        cpu_test_step();
        EXPECT_EQ(g_cpu_regs.pc, c.pc);
        EXPECT_EQ(cpu_sp(), c.sp);
    }
}

// The chip's times for the exception processing (MC68000 user's manual),
// in place of the instruction's own.
TEST_F(Exceptions, ExceptionProcessingTakesItsCycles) {
    struct Case {
        const char* what;
        uint16_t op;
        uint32_t sr, d0, cycles;
    };
    const Case cases[] = {
        {"TRAP #0", 0x4E40, 0x2700, 0, 34},
        {"illegal instruction", 0x4AFC, 0x2700, 0, 34},
        {"line A", 0xA000, 0x2700, 0, 34},
        {"line F", 0xF000, 0x2700, 0, 34},
        {"DIVU D1,D0 by zero", 0x80C1, 0x2700, 7, 38},
        {"CHK D1,D0 with D0 negative", 0x4181, 0x2700, 0x8000, 40},
        {"TRAPV with V set", 0x4E76, 0x2702, 0, 34},
        {"RTE in user mode", RTE, 0x0000, 0, 34},
        {"MOVE.W (A0),D0 at an odd address", 0x3010, 0x2700, 0, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        cpu_test_reset(0x4000, 0x2000, c.sr);
        flat_write_words(0x4000, {c.op});
        cpu_d(0) = c.d0;
        cpu_d(1) = 0;
        cpu_a(0) = 0x1001;
        EXPECT_EQ(cpu_test_step(), c.cycles);
    }
}

TEST_F(Exceptions, MfpChannelsAreTakenByPriorityAgainstTheMask) {
    g_mfp.regs[MFP_IERA] = g_mfp.regs[MFP_IMRA] = 0xFF;
    g_mfp.regs[MFP_VR] = 0x40;
    flat_write_words(0x4000, {NOP, NOP});

    g_cpu_regs.sr = 0x2500;
    sched_dispatch(EV_MFP_CHANNEL + 10);
    sched_dispatch(EV_MFP_CHANNEL + 14);  // 10 was accepted first and is not displaced
    cpu_test_step();
    EXPECT_EQ(g_cpu_regs.sr & 0x0700, 0x0600u);
    EXPECT_EQ(g_cpu_regs.pc, handler(0x40 + 10) + 2);

    // With the mask at 6 the channel stays pending; level 7 is taken at any mask.
    cpu_test_reset(0x4000, 0x2000, 0x2600);
    g_cpu_regs.irq_pending = 0;
    sched_dispatch(EV_MFP_CHANNEL + 14);
    cpu_test_step();
    EXPECT_EQ(g_cpu_regs.pc, 0x4002u);
    EXPECT_NE(g_cpu_regs.irq_pending & (1u << 14), 0u);
    g_cpu_regs.sr = 0x2700;
    cpu_raise_level_interrupt(7);
    cpu_test_step();
    EXPECT_EQ(g_cpu_regs.pc, handler(31) + 2);
}

TEST_F(Exceptions, HigherChannelWinsAndDisabledChannelsAreDropped) {
    g_mfp.regs[MFP_IERA] = 0x7F;  // channel 15 disabled
    g_mfp.regs[MFP_IMRA] = 0xFF;
    g_mfp.regs[MFP_VR] = 0x40;
    g_mfp.regs[MFP_IPRA] = 0x80;
    g_cpu_regs.sr = 0x2700;
    g_cpu_regs.irq_pending = (1u << 10) | (1u << 14) | (1u << 15) | (1u << 22);
    cpu_set_sr(0x2500);
    EXPECT_EQ(g_cpu_regs.irq_vector_offset, (0x40u + 14) * 4);
    EXPECT_EQ(g_mfp.regs[MFP_IPRA] & 0x80, 0);
    EXPECT_EQ(g_cpu_regs.irq_pending & (1u << 15), 0u);
    EXPECT_NE(g_cpu_regs.irq_pending & (1u << 10), 0u);
}

TEST_F(Exceptions, RteThatLowersTheMaskTakesAPendingLevel) {
    flat_write_words(0x4000, {RTE});
    flat_write_word(0x2000, 0x2000);  // SR mask 0
    flat_write_long(0x2002, 0x6000);
    flat_write_words(0x6000, {NOP, NOP});
    g_cpu_regs.irq_pending = 1u << (16 + 2);
    cpu_test_step();  // RTE accepts level 2
    cpu_test_step();  // taken before the next instruction
    EXPECT_EQ(g_cpu_regs.pc, handler(0x42) + 2);
    EXPECT_EQ(flat_read_long(cpu_sp() + 2), 0x6000u);
}

TEST_F(Exceptions, TraceFollowsTheInstructionAfterTheOneThatSetsT) {
    flat_write_words(0x4000, {RTE});
    flat_write_word(0x2000, 0xA000);  // T and S
    flat_write_long(0x2002, 0x6000);
    flat_write_words(0x6000, {NOP, NOP});
    cpu_test_step();
    EXPECT_EQ(g_cpu_regs.pc, 0x6000u);  // the RTE itself is not traced
    cpu_test_step();
    EXPECT_EQ(g_cpu_regs.pc, handler(9));
    EXPECT_EQ(flat_read_long(cpu_sp() + 2), 0x6002u);
}

TEST_F(Exceptions, AStaleTraceDelayDoesNotTraceAfterTIsSetAgain) {
    flat_write_words(0x4000, {NOP, NOP, NOP, NOP});
    cpu_set_sr(0xA700);
    cpu_test_step();  // sets T's delay; not traced
    cpu_set_sr(0x2700);
    cpu_test_step();
    cpu_set_sr(0xA700);  // T set again: the old delay is forgotten
    cpu_test_step();     // not traced
    EXPECT_EQ(g_cpu_regs.pc, 0x4006u);
    cpu_test_step();  // the next one is
    EXPECT_EQ(g_cpu_regs.pc, handler(9));
}

TEST_F(Exceptions, InterruptFromUserModeStacksOnTheSupervisorStack) {
    flat_write_words(0x4000, {NOP});
    // The user stack is odd; it must not be used for the frame.
    g_cpu_regs.sr = 0x8000;
    cpu_sp() = 0x1001;
    g_cpu_regs.usp_save = 0x1001;
    g_cpu_regs.ssp_save = 0x2000;
    cpu_raise_level_interrupt(7);
    cpu_test_step();
    EXPECT_EQ(g_cpu_regs.usp_save, 0x1001u);
    EXPECT_EQ(cpu_sp(), 0x2000u - 6);
    EXPECT_EQ(flat_read_word(0x2000 - 6), 0x8000u);  // the old SR, T set
    EXPECT_EQ(g_cpu_regs.sr & 0xA700, 0x2700u);      // T clear while the handler runs
    EXPECT_EQ(g_cpu_regs.pc, handler(31) + 2);
}

TEST_F(Exceptions, FeCallsAreServedOnlyWithTheSetting) {
    // $FE01: D0 := D0 / D1.
    flat_write_words(0x4000, {0xFE01, NOP});
    g_settings.fpu = 0;
    cpu_d(0) = 7;
    cpu_d(1) = 2;
    cpu_test_step();
    EXPECT_EQ(g_cpu_regs.pc, handler(11));
    EXPECT_EQ(flat_read_long(cpu_sp() + 2), 0x4000u);
    EXPECT_EQ(cpu_d(0), 7u);

    cpu_test_reset(0x4000);
    g_settings.fpu = 1;
    cpu_d(0) = 7;
    cpu_d(1) = 2;
    EXPECT_EQ(cpu_test_step(), 8u);
    EXPECT_EQ(g_cpu_regs.pc, 0x4002u);
    EXPECT_EQ(cpu_d(0), 3u);
    g_settings.fpu = 0;
}

TEST_F(Exceptions, SetSrKeepsOnlyTheImplementedBits) {
    cpu_set_sr(0xFFFF);
    EXPECT_EQ(g_cpu_regs.sr, 0xA71Fu);
}

}  // namespace
