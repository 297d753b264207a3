#include "machine/scheduler.h"

#include "core/cpu_regs.h"

Scheduler g_scheduler;

// Moves the cycles run into the countdowns. An event already due stays due.
static void sched_advance() {
    uint32_t run = g_cycles;
    g_cycles = 0;
    g_cycles_in_frame += run;
    for (auto& c : g_scheduler.countdown) {
        if (c <= 0) continue;
        c -= run;
        if (c <= 0) c = 1;
    }
}

void sched_set_event(int kind, int64_t time) {
    sched_advance();
    if (kind >= 0 && kind < SCHED_SLOTS) g_scheduler.countdown[kind] = time > 0 ? time : 0;
    int64_t best = 0x7FFFFFFF;
    int best_kind = 0;
    for (int k = 0; k < SCHED_SLOTS; k++) {
        int64_t c = g_scheduler.countdown[k];
        if (c > 0 && c < best) {
            best = c;
            best_kind = k;
        }
    }
    g_cycle_deadline = uint32_t(best);
    g_event_kind = uint32_t(best_kind);
}
