// The event scheduler: one countdown in CPU cycles per event kind, and the
// handler each device registered for its kinds.
#pragma once

#include <cstdint>
#include <span>

inline constexpr int SCHED_SLOTS = 30;

enum EventKind : int {
    // Kinds 0-15 raise MFP channels 0-15 (EV_MFP_CHANNEL + channel).
    EV_MFP_CHANNEL = 0,
    EV_MFP_RTC_ALARM = 0,  // GPIP 0
    EV_MFP_POWER = 2,      // GPIP 2, the power switch
    EV_MFP_OPM = 3,        // GPIP 3, the YM2151's interrupt
    EV_MFP_TIMER_D = 4,
    EV_MFP_TIMER_C = 5,
    EV_MFP_VDISP = 6,     // GPIP 4, V-DISP
    EV_MFP_RX_FULL = 12,  // USART receive buffer full (keyboard)
    EV_MFP_TIMER_A = 13,
    EV_MFP_RASTER = 14,  // GPIP 6, CRTC raster interrupt
    EV_MFP_HSYNC = 15,   // GPIP 7
    // Kinds 16-23 raise interrupt levels 0-7 (EV_LEVEL + level).
    EV_LEVEL = 16,
    EV_LEVEL_DMA = 19,   // level 3, DMA controller
    EV_LEVEL_MIDI = 20,  // level 4, MIDI board timer
    EV_LEVEL_SCC = 21,   // level 5, SCC (mouse)
    EV_LEVEL_NMI = 23,   // level 7, NMI switch
    EV_FRAME_START = 24,
    EV_VSYNC_END = 25,
    EV_OPM_TIMER_A = 26,
    EV_OPM_TIMER_B = 27,
    EV_VDISP_START = 28,
    EV_VDISP_END = 29,
    EV_REFIND = 30,  // no kind due within 32 bits of cycles: recompute then
    EV_NONE = 31,    // nothing scheduled
};

struct Scheduler {
    uint32_t timer_id;  // the host timer's, 0 while none runs
    // The state view: countdown, due and cycles_total.
    // Cycles until each kind falls due; 0 or less: not scheduled.
    int64_t countdown[SCHED_SLOTS];
    // Scheduler time (cycles_total) at which each scheduled kind falls
    // due; overdue kinds run in this order.
    uint64_t due[SCHED_SLOTS];
    uint64_t cycles_total;           // every cycle the scheduler has taken in
    uint32_t event_time_scale = 10;  // times are scaled by this / 10
    // Cycles run in each of the last 32 host timer ticks, and the running
    // index of the last entry stored (used modulo 32): only the tick
    // writes them (machine/host_timer.cpp).
    uint32_t tick_ring[32];
    uint32_t tick_ring_index;
};

extern Scheduler g_scheduler;

// Schedules kind to fall due after time cycles (0 cancels); kind -1 only
// recomputes the next event.
void sched_set_event(int kind, int64_t time);
// Moves the cycles run into the countdowns.
void sched_advance();
void sched_find_next();
// Cancels everything but the video timing kinds.
void sched_clear();
// Power-on: cancels every kind and clears the clock. The time scale,
// the host timer and its tick ring stay.
void sched_power_on();
std::span<const uint8_t> sched_state();

// Handlers run when their kind falls due (sched_dispatch, core/boundary.h).
// Each device registers its own kinds at start-up; a kind without one does
// nothing.
using EventHandler = void (*)(uint32_t kind);
void sched_register(int first_kind, int count, EventHandler handler);
