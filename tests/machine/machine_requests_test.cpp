#include <gtest/gtest.h>

#include "core/cpu_regs.h"
#include "input/keyboard.h"
#include "machine/host_timer.h"
#include "machine/machine.h"
#include "machine/mfp.h"
#include "machine/scheduler.h"
#include "machine/settings.h"
#include "storage/drive_slots.h"
#include "support/flat_bus.h"
#include "video/crtc.h"

namespace {

class MachineRequests : public ::testing::Test {
protected:
    void SetUp() override {
        flat_bus_install();
        cpu_test_reset(0x1000);
        emu_clear_requests();
        for (auto& r : g_crtc.regs) r = 0;
        g_clock_shared.frame_budget = 181818;
    }
    static uint32_t dispatch(uint32_t code) {
        emu_post_request(code);
        return emu_dispatch_request();
    }
};

TEST_F(MachineRequests, FrameStartSchedulesTheFramesEvents) {
    struct Case {
        uint16_t r4, r5, r6, r7, r9;
        int64_t sync_end, disp_start, disp_end, raster;
    };
    const int64_t cpf = 181818;
    const Case cases[] = {
        // A programmed CRTC: every event at its line.
        {568, 6, 40, 552, 100, cpf * 6 / 568, cpf * 40 / 568, cpf * 552 / 568, 100 * cpf / 568},
        // R04 at or below 64 gives 567 lines; 0 registers take their defaults.
        {64, 0, 0, 0, 0, cpf * 5 / 567, cpf * 40 / 567, cpf * 552 / 567, 63 * cpf / 567},
        // Lines above the total take the defaults; the display end falls back to L - 8.
        {500, 600, 600, 0, 0, cpf * 5 / 500, cpf * 40 / 500, cpf * 492 / 500, 499 * cpf / 500},
    };
    for (const Case& c : cases) {
        g_crtc.regs[CRTC_V_TOTAL] = c.r4;
        g_crtc.regs[CRTC_V_SYNC_END] = c.r5;
        g_crtc.regs[CRTC_V_DISP_START] = c.r6;
        g_crtc.regs[CRTC_V_DISP_END] = c.r7;
        g_crtc.regs[CRTC_RASTER_INT] = c.r9;
        g_cpu_regs.cycles = 0;
        EXPECT_EQ(dispatch(REQ_FRAME_START), 1u);
        EXPECT_EQ(g_cpu_regs.cycles_per_frame, 181818u);
        EXPECT_EQ(g_scheduler.countdown[EV_FRAME_START], cpf);
        EXPECT_EQ(g_scheduler.countdown[EV_VSYNC_END], c.sync_end) << c.r4;
        EXPECT_EQ(g_scheduler.countdown[EV_VDISP_START], c.disp_start) << c.r4;
        EXPECT_EQ(g_scheduler.countdown[EV_VDISP_END], c.disp_end) << c.r4;
        EXPECT_EQ(g_scheduler.countdown[EV_MFP_RASTER], c.raster) << c.r4;
    }
}

// The frame start counts the floppy LEDs' ticks down, one a frame.
TEST_F(MachineRequests, FrameStartTicksTheDriveLeds) {
    g_fd_media[0].tick = 2;
    g_fd_media[1].tick = 0;
    dispatch(REQ_FRAME_START);
    EXPECT_EQ(g_fd_media[0].tick, 1);
    EXPECT_EQ(g_fd_media[1].tick, 0);
    dispatch(REQ_FRAME_START);
    EXPECT_EQ(g_fd_media[0].tick, 0);
}

TEST_F(MachineRequests, DisplayEndEndsTheSliceAndLeavesRequest6) {
    g_crtc.regs[CRTC_V_TOTAL] = 568;
    g_crtc.regs[CRTC_V_DISP_START] = 40;
    g_crtc.regs[CRTC_V_DISP_END] = 552;
    g_mfp.regs[MFP_GPIP] = 0x10;
    EXPECT_EQ(dispatch(REQ_VDISP_END), 0u);
    EXPECT_EQ(g_machine.requests.event_request, uint32_t(REQ_END_SLICE));
    EXPECT_EQ(g_mfp.regs[MFP_GPIP] & 0x10, 0);
    EXPECT_EQ(g_machine.frame.raster_line, 511u);
}

// Whatever a guest writes to R04-R07, the display end comes in every frame
// and ends its slice: a guest looping on "bra.s *" gets slice after slice.
TEST_F(MachineRequests, EveryFrameEndsItsSliceWhateverTheVerticalRegistersHold) {
    struct Case {
        uint16_t r4, r5, r6, r7;
    };
    // Each register 0, 1, at the total, past it and 1023; the others as
    // the IPL ROM sets them (568 lines, 6, 40, 552).
    // clang-format off
    const Case cases[] = {
        {0, 6, 40, 552},   {1, 6, 40, 552},   {552, 6, 40, 552},   {500, 6, 40, 552},   {1023, 6, 40, 552},
        {568, 0, 40, 552}, {568, 1, 40, 552}, {568, 568, 40, 552}, {568, 600, 40, 552}, {568, 1023, 40, 552},
        {568, 6, 0, 552},  {568, 6, 1, 552},  {568, 6, 568, 552},  {568, 6, 600, 552},  {568, 6, 1023, 552},
        {568, 6, 40, 0},   {568, 6, 40, 1},   {568, 6, 40, 568},   {568, 6, 40, 600},   {568, 6, 40, 1023},
        // An end equal to the total, also where R04 of 64 or less counts as 567.
        {600, 6, 40, 600}, {40, 6, 40, 567}, {700, 6, 40, 700}, {1023, 6, 40, 1023}, {1023, 1023, 1023, 1023},
    };
    // clang-format on
    const uint64_t cpf = 181818;
    machine_power_on();
    g_mfp.regs[MFP_IERB] = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "R04-R07 " << c.r4 << " " << c.r5 << " " << c.r6 << " " << c.r7);
        flat_write_word(0x1000, 0x60FE);  // bra.s *
        cpu_test_reset(0x1000);
        emu_clear_requests();
        sched_power_on();
        g_crtc.regs[CRTC_V_TOTAL] = c.r4;
        g_crtc.regs[CRTC_V_SYNC_END] = c.r5;
        g_crtc.regs[CRTC_V_DISP_START] = c.r6;
        g_crtc.regs[CRTC_V_DISP_END] = c.r7;
        const uint32_t frames = g_machine.frame.frame_counter;
        emu_post_request(REQ_FRAME_START);
        // Three frames' slices, each within a frame of the last (give or
        // take one instruction's 10 cycles); at most four frames of cycles
        // are run.
        auto now = [] { return g_scheduler.cycles_total + g_cpu_regs.cycles; };
        int ends = 0;
        uint64_t last_end = 0, longest = 0;
        while (ends < 3 && now() < 4 * cpf) {
            cpu_test_step();
            if (emu_pending_request() != REQ_END_SLICE) continue;
            emu_take_request();
            ends++;
            if (ends > 1 && now() - last_end > longest) longest = now() - last_end;
            last_end = now();
        }
        EXPECT_EQ(ends, 3);
        EXPECT_LE(longest, cpf + 10);
        EXPECT_EQ(g_machine.frame.frame_counter - frames, 3u);
    }
}

