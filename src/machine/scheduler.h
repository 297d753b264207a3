// The event scheduler: one countdown in CPU cycles per event kind.
#pragma once

#include <cstdint>

inline constexpr int SCHED_SLOTS = 30;

enum EventKind : int {
    EV_MFP_CHANNEL = 0,
    EV_LEVEL = 16,
    EV_FRAME_START = 24,
    EV_VSYNC_END = 25,
    EV_OPM_TIMER_A = 26,
    EV_OPM_TIMER_B = 27,
    EV_VDISP_START = 28,
    EV_VDISP_END = 29,
    EV_REFIND = 30,   // no kind due within 32 bits of cycles: recompute then
    EV_NONE = 31,     // nothing scheduled
};

struct Scheduler {
    uint32_t timer_id;
    int64_t countdown[SCHED_SLOTS];
    uint32_t tick_ring[32];
};

extern Scheduler g_scheduler;
extern uint32_t g_event_time_scale; // times are scaled by this / 10
extern uint64_t g_cycles_total;     // every cycle the scheduler has taken in

// Schedules kind to fall due after time cycles (0 cancels); kind -1 only
// recomputes the next event.
void sched_set_event(int kind, int64_t time);
// Moves the cycles run into the countdowns.
void sched_advance();
void sched_find_next();
// Cancels everything but the video timing kinds.
void sched_clear();
