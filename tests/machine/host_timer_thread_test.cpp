// The host timer on its own thread, beside an emulation side that keeps
// changing the words they share.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "core/cpu_regs.h"
#include "machine/host_timer.h"
#include "machine/machine.h"
#include "machine/rtc.h"
#include "machine/settings.h"
#include "machine/startup.h"
#include "support/rom_folder.h"
#include "video/crtc.h"

namespace {

TEST(HostTimerThread, TicksArriveAndNoUpdateIsLost) {
    clock_stop_timer();
    clock_set_pacing(ClockPacing::HostThread);
    g_settings.frame = 0;
    g_settings.minclock = 0;
    g_cpu_regs.cycles = 0;
    g_run_flags = RUN_STEP;
    g_rtc.holdoff = 1000000;                             // every tick asks for a refresh
    uint32_t first_index = g_scheduler.tick_ring_index;  // the timer thread owns it from the start on
    clock_start_timer();
    ASSERT_NE(g_scheduler.timer_id, 0u);

    uint64_t added = 0;
    int refreshes = 0;
    bool step_kept = true, budget_ok = true;
    auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (refreshes < 3 && std::chrono::steady_clock::now() < give_up) {
        // As the scheduler hands on cycles and the run loop takes the tick bit.
        g_cpu_regs.cycles_since_tick.fetch_add(7, std::memory_order_relaxed);
        added += 7;
        run_flags_set(RUN_BREAK);
        run_flags_clear(RUN_BREAK);
        uint32_t flags = run_flags();
        step_kept = step_kept && (flags & RUN_STEP);
        if (flags & RUN_RTC_TICK) {
            run_flags_clear(RUN_RTC_TICK);
            refreshes++;
        }
        uint32_t budget = clock_frame_budget();
        budget_ok = budget_ok && (budget == 162279 || budget == 181818);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    clock_stop_timer();
    g_rtc.holdoff = 0;

    EXPECT_GE(refreshes, 3);
    EXPECT_TRUE(step_kept);
    EXPECT_TRUE(budget_ok);
    EXPECT_EQ(clock_frame_budget(), 181818u);
    // Every cycle handed on lies in a ring entry of this run or is still waiting.
    uint32_t stored = g_scheduler.tick_ring_index - first_index;
    EXPECT_GE(stored, 1u);
    if (stored <= 32) {
        uint64_t in_ring = 0;
        for (uint32_t i = 1; i <= stored; i++) in_ring += g_scheduler.tick_ring[(first_index + i) % 32];
        EXPECT_EQ(in_ring + g_cpu_regs.cycles_since_tick.load(), added);
    }
    g_run_flags = 0;
}

// The whole machine on the real timer thread with FRAME on: a ROM keeps
// writing the CRTC and system port words the tick depends on, and the
// emulation side changes the FRAME and MINCLOCK settings between slices.
// Under ThreadSanitizer any word the two threads share unguarded shows.
TEST(HostTimerThread, MachineRunsBesideTheTimerThread) {
    RomFolder folder("timer_inputs");
    ASSERT_TRUE(folder.ok());
    clock_set_pacing(ClockPacing::HostThread);
    g_settings.frame = 1;
    g_settings.minclock = 0;
    ASSERT_EQ(init_start(), 0u);
    uint32_t first_index = g_scheduler.tick_ring_index;  // the timer thread owns it once started
    clock_start_timer();
    uint32_t frames = 0;
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (std::chrono::steady_clock::now() < until) {
        init_run_slice(0);
        if (g_machine.requests.event_request == REQ_END_SLICE) {
            emu_take_request();
            frames++;
        }
        g_settings.minclock = frames & 1;
        g_crtc.regs[CRTC_MODE] ^= CRTC_MODE_HIGH_RES;
    }
    clock_stop_timer();
    uint32_t ticks = g_scheduler.tick_ring_index - first_index;
    init_stop();

    g_settings.frame = g_settings.minclock = 0;

    EXPECT_GT(frames, 0u);
    EXPECT_GE(ticks, 2u);
    EXPECT_GE(clock_frame_budget(), CLOCK_FLOOR_MINCLOCK);
}

}  // namespace
