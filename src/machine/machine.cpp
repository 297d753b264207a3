// The machine record and the machine requests handled between CPU bursts.
#include "machine/machine.h"

#include <cstddef>
#include <cstring>

#include "core/cpu_loop.h"
#include "core/cpu_regs.h"
#include "core/exceptions.h"
#include "input/keyboard.h"
#include "machine/device.h"
#include "machine/host_timer.h"
#include "machine/memory_map.h"
#include "machine/mfp.h"
#include "machine/rtc.h"
#include "machine/scheduler.h"
#include "machine/settings.h"
#include "storage/drive_slots.h"
#include "video/crtc.h"
#include "video/palette.h"
#include "video/sprite.h"
#include "video/video_state.h"

MachineState g_machine;
uint32_t g_slice_step = 10;


uint32_t emu_pending_request() { return g_machine.requests.event_request; }
const uint8_t* emu_main_ram() { return g_machine.main_ram; }
uint32_t emu_main_ram_size() { return g_machine.main_ram_size; }

void emu_post_request(uint32_t code) {
    if (g_machine.requests.event_request == REQ_NONE || g_machine.requests.event_request == code)
        g_machine.requests.event_request = code;
    else if (code < 32) g_machine.requests.queued_requests |= 1u << code;
    run_flags_set(RUN_REQUEST);
}

// Makes the next queued code the pending one.
static void emu_promote_queued_request() {
    if (g_machine.requests.event_request != REQ_NONE || g_machine.requests.queued_requests == 0) return;
    uint32_t code = uint32_t(__builtin_ctz(g_machine.requests.queued_requests));
    g_machine.requests.queued_requests &= ~(1u << code);
    g_machine.requests.event_request = code;
    run_flags_set(RUN_REQUEST);
}

void emu_take_request() {
    g_machine.requests.event_request = REQ_NONE;
    run_flags_clear(RUN_REQUEST);
    emu_promote_queued_request();
}

void emu_clear_requests() {
    g_machine.requests.queued_requests = 0;
    g_machine.requests.event_request = REQ_NONE;
    run_flags_clear(RUN_REQUEST);
}

void emu_end_slice() {
    g_machine.requests.slice_continue = 0;
    emu_post_request(REQ_END_SLICE);
}

void init_run_slice(uint32_t flags) {
    g_cpu_regs.op_addr = g_cpu_regs.pc;
    // A clock tick that arrived between slices is kept.
    run_flags_clear(~RUN_RTC_TICK);
    run_flags_set(flags);
    clock_publish_settings();
    cpu_run();
    clock_publish_settings();
}

void emu_set_raster_line(uint32_t n) {
    g_machine.frame.crtc_line = uint16_t(n);
    int32_t line = int32_t(n) - int32_t(crtc_reg(CRTC_V_DISP_START));
    g_machine.frame.raster_line = uint32_t(line < 0 ? 0 : line > 511 ? 511 : line);
}

// Lines per frame: R04, or 567 for a CRTC not programmed yet.
static uint32_t frame_lines() {
    uint32_t lines = crtc_reg(CRTC_V_TOTAL);
    return lines <= 64 ? 567 : lines;
}

// Cycles from the frame start to line n.
static int64_t line_time(uint32_t n, uint32_t lines) {
    return int64_t(n) * int64_t(g_cpu_regs.cycles_per_frame) / int64_t(lines);
}

static void frame_start(uint32_t lines) {
    g_machine.frame.frame_counter++;
    g_machine.frame.vsync_count++;
    g_mfp.regs[MFP_GPIP] &= uint8_t(~GPIP_VDISP);
    g_cpu_regs.cycles_in_frame = 0;
    // The budget is written by the timer thread.
    g_cpu_regs.cycles_per_frame = clock_frame_budget();
    clock_publish_settings();
    sched_set_event(EV_FRAME_START, g_cpu_regs.cycles_per_frame);
    uint32_t r5 = crtc_reg(CRTC_V_SYNC_END), r6 = crtc_reg(CRTC_V_DISP_START);
    uint32_t r7 = crtc_reg(CRTC_V_DISP_END), r9 = crtc_reg(CRTC_RASTER_INT);
    sched_set_event(EV_VSYNC_END, line_time(r5 >= 1 && r5 <= lines ? r5 : 5, lines));
    sched_set_event(EV_VDISP_START, line_time(r6 >= 1 && r6 <= lines ? r6 : 40, lines));
    // The display end ends the slice: one at or past the total would fall
    // with the next frame start, which moves it on, and the frame never ends.
    uint32_t end = r7 != 0 ? r7 : 552;
    if (end >= lines) end = lines - 8;
    sched_set_event(EV_VDISP_END, line_time(end, lines));
    int64_t raster =
        r9 != 0 ? line_time(r9, lines) : (int64_t(crtc_reg(CRTC_V_TOTAL)) - 1) * g_cpu_regs.cycles_per_frame / lines;
    sched_set_event(EV_MFP_RASTER, raster);
    emu_set_raster_line(0);
    emu_latch_video_state();
    panel_tick_leds();
}

// The sprite resolution and the video controller take effect at the display
// start and at raster hits in the upper picture.
static void latch_display_registers() {
    if (g_sprite_area) g_sprite_unit.resolution = spr_area_word(SPR_RESOLUTION);
    std::memcpy(g_pal.vc_latch, g_pal.vc_regs, sizeof g_pal.vc_latch);
}

