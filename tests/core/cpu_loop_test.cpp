#include <gtest/gtest.h>

#include "core/bus.h"
#include "core/cpu_loop.h"
#include "core/cpu_regs.h"
#include "core/decode.h"
#include "core/trace.h"
#include "machine/machine.h"
#include "machine/scheduler.h"
#include "support/flat_bus.h"

namespace {

constexpr uint16_t NOP = 0x4E71;

// Runs a handler of the test's own on the NOP opcode.
uint32_t g_fake_cycles;
OpResult fake_handler(const DecodeRecord*, uint32_t pc) { return {g_fake_cycles, pc}; }

class CpuLoop : public ::testing::Test {
protected:
    void SetUp() override {
        flat_bus_install();
        cpu_test_reset(0x1000);
        saved_ = g_opcode_table[NOP];
    }
    void TearDown() override { g_opcode_table[NOP] = saved_; }
    void use_fake_nop() {
        fake_.exec = fake_handler;
        g_opcode_table[NOP] = &fake_;
    }
    const DecodeRecord* saved_ = nullptr;
    DecodeRecord fake_{};
};

TEST_F(CpuLoop, CycleCountsOutsideFourTo159BecomeAFixedCount) {
    use_fake_nop();
    struct Case {
        uint32_t returned, added;
    };
    for (Case c :
         {Case{2, 256}, Case{3, 256}, Case{4, 4}, Case{158, 158}, Case{159, 159}, Case{160, 256}, Case{200, 256}}) {
        flat_write_word(0x1000, NOP);
        cpu_test_reset(0x1000);
        g_fake_cycles = c.returned;
        EXPECT_EQ(cpu_test_step(), c.added) << c.returned;
    }
}

TEST_F(CpuLoop, OneInstructionRunsPerStepAndTheLoopReturnsWithTheStepFlag) {
    flat_write_words(0x1000, {NOP, NOP, NOP});
    uint32_t count = g_opcode_counts[NOP];
    g_cpu_regs.op_addr = g_cpu_regs.pc;
    g_run_flags = RUN_STEP;
    cpu_run();
    EXPECT_EQ(g_cpu_regs.pc, 0x1002u);
    EXPECT_EQ(run_flags(), RUN_STEP);
    EXPECT_EQ(g_opcode_counts[NOP], count + 1);
    EXPECT_EQ(g_trace_kind[(g_trace_index - 1) % TRACE_SIZE], TRACE_INSN);
    EXPECT_EQ(g_trace_pc[(g_trace_index - 1) % TRACE_SIZE], 0x1000u);
}

TEST_F(CpuLoop, AStepRunsOneInstructionEvenWithARequestPending) {
    flat_write_words(0x1000, {NOP, NOP, NOP});
    // A request posted before the step is handled first; one posted by the
    // instruction waits for the next run.
    g_machine.requests.event_request = REQ_RESCHEDULE;
    run_flags_set(RUN_REQUEST);
    cpu_test_step();
    EXPECT_EQ(g_cpu_regs.pc, 0x1002u);
    EXPECT_EQ(g_machine.requests.event_request, 0u);

    g_cpu_regs.cycle_deadline = 0;  // the NOP's cycles make an event due, which posts a request
    g_cpu_regs.event_kind = EV_FRAME_START;
    cpu_test_step();
    EXPECT_EQ(g_cpu_regs.pc, 0x1004u);
    EXPECT_EQ(g_machine.requests.event_request, uint32_t(REQ_FRAME_START));
}

TEST_F(CpuLoop, RtcTickAloneBecomesARequest) {
    flat_write_words(0x1000, {NOP, NOP});
    // The tick flag arrives while the loop runs; the step flag is not set.
    g_cpu_regs.op_addr = g_cpu_regs.pc;
    g_run_flags = RUN_RTC_TICK;
    cpu_enter_loop();
    EXPECT_EQ(run_flags(), RUN_REQUEST);
    EXPECT_EQ(g_machine.requests.event_request, uint32_t(REQ_RTC_TICK));

    cpu_test_reset(0x1000);
    g_run_flags = RUN_RTC_TICK | RUN_STEP;
    cpu_enter_loop();
    EXPECT_EQ(run_flags(), RUN_RTC_TICK | RUN_STEP);
    EXPECT_EQ(g_machine.requests.event_request, 0u);
}

TEST_F(CpuLoop, OnlyOneEventIsDispatchedPerInstruction) {
    flat_write_words(0x1000, {NOP, NOP, NOP, NOP});
    // Two MFP channels due at the same cycle; the mask keeps them pending.
    g_scheduler.countdown[4] = 4;
    g_scheduler.countdown[5] = 4;
    sched_set_event(-1, 0);
    cpu_test_step();
    EXPECT_EQ(g_cpu_regs.irq_pending & 0x30, 0x10u);  // the lower kind first
    cpu_test_step();
    cpu_test_step();
    EXPECT_EQ(g_cpu_regs.irq_pending & 0x30, 0x30u);
}

TEST_F(CpuLoop, OpcodesExecutedInTheIplRomAreMarked) {
    std::fill(g_rom_access_map, g_rom_access_map + ROM_ACCESS_MAP_SIZE, 0);
    flat_write_words(0xFE0000, {NOP});
    flat_write_words(0xFDFFFE, {NOP});
    cpu_test_reset(0xFE0000);
    cpu_test_step();
    EXPECT_EQ(g_rom_access_map[0], ROM_EXECUTED);
    EXPECT_EQ(g_rom_access_map[1], 0);
    cpu_test_reset(0xFDFFFE);
    cpu_test_step();
    EXPECT_EQ(g_rom_access_map[0x1FFFF], 0);
}

TEST_F(CpuLoop, AWatchHitLetsTheInstructionFinish) {
    flat_write_words(0x1000, {0x3010, NOP});  // MOVE.W (A0),D0
    flat_write_word(0x2000, 0x1234);
    cpu_a(0) = 0x2000;
    g_watch_read = {0x2001, 0x2000, 1};
    g_cpu_regs.op_addr = g_cpu_regs.pc;
    g_run_flags = 0;
    cpu_run();
    EXPECT_EQ(cpu_d(0), 0x1234u);
    EXPECT_EQ(g_cpu_regs.pc, 0x1002u);
    EXPECT_EQ(run_flags(), RUN_BREAK);
    EXPECT_EQ(g_watch_hit_addr, 0x2000u);
    EXPECT_EQ(g_watch_hit_kind, 'R');
    g_watch_read.enable = 0;
}

TEST_F(CpuLoop, AReadWatchOnAnOpcodeWordStopsAfterItsInstruction) {
    // NOP; NOP; BRA.S to $1008 over a NOP; NOP; NOP.
    struct Case {
        uint32_t watched, stop_pc;
    };
    for (Case c : {Case{0x1000, 0x1002}, Case{0x1002, 0x1004}, Case{0x1008, 0x100A}}) {
        SCOPED_TRACE(c.watched);
        flat_write_words(0x1000, {NOP, NOP, 0x6002, NOP, NOP, NOP});
        cpu_test_reset(0x1000);
        g_watch_read = {c.watched + 2, c.watched, 1};
        g_cpu_regs.cycle_deadline = 40;  // a run the watch misses ends at this event
        g_cpu_regs.event_kind = EV_FRAME_START;
        g_cpu_regs.op_addr = g_cpu_regs.pc;
        g_run_flags = 0;
        g_cpu_idle = 0;  // as cpu_run has it
        cpu_enter_loop();
        g_cpu_idle = 1;
        g_watch_read.enable = 0;
        EXPECT_EQ(g_cpu_regs.pc, c.stop_pc);
        EXPECT_EQ(run_flags(), RUN_BREAK);
        EXPECT_EQ(g_watch_hit_addr, c.watched);
        EXPECT_EQ(g_watch_hit_kind, 'R');
    }
}

TEST_F(CpuLoop, JumpToAnOddAddressFaultsAtTheNextFetch) {
    flat_write_long(0x0C, 0x3000);
    flat_write_words(0x1000, {0x4ED0});  // JMP (A0)
    cpu_a(0) = 0x1235;
    cpu_test_step();
    EXPECT_EQ(g_cpu_regs.pc, 0x1235u);
    cpu_test_step();  // the fetch raises the address error
    EXPECT_EQ(g_cpu_regs.pc, 0x3000u);
    uint32_t sp = cpu_sp();
    EXPECT_EQ(flat_read_word(sp), 0x1Eu | (flat_read_word(sp + 6) & 0xFFE0));
    EXPECT_EQ(flat_read_long(sp + 2), 0x1235u);
}

TEST_F(CpuLoop, FallingThroughIntoTheNextPageKeepsTheFetchBase) {
    // NOP at the last word of page 0, then MOVE.W D0,(A0) in page 1, whose
    // write watch stops the run.
    flat_write_words(0x1FFFE, {NOP, 0x3080});
    cpu_test_reset(0x1FFFE);
    cpu_a(0) = 0x3000;
    g_watch_write = {0x3001, 0x3000, 1};
    g_fetch_page_table[1] = nullptr;  // a reload would raise a bus error
    g_cpu_regs.op_addr = g_cpu_regs.pc;
    cpu_run();
    g_fetch_page_table[1] = flat_bus_memory();
    g_watch_write.enable = 0;
    EXPECT_EQ(g_cpu_regs.pc, 0x20002u);
    EXPECT_EQ(run_flags(), RUN_BREAK);
}

}  // namespace
