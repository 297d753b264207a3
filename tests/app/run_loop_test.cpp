// The main window's run loop on a fake host: slices per pass by SPEED, the
// focus rule and BACKG, a break, the stop request, the devices' notice and
// the statistics.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/disk_panel.h"
#include "app/run_loop.h"
#include "core/cpu_regs.h"
#include "machine/host_timer.h"
#include "machine/machine.h"
#include "machine/settings.h"
#include "machine/ui_notice.h"
#include "support/powered_on.h"

namespace {

constexpr uint32_t SLICE_MS = 10;  // host time one fake slice takes

// A host whose passes are counted: each slice ends a frame and a vertical
// sync, the clock moves only by the slices and the waits.
class FakeHost : public RunLoopHost {
public:
    uint32_t passes_left = 64;  // pump answers false after these
    std::function<bool(uint32_t pass)> focus = [](uint32_t) { return true; };
    std::function<void(uint32_t slice)> on_slice;  // before the slice ends
    std::function<void(uint32_t pass)> on_pump;

    uint32_t pass = 0;                     // passes pumped so far
    std::vector<uint32_t> slices_in_pass;  // per pass
    std::vector<uint32_t> drawn_in_pass;   // per pass
    uint32_t slices = 0, waits = 0, panel_refreshes = 0, notices_taken = 0;
    uint32_t clock = 1000000;
    std::vector<std::string> titles;