TEST_F(MachineRequests, ASecondPostWaitsForTheFirst) {
    emu_post_request(REQ_FRAME_START);
    emu_post_request(REQ_POWER_SWITCH);
    emu_dispatch_request();
    EXPECT_EQ(g_machine.requests.event_request, uint32_t(REQ_POWER_SWITCH));
    EXPECT_NE(run_flags() & RUN_REQUEST, 0u);
    emu_dispatch_request();
    EXPECT_EQ(g_machine.requests.event_request, 0u);
    EXPECT_EQ(g_scheduler.countdown[EV_MFP_POWER], 1);
}

TEST_F(MachineRequests, RasterLineRewrite) {
    g_crtc.regs[CRTC_V_TOTAL] = 568;
    g_cpu_regs.cycles_per_frame = 181818;
    // A later line still ahead is timed from now.
    g_cpu_regs.cycles_in_frame = 1000;
    g_crtc.regs[CRTC_RASTER_INT] = 0x400 | 100;  // only the low 10 bits count
    dispatch(REQ_RASTER_LINE);
    EXPECT_EQ(g_crtc.regs[CRTC_RASTER_INT], 100);
    EXPECT_EQ(g_scheduler.countdown[EV_MFP_RASTER], 100 * 181818 / 568 - 1000);
    // A later line whose time has passed comes half a line later.
    g_scheduler.countdown[EV_MFP_RASTER] = 0;
    g_cpu_regs.cycles_in_frame = 100000;
    g_machine.frame.crtc_line = 50;
    dispatch(REQ_RASTER_LINE);
    EXPECT_EQ(g_scheduler.countdown[EV_MFP_RASTER], 181818 / 568 / 2);
    // A line at or before the current one schedules nothing.
    g_scheduler.countdown[EV_MFP_RASTER] = 0;
    g_machine.frame.crtc_line = 200;
    dispatch(REQ_RASTER_LINE);
    EXPECT_EQ(g_scheduler.countdown[EV_MFP_RASTER], 0);
}

