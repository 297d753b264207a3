#include "machine/scheduler.h"

#include "core/cpu_regs.h"

Scheduler g_scheduler;
uint32_t g_event_time_scale = 10;
uint64_t g_cycles_total;

void sched_advance() {
    uint32_t run = g_cycles;
    for (int k = 0; k < SCHED_SLOTS; k++) {
        int64_t& c = g_scheduler.countdown[k];
        if (c <= 0) continue;
        // An overdue event stays due; overdue kinds come due in kind order.
        c = c <= int64_t(run) ? k + 1 : c - run;
    }
    g_cycles_in_frame += run;
    g_cycles_total += run;
    g_cycles_since_tick.fetch_add(run, std::memory_order_relaxed);
    g_cycles = 0;
}

void sched_find_next() {
    int64_t best = 0;
    int best_kind = -1;
    for (int k = 0; k < SCHED_SLOTS; k++) {
        int64_t c = g_scheduler.countdown[k];
        if (c > 0 && (best_kind < 0 || c < best)) {
            best = c;
            best_kind = k;
        }
    }
    if (best_kind < 0) {
        g_cycle_deadline = 0xFFFFFFFF;
        g_event_kind = EV_NONE;
    } else if (best >= 0xFFFFFFFF) {
        // Too far for the 32-bit deadline: look again when that much has run.
        g_cycle_deadline = 0xFFFFFFFE;
        g_event_kind = EV_REFIND;
    } else {
        g_cycle_deadline = uint32_t(best);
        g_event_kind = uint32_t(best_kind);
    }
}

void sched_set_event(int kind, int64_t t) {
    sched_advance();
    if (kind >= 0 && kind < SCHED_SLOTS) {
        int64_t c = t > 0 ? t * int64_t(g_event_time_scale) / 10 : 0;
        g_scheduler.countdown[kind] = c > 0 ? c : 0;
    }
    sched_find_next();
}

void sched_clear() {
    for (int k = 0; k < SCHED_SLOTS; k++) {
        bool video = k == 6 || k == 14 || k == 15 || k == EV_FRAME_START || k == EV_VSYNC_END ||
                     k == EV_VDISP_START || k == EV_VDISP_END;
        if (!video) g_scheduler.countdown[k] = 0;
    }
    sched_advance();
}
