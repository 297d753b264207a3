#include "machine/scheduler.h"

#include <cstddef>

#include "core/boundary.h"
#include "core/cpu_regs.h"

Scheduler g_scheduler;

static EventHandler s_handlers[EV_NONE + 1];

void sched_register(int first_kind, int count, EventHandler handler) {
    for (int k = first_kind; k < first_kind + count && k <= EV_NONE; k++)
        if (k >= 0) s_handlers[k] = handler;
}

void sched_dispatch(uint32_t kind) {
    if (kind == EV_REFIND) {
        sched_set_event(-1, 0);
        return;
    }
    if (kind <= EV_NONE && s_handlers[kind]) s_handlers[kind](kind);
}

void sched_advance() {
    uint32_t run = g_cpu_regs.cycles;
    for (int k = 0; k < SCHED_SLOTS; k++) {
        int64_t& c = g_scheduler.countdown[k];
        if (c <= 0) continue;
        // An overdue kind stays due at the next instruction; its due time
        // keeps its place among the others.
        c = c <= int64_t(run) ? 1 : c - run;
    }
    g_cpu_regs.cycles_in_frame += run;
    g_scheduler.cycles_total += run;
    g_cpu_regs.cycles_since_tick.fetch_add(run, std::memory_order_relaxed);
    g_cpu_regs.cycles = 0;
}

// The next kind: the earliest due time, the lower kind on a tie.
void sched_find_next() {
    int best_kind = -1;
    for (int k = 0; k < SCHED_SLOTS; k++) {
        if (g_scheduler.countdown[k] <= 0) continue;
        if (best_kind < 0 || g_scheduler.due[k] < g_scheduler.due[best_kind]) best_kind = k;
    }
    if (best_kind < 0) {
        g_cpu_regs.cycle_deadline = 0xFFFFFFFF;
        g_cpu_regs.event_kind = EV_NONE;
        return;
    }
    int64_t best = g_scheduler.countdown[best_kind];
    if (g_scheduler.due[best_kind] <= g_scheduler.cycles_total) {
        // Overdue: due at once, at the next check however few cycles run.
        g_cpu_regs.cycle_deadline = 0;
        g_cpu_regs.event_kind = uint32_t(best_kind);
    } else if (best >= 0xFFFFFFFF) {
        // Too far for the 32-bit deadline: look again when that much has run.
        g_cpu_regs.cycle_deadline = 0xFFFFFFFE;
        g_cpu_regs.event_kind = EV_REFIND;
    } else {
        g_cpu_regs.cycle_deadline = uint32_t(best);
        g_cpu_regs.event_kind = uint32_t(best_kind);
    }
}

void sched_set_event(int kind, int64_t t) {
    sched_advance();
    if (kind >= 0 && kind < SCHED_SLOTS) {
        int64_t c = t > 0 ? t * int64_t(g_scheduler.event_time_scale) / 10 : 0;
        g_scheduler.countdown[kind] = c > 0 ? c : 0;
        g_scheduler.due[kind] = g_scheduler.cycles_total + uint64_t(c > 0 ? c : 0);
    }
    sched_find_next();
}

static bool video_timing_kind(int k) {
    return k == EV_MFP_VDISP || k == EV_MFP_RASTER || k == EV_MFP_HSYNC || k == EV_FRAME_START || k == EV_VSYNC_END ||
           k == EV_VDISP_START || k == EV_VDISP_END;
}

void sched_clear() {
    for (int k = 0; k < SCHED_SLOTS; k++)
        if (!video_timing_kind(k)) g_scheduler.countdown[k] = 0;
    sched_advance();
}

void sched_power_on() {
    for (int k = 0; k < SCHED_SLOTS; k++) {
        g_scheduler.countdown[k] = 0;
        g_scheduler.due[k] = 0;
    }
    g_cpu_regs.cycles = 0;
    g_scheduler.cycles_total = 0;
    g_cpu_regs.cycles_in_frame = 0;
    sched_find_next();
}

static_assert(offsetof(Scheduler, cycles_total) == offsetof(Scheduler, due) + sizeof(Scheduler::due) &&
              offsetof(Scheduler, due) == offsetof(Scheduler, countdown) + sizeof(Scheduler::countdown));
std::span<const uint8_t> sched_state() {
    const auto* first = reinterpret_cast<const uint8_t*>(g_scheduler.countdown);
    return {first, reinterpret_cast<const uint8_t*>(&g_scheduler.cycles_total + 1)};
}