static void raster_line_changed(uint32_t lines) {
    uint32_t r9 = crtc_reg(CRTC_RASTER_INT) & CRTC_RASTER_MASK;
    g_crtc.regs[CRTC_RASTER_INT] = uint16_t(r9);
    int32_t t = int32_t(uint32_t(line_time(r9, lines)) - g_cpu_regs.cycles - g_cpu_regs.cycles_in_frame);
    if (t > 0) sched_set_event(EV_MFP_RASTER, t);
    else if (uint16_t(r9) > g_machine.frame.crtc_line)
        sched_set_event(EV_MFP_RASTER, (g_cpu_regs.cycles_per_frame / lines) / 2);
}

// Timer A counts V-DISP edges in event-count mode.
static void mfp_timer_a_count() {
    if ((g_mfp.regs[MFP_TACR] & 0x0F) != 8) return;
    uint8_t& counter = g_mfp.regs[MFP_TADR];
    counter = uint8_t(counter - 1);
    if (counter != 0) return;
    counter = mfp_reload(MFP_TADR);
    if (g_mfp.regs[MFP_IERA] & IER_TIMER_A) sched_set_event(EV_MFP_TIMER_A, 1);
}

// V-DISP edge: interrupt and timer A count on the edge that AER selects.
static void vdisp_edge(bool rising) {
    bool on_rising = (g_mfp.regs[MFP_AER] & GPIP_VDISP) != 0;
    if (rising != on_rising) return;
    if (g_mfp.regs[MFP_IERB] & IER_VDISP) sched_set_event(EV_MFP_VDISP, 10);
    mfp_timer_a_count();
}

uint32_t emu_dispatch_request() {
    run_flags_clear(RUN_REQUEST);
    uint32_t code = g_machine.requests.event_request;
    g_machine.requests.event_request = REQ_NONE;
    g_machine.requests.slice_continue = 1;
    uint32_t lines = frame_lines();
    switch (code) {
    case REQ_RESCHEDULE: sched_set_event(-1, 0); break;
    case REQ_RASTER_LINE: raster_line_changed(lines); break;
    case REQ_FRAME_START: frame_start(lines); break;
    case REQ_VIDEO_MODE: mem_map_set_gvram(); break;
    case REQ_RTC_ACCESS: rtc_access_request(); break;
    case REQ_RTC_TICK: rtc_update_from_host(); break;
    // Keyboard bytes and mouse packets are spaced by fractions of a frame.
    case REQ_MOUSE:
        if (g_settings.mouse) sched_set_event(EV_LEVEL_SCC, int64_t(g_cpu_regs.cycles_per_frame) * 24 / 182);
        break;
    case REQ_KEY: key_schedule_next_byte(); break;
    case REQ_NMI:
        if (g_settings.nmidebug) g_run_flags = RUN_STEP | RUN_BREAK;
        else sched_set_event(EV_LEVEL_NMI, 1);
        break;
    case REQ_VSYNC_END:
        sched_set_event(EV_VSYNC_END, 0);
        emu_set_raster_line(crtc_reg(CRTC_V_SYNC_END));
        break;
    case REQ_POWER_SWITCH: sched_set_event(EV_MFP_POWER, 1); break;
    case REQ_VDISP_START:
        g_mfp.regs[MFP_GPIP] |= GPIP_VDISP;
        vdisp_edge(true);
        sched_set_event(EV_VDISP_START, 0);
        emu_set_raster_line(crtc_reg(CRTC_V_DISP_START));
        latch_display_registers();
        break;
    case REQ_VDISP_END:
        g_mfp.regs[MFP_GPIP] &= uint8_t(~GPIP_VDISP);
        vdisp_edge(false);
        emu_set_raster_line(crtc_reg(CRTC_V_DISP_END));
        if (g_sprite_unit.snapshot_count) {
            g_sprite_unit.cur_raster = g_machine.frame.raster_line;
            spr_take_snapshot();
        }
        emu_end_slice();
        sched_set_event(EV_VDISP_END, 0);
        break;
    case REQ_RASTER_HIT:
        g_mfp.regs[MFP_GPIP] |= GPIP_RASTER;
        emu_set_raster_line(crtc_reg(CRTC_RASTER_INT));
        sched_set_event(EV_MFP_RASTER, 0);
        g_sprite_unit.cur_raster = g_machine.frame.raster_line;
        if (g_machine.frame.raster_line > 0) g_sprite_unit.armed = 1;
        if (g_machine.frame.raster_line < 128) latch_display_registers();
        break;
    default: break;
    }
    emu_promote_queued_request();
    return g_machine.requests.slice_continue;
}

// The video timing and interrupt-level events post their requests.
static void request_event(uint32_t kind) {
    switch (kind) {
    case EV_FRAME_START: emu_post_request(REQ_FRAME_START); break;
    case EV_VSYNC_END: emu_post_request(REQ_VSYNC_END); break;
    case EV_VDISP_START: emu_post_request(REQ_VDISP_START); break;
    case EV_VDISP_END: emu_post_request(REQ_VDISP_END); break;
    default: break;
    }
}

static void level_event(uint32_t kind) {
    g_scheduler.countdown[kind] = 0;
    emu_post_request(REQ_RESCHEDULE);
    sched_set_event(-1, 0);
    cpu_raise_level_interrupt(kind - EV_LEVEL);
}

void machine_power_on() {
    device_clear(g_machine.requests);
    device_clear(g_machine.frame);
    // Level 0 is no interrupt.
    sched_register(EV_LEVEL + 1, 7, level_event);
    sched_register(EV_FRAME_START, 2, request_event);
    sched_register(EV_VDISP_START, 2, request_event);
}

static_assert(offsetof(MachineState, frame) == offsetof(MachineState, requests) + sizeof(MachineRequests));
std::span<const uint8_t> machine_state() {
    const auto* first = reinterpret_cast<const uint8_t*>(&g_machine.requests);
    return {first, reinterpret_cast<const uint8_t*>(&g_machine.frame + 1)};
}
