// Frame pacing on the virtual clock: no host thread, no host time.
#include <gtest/gtest.h>

#include "core/cpu_regs.h"
#include "machine/host_timer.h"
#include "machine/machine.h"
#include "machine/rtc.h"
#include "machine/scheduler.h"
#include "machine/settings.h"
#include "machine/system_port.h"
#include "support/flat_bus.h"
#include "support/powered_on.h"
#include "video/crtc.h"

namespace {

class HostTimer : public PoweredOnMachine {
protected:
    void SetUp() override {
        PoweredOnMachine::SetUp();
        clock_stop_timer();
        clock_set_pacing(ClockPacing::Virtual);
        g_settings.frame = 0;
        g_settings.minclock = 0;
        for (auto& r : g_crtc.regs) r = 0;
        g_sys.regs[SYS_DISPLAY] = 0;
        g_rtc.holdoff = 0;
        g_run_flags = 0;
        g_cpu_regs.cycles = 0;
        clock_start_timer();
    }
    void TearDown() override {
        clock_stop_timer();
        clock_set_pacing(ClockPacing::HostThread);
        g_settings.frame = 0;
        g_settings.minclock = 0;
        g_rtc.holdoff = 0;
        g_run_flags = 0;
    }
    // The cycles reach the timer the way the scheduler hands them on.
    static void run_cycles(uint32_t n) {
        g_cpu_regs.cycles += n;
        sched_advance();
    }
    // A host-thread tick after s cycles were handed on.
    static void tick_after(uint32_t s) {
        g_cpu_regs.cycles_since_tick = s;
        clock_publish_settings();  // as the emulation thread does between slices
        clock_timer_tick();
    }
    static uint64_t ring_sum() {
        uint64_t sum = 0;
        for (uint32_t e : g_scheduler.tick_ring) sum += e;
        return sum;
    }
};

TEST_F(HostTimer, StartSetsTheStartingValuesOnlyWhenStopped) {
    EXPECT_NE(g_scheduler.timer_id, 0u);
    EXPECT_EQ(clock_frame_budget(), 162279u);
    EXPECT_EQ(g_cpu_regs.cycles_per_frame, 162279u);
    EXPECT_EQ(ring_sum(), 32u * 90155u);
    // A second start while running resets nothing.
    g_clock_shared.frame_budget = 200000;
    g_machine.frame.frame_counter = 7;
    clock_start_timer();
    EXPECT_EQ(clock_frame_budget(), 200000u);
    EXPECT_EQ(g_machine.frame.frame_counter, 7u);
    // Stopped, the budget keeps its value; the next start resets it and the counter.
    clock_stop_timer();
    EXPECT_EQ(g_scheduler.timer_id, 0u);
    EXPECT_EQ(clock_frame_budget(), 200000u);
    clock_start_timer();
    EXPECT_EQ(clock_frame_budget(), 162279u);
    EXPECT_EQ(g_machine.frame.frame_counter, 0u);
}

TEST_F(HostTimer, BudgetFollowsFrameMinclockAndDisplayMode) {
    struct Case {
        int frame, minclock;
        uint16_t r20;
        uint8_t sys;
        uint32_t per_tick, budget;
    };
    const Case cases[] = {
        // FRAME off: the floor whatever the host runs.
        {0, 0, 0, 0, 0xF0000000, 181818},
        {0, 1, 0x10, 0, 0xF0000000, 90909},
        // The starting ring alone (73400, 81260, 84850) is below both floors.
        {1, 0, 0, 0, 0, 181818},
        {1, 1, 0x10, 0, 0, 90909},
        {1, 1, 0, 0x02, 0, 90909},
        // Divided by 393, 355 or 340 before the multiplication by 10.
        {1, 0, 0, 0, 300000, 244270},
        {1, 0, 0x10, 0, 300000, 270420},
        {1, 0, 0, 0x02, 300000, 282350},
        {1, 0, 0x10, 0x02, 300000, 270420},  // R20 comes first
        {1, 0, 0x1000, 0, 300000, 244270},   // only R20's low byte counts
        {1, 0, 0, 0, 250000, 203560},
        {1, 1, 0, 0, 100000, 90909},
        {1, 0, 0, 0, 100000, 181818},
        // The ring's sum passes 32 bits.
        {1, 0, 0, 0, 0xF0000000, 3278600980u},
    };
    for (const Case& c : cases) {
        clock_stop_timer();
        clock_start_timer();
        g_settings.frame = c.frame;
        g_settings.minclock = c.minclock;
        g_crtc.regs[CRTC_MODE] = c.r20;
        g_sys.regs[SYS_DISPLAY] = c.sys;
        for (int i = 0; i < 32; i++) tick_after(c.per_tick);
        EXPECT_EQ(clock_frame_budget(), c.budget)
            << c.frame << c.minclock << " r20=" << c.r20 << " sys=" << int(c.sys) << " " << c.per_tick;
    }
}

TEST_F(HostTimer, DisplayModeChangeTakesEffectAtTheNextTick) {
    g_settings.frame = 1;
    for (int i = 0; i < 32; i++) tick_after(300000);
    EXPECT_EQ(clock_frame_budget(), 244270u);
    g_crtc.regs[CRTC_MODE] = 0x10;
    EXPECT_EQ(clock_frame_budget(), 244270u);
    tick_after(300000);
    EXPECT_EQ(clock_frame_budget(), 270420u);
}

TEST_F(HostTimer, IdleTicksKeepTheRing) {
    g_settings.frame = 1;
    for (int i = 0; i < 32; i++) tick_after(300000);
    uint32_t index = g_scheduler.tick_ring_index;
    // Nothing ran at all: the ring and its index stay.
    tick_after(0);
    EXPECT_EQ(g_scheduler.tick_ring_index, index);
    EXPECT_EQ(clock_frame_budget(), 244270u);
    // Cycles ran but were not handed on yet: the oldest entry becomes 0,
    // and those cycles stay for a later tick.
    g_cpu_regs.cycles = 5;
    tick_after(0);
    EXPECT_EQ(g_scheduler.tick_ring_index, index + 1);
    EXPECT_EQ(g_scheduler.tick_ring[(index + 1) % 32], 0u);
    EXPECT_EQ(clock_frame_budget(), 236640u);
    EXPECT_EQ(g_cpu_regs.cycles, 5u);
}

TEST_F(HostTimer, RtcHoldoffRequestsOneRefreshPerTick) {
    g_rtc.holdoff = 6;
    g_run_flags = RUN_STEP;
    for (int i = 0; i < 6; i++) {
        tick_after(1000);
        EXPECT_EQ(run_flags(), RUN_STEP | RUN_RTC_TICK) << i;  // the step bit stays
        run_flags_clear(RUN_RTC_TICK);
    }
    tick_after(1000);
    EXPECT_EQ(run_flags(), RUN_STEP);
    EXPECT_EQ(g_rtc.holdoff.load(), 0u);
}

TEST_F(HostTimer, VirtualClockTicksEvery200000CyclesAndKeepsTheRest) {
    uint32_t index = g_scheduler.tick_ring_index;
    g_rtc.holdoff = 5;
    run_cycles(450000);
    clock_virtual_poll();
    EXPECT_EQ(g_scheduler.tick_ring_index, index + 2);
    EXPECT_EQ(g_scheduler.tick_ring[(index + 1) % 32], 200000u);
    EXPECT_EQ(g_scheduler.tick_ring[(index + 2) % 32], 200000u);
    EXPECT_EQ(g_cpu_regs.cycles_since_tick.load(), 50000u);
    EXPECT_EQ(g_rtc.holdoff.load(), 3u);
    EXPECT_EQ(clock_frame_budget(), 181818u);
    clock_virtual_poll();
    EXPECT_EQ(g_scheduler.tick_ring_index, index + 2);
    run_cycles(150000);
    clock_virtual_poll();
    EXPECT_EQ(g_scheduler.tick_ring_index, index + 3);
    EXPECT_EQ(g_cpu_regs.cycles_since_tick.load(), 0u);
    // Stopped, it never ticks.
    clock_stop_timer();
    run_cycles(1000000);
    clock_virtual_poll();
    EXPECT_EQ(g_scheduler.tick_ring_index, index + 3);
    // The cycles run while stopped count for no tick.
    clock_start_timer();
    EXPECT_EQ(g_cpu_regs.cycles_since_tick.load(), 0u);
}

TEST_F(HostTimer, TickPeriodIsAtLeast20Ms) {
    const uint32_t cases[][2] = {{1, 20}, {20, 20}, {25, 25}};
    for (const auto& c : cases) EXPECT_EQ(clock_timer_period_ms(c[0]), c[1]) << c[0];
}

// Frames run by the real run loop, with the virtual clock polled between
// slices: a new budget waits for the next frame start.
TEST_F(HostTimer, FramesTakeTheBudgetAtTheirStart) {
    flat_bus_install();
    cpu_test_reset(0x1000);
    flat_write_words(0x1000, {0x60FE});  // BRA.S to itself
    for (auto& c : g_scheduler.countdown) c = 0;
    clock_stop_timer();
    clock_start_timer();
    emu_post_request(REQ_FRAME_START);
    uint32_t cpf[3];
    for (uint32_t& frame : cpf) {
        init_run_slice(0);
        ASSERT_EQ(g_machine.requests.event_request, uint32_t(REQ_END_SLICE));
        emu_take_request();
        frame = g_cpu_regs.cycles_per_frame;
        clock_virtual_poll();
    }
    // The first 200,000 cycles end inside the second slice; the poll after
    // it sets the budget that the third frame starts with.
    EXPECT_EQ(cpf[0], 162279u);
    EXPECT_EQ(cpf[1], 162279u);
    EXPECT_EQ(cpf[2], 181818u);
}

}  // namespace
