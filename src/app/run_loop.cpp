#include "app/run_loop.h"

#include <cstdio>

#include "app/disk_panel.h"
#include "app/disk_panel_perf.h"
#include "core/cpu_regs.h"
#include "machine/host_timer.h"
#include "machine/machine.h"
#include "machine/settings.h"
#include "machine/ui_notice.h"
#include "sound/fm_card.h"
#include "sound/sound_host.h"

int g_stop_request;
uint32_t g_stats_time;
uint32_t g_draw_count;
std::string g_debug_text[DEBUG_TEXT_LINES];

namespace {

void update_statistics(RunLoopHost& host) {
    uint32_t now = host.now_ms();
    if (int32_t(now - (g_stats_time + STATS_INTERVAL_MS)) <= 0) return;
    uint32_t elapsed = now - g_stats_time;
    g_stats_time = now;
    if (elapsed == 0) return;
    char line[96];
    std::snprintf(line, sizeof line, "draw= %u  vsync=%u cycle.base=%u", g_draw_count * 1000 / elapsed,
                  g_machine.frame.vsync_count * 1000 / elapsed, uint32_t(g_cpu_regs.cycles_per_frame));
    g_debug_text[1] = line;
    std::snprintf(line, sizeof line, "pc=%08x sr=%04x sp=%08x", uint32_t(g_cpu_regs.pc), uint32_t(g_cpu_regs.sr),
                  g_cpu_regs.r[15]);
    g_debug_text[0] = line;
    std::string title = panel_stats_title(g_cpu_regs.cycles_per_frame, g_machine.frame.vsync_count, g_draw_count,
                                          elapsed, g_settings.frame != 0);
    g_machine.frame.vsync_count = 0;
    g_draw_count = 0;
    host.show_statistics(title);
}

bool breaking() { return (run_flags() & RUN_BREAK) != 0; }

}  // namespace

uint32_t RunLoopHost::slice_step() { return g_slice_step; }

void dlg_run_main_loop(RunLoopHost& host, uint32_t step_flag) {
    g_stop_request = 0;
    clock_start_timer();
    host.choose_pixel_format();
    uint32_t step = host.slice_step();
    uint32_t tenths = 0;
    uint32_t background_passes = 0;
    for (;;) {
        if (!host.pump()) break;
        // A stop request ends the loop whatever the focus: unfocused with
        // BACKG 0 no pass would ever come to it.
        if (g_stop_request) break;
        bool focus = host.has_focus();
        // Losing the focus keys every FM channel off while output still reaches the card.
        if (g_ui_notice.has_focus && !focus) fmcard_all_off(g_fmcard);
        g_ui_notice.has_focus = focus;
        g_fmcard.output_on = focus;  // g_fm_output_on
        if (!focus) {
            if (g_settings.backg == 0) {
                host.wait_event(UNFOCUSED_WAIT_MS);
                continue;
            }
            if ((background_passes++ & BACKG_PASS_MASK) != 0) continue;
        }
        tenths += step;
        bool frame_ready = false;
        for (uint32_t n = tenths / SLICE_STEP_ONE; n > 0; n--) {
            perf_mark_start(PERF_MPU);
            host.run_slice(step_flag);
            host.take_notice();
            sound_host_poll();
            perf_mark_end(PERF_MPU);
            perf_elapsed(PERF_MPU);
            clock_virtual_poll();
            if (breaking()) break;
            if (focus) host.poll_joystick();
            if (g_machine.requests.event_request == REQ_END_SLICE) {
                frame_ready = true;
                emu_take_request();
            }
            int& countdown = g_ui_notice.panel_refresh_countdown;
            if (countdown && --countdown == 0) host.refresh_panel();
            update_statistics(host);
        }
        tenths %= SLICE_STEP_ONE;
        if (breaking()) break;
        step = host.slice_step();
        if (frame_ready) {
            g_draw_count++;
            host.draw_frame();
        }
    }
    clock_stop_timer();
}