    bool pump() override {
        if (pass == passes_left) return false;
        slices_in_pass.push_back(0);
        drawn_in_pass.push_back(0);
        if (on_pump) on_pump(pass);
        pass++;
        return true;
    }
    bool has_focus() override { return focus(pass - 1); }
    void wait_event(uint32_t ms) override {
        EXPECT_EQ(ms, UNFOCUSED_WAIT_MS);
        waits++;
        clock += ms;
    }
    uint32_t now_ms() override { return clock; }
    void run_slice(uint32_t step_flag) override {
        EXPECT_EQ(step_flag, 0u);
        clock += SLICE_MS;
        g_machine.frame.vsync_count++;
        emu_post_request(REQ_END_SLICE);
        if (on_slice) on_slice(slices);
        slices++;
        slices_in_pass.back()++;
    }
    void draw_frame() override { drawn_in_pass.back()++; }
    void refresh_panel() override { panel_refreshes++; }
    void take_notice() override { notices_taken++; }
    void show_statistics(const std::string& title) override { titles.push_back(title); }
};

class RunLoop : public PoweredOnMachine {
protected:
    void SetUp() override {
        PoweredOnMachine::SetUp();
        clock_set_pacing(ClockPacing::Virtual);
        emu_clear_requests();
        g_run_flags = 0;
        g_settings.backg = 0;
        g_settings.frame = 0;
        g_slice_step = 10;
        g_machine.frame.vsync_count = 0;
        g_draw_count = 0;
        g_ui_notice.panel_refresh_countdown = 0;
        g_stats_time = host.clock;
    }
    void TearDown() override {
        emu_clear_requests();
        g_run_flags = 0;
    }
    FakeHost host;
};

TEST_F(RunLoop, SpeedSetsTheSlicesOfAPassAndOneFrameIsDrawnAtMost) {
    struct Case {
        uint32_t step;                 // g_slice_step, tenths
        std::vector<uint32_t> slices;  // of the first passes
    } cases[] = {
        {10, {1, 1, 1, 1}},
        {20, {2, 2, 2, 2}},
        {15, {1, 2, 1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        host = FakeHost{};
        host.passes_left = uint32_t(c.slices.size());
        g_slice_step = c.step;
        dlg_run_main_loop(host, 0);
        EXPECT_EQ(host.slices_in_pass, c.slices);
        EXPECT_EQ(host.drawn_in_pass, std::vector<uint32_t>(c.slices.size(), 1));
        EXPECT_EQ(emu_pending_request(), uint32_t(REQ_NONE)) << "the loop takes each frame's request";
    }
}

TEST_F(RunLoop, WithoutTheFocusBackgDecidesWhetherPassesRun) {
    host.focus = [](uint32_t) { return false; };
    host.passes_left = 40;
    g_settings.backg = 0;
    dlg_run_main_loop(host, 0);
    EXPECT_EQ(host.slices, 0u);
    EXPECT_EQ(host.waits, 40u) << "each unfocused pass waits 32 ms for an event";
    EXPECT_TRUE(host.titles.empty()) << "no slice ran: no statistics";

    host = FakeHost{};
    host.focus = [](uint32_t) { return false; };
    host.passes_left = 40;
    g_settings.backg = 1;
    dlg_run_main_loop(host, 0);
    std::vector<uint32_t> ran;
    for (uint32_t p = 0; p < host.slices_in_pass.size(); p++)
        if (host.slices_in_pass[p]) ran.push_back(p);
    EXPECT_EQ(ran, (std::vector<uint32_t>{0, 16, 32})) << "the first unfocused pass, then every 16th";
    EXPECT_EQ(host.waits, 0u);
}

TEST_F(RunLoop, ABreakEndsThePassAtOnce) {
    g_slice_step = 20;
    g_ui_notice.panel_refresh_countdown = 4;
    host.on_slice = [](uint32_t slice) {
        if (slice == 4) run_flags_set(RUN_BREAK);  // the first slice of the third pass
    };
    dlg_run_main_loop(host, 0);
    EXPECT_EQ(host.pass, 3u) << "the loop returned to its caller";
    EXPECT_EQ(host.slices_in_pass, (std::vector<uint32_t>{2, 2, 1}));
    EXPECT_EQ(host.drawn_in_pass, (std::vector<uint32_t>{1, 1, 0})) << "no frame drawn in the broken pass";
    EXPECT_EQ(g_ui_notice.panel_refresh_countdown, 0) << "counted by the four slices before the break";
    EXPECT_EQ(host.panel_refreshes, 1u);
    EXPECT_EQ(host.notices_taken, 5u) << "after every slice, the broken one too";
    EXPECT_EQ(emu_pending_request(), uint32_t(REQ_END_SLICE)) << "the broken slice's request stays";
}

TEST_F(RunLoop, AStopRequestEndsTheLoopWhateverTheFocus) {
    // Unfocused with BACKG 0 no pass ever runs: AC plug must still end it.
    host.focus = [](uint32_t) { return false; };
    host.passes_left = 1000;
    host.on_pump = [](uint32_t pass) {
        if (pass == 5) g_stop_request = STOP_AC_PLUG;
    };
    dlg_run_main_loop(host, 0);
    EXPECT_EQ(host.pass, 6u);
    EXPECT_EQ(host.waits, 5u);

    host = FakeHost{};
    host.passes_left = 1000;
    host.on_pump = [](uint32_t pass) {
        if (pass == 3) g_stop_request = STOP_AC_PLUG;
    };
    dlg_run_main_loop(host, 0);
    EXPECT_EQ(host.pass, 4u);
    EXPECT_EQ(host.slices, 3u) << "the pass that saw the request ran nothing";
    EXPECT_EQ(g_ui_notice.has_focus, 1);
}

TEST_F(RunLoop, StatisticsComeAfter800msWithTheRatesOfTheInterval) {
    g_slice_step = 20;  // two slices (20 ms, two syncs) and one drawn frame a pass
    host.passes_left = 100;
    dlg_run_main_loop(host, 0);
    // 2000 ms of slices: updates after 810 and 1620 ms (the first slice
    // ending past 800 ms each time), 81 syncs and 40 drawn frames each; the
    // clock from the syncs: 81 x 181.81818 / 810 MHz.
    ASSERT_EQ(host.titles.size(), 2u);
    EXPECT_EQ(host.titles[0], "X68000 18.2MHz 100f/s:49f/s");
    EXPECT_EQ(host.titles[1], host.titles[0]);
    EXPECT_EQ(g_debug_text[1], "draw= 49  vsync=100 cycle.base=162279") << "the budget a timer start sets";
    EXPECT_TRUE(g_debug_text[0].starts_with("pc=")) << g_debug_text[0];
    EXPECT_EQ(g_debug_text[0].size(), std::string("pc=00000000 sr=0000 sp=00000000").size());

    host = FakeHost{};
    g_stats_time = host.clock;
    g_machine.frame.vsync_count = g_draw_count = 0;
    g_settings.frame = 1;
    host.passes_left = 50;
    dlg_run_main_loop(host, 0);
    ASSERT_EQ(host.titles.size(), 1u);
    EXPECT_EQ(host.titles[0], "X68000 8.9MHz 100f/s:49f/s") << "FRAME on: the clock from the cycles per frame";
}

}  // namespace