TEST_F(MachineRequests, SettingsDecideWhatInputAndNmiRequestsSchedule) {
    struct Case {
        uint32_t code;
        int key, mouse, nmidebug;
        uint32_t key_bytes;
        int kind;
        int64_t after;
        uint32_t flags;
    };
    const int64_t cpf = 181818;
    const Case cases[] = {
        {REQ_KEY, 0, 0, 0, 3, 12, 0, 0},  // KEY off: the IOCS calls serve the keyboard
        {REQ_KEY, 1, 0, 0, 0, 12, 0, 0},  // nothing queued
        {REQ_KEY, 1, 0, 0, 3, 12, cpf * 46 / 182, 0},
        {REQ_MOUSE, 0, 0, 0, 0, EV_LEVEL + 5, 0, 0},
        {REQ_MOUSE, 0, 1, 0, 0, EV_LEVEL + 5, cpf * 24 / 182, 0},
        {REQ_NMI, 0, 0, 0, 0, EV_LEVEL + 7, 1, 0},
        {REQ_NMI, 0, 0, 1, 0, EV_LEVEL + 7, 0, RUN_STEP | RUN_BREAK},  // breaks into the debugger instead
    };
    g_cpu_regs.cycles_per_frame = uint32_t(cpf);
    for (const Case& c : cases) {
        for (auto& k : g_scheduler.countdown) k = 0;
        g_settings.key = c.key;
        g_settings.mouse = c.mouse;
        g_settings.nmidebug = c.nmidebug;
        g_keyboard.ring_count = int32_t(c.key_bytes);
        g_run_flags = 0;
        dispatch(c.code);
        EXPECT_EQ(g_scheduler.countdown[c.kind], c.after) << c.code;
        EXPECT_EQ(run_flags(), c.flags) << c.code;
    }
    g_settings.key = g_settings.mouse = g_settings.nmidebug = 0;
    g_keyboard.ring_count = 0;
}

TEST_F(MachineRequests, SchedulerOrderAndCancellation) {
    for (auto& c : g_scheduler.countdown) c = 0;
    sched_set_event(-1, 0);
    EXPECT_EQ(g_cpu_regs.cycle_deadline, 0xFFFFFFFFu);
    sched_set_event(9, 100);
    sched_set_event(3, 100);
    EXPECT_EQ(g_cpu_regs.event_kind, 3u);  // equal countdowns: the lower kind first
    g_cpu_regs.cycles = 500;               // both overdue: due at the next instruction, in order
    sched_set_event(-1, 0);
    EXPECT_EQ(g_scheduler.countdown[3], 1);
    EXPECT_EQ(g_scheduler.countdown[9], 1);
    EXPECT_EQ(g_cpu_regs.event_kind, 3u);
    sched_set_event(3, -5);
    EXPECT_EQ(g_scheduler.countdown[3], 0);
    EXPECT_EQ(g_cpu_regs.event_kind, 9u);
    // A countdown beyond 32 bits never truncates to an earlier deadline.
    sched_set_event(9, 0);
    sched_set_event(1, int64_t(1) << 33);
    EXPECT_EQ(g_cpu_regs.cycle_deadline, 0xFFFFFFFEu);
    EXPECT_EQ(g_cpu_regs.event_kind, uint32_t(EV_REFIND));
}

// Overdue kinds run in the order they fell due: a kind that falls due
// again and again every few cycles never keeps an earlier one waiting.
TEST_F(MachineRequests, OverdueKindsRunInTheOrderTheyFellDue) {
    for (auto& c : g_scheduler.countdown) c = 0;
    sched_set_event(EV_FRAME_START, 20);
    sched_set_event(EV_MFP_TIMER_D, 30);
    g_cpu_regs.cycles = 100;  // both overdue; the frame start fell due first
    sched_set_event(-1, 0);
    EXPECT_EQ(g_cpu_regs.event_kind, uint32_t(EV_FRAME_START));
    // The timer falling due again after 9 cycles still comes second.
    sched_set_event(EV_MFP_TIMER_D, 9);
    g_cpu_regs.cycles = 12;
    sched_set_event(-1, 0);
    EXPECT_EQ(g_cpu_regs.event_kind, uint32_t(EV_FRAME_START));
    sched_set_event(EV_FRAME_START, 0);
    EXPECT_EQ(g_cpu_regs.event_kind, uint32_t(EV_MFP_TIMER_D));
}

}  // namespace
