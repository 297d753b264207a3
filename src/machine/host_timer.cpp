#include "machine/host_timer.h"

#include <atomic>

#include "core/cpu_regs.h"
#include "host/message_box.h"
#include "host/periodic_timer.h"
#include "machine/machine.h"
#include "machine/rtc.h"
#include "machine/settings.h"
#include "machine/system_port.h"
#include "video/crtc.h"

ClockShared g_clock_shared;

namespace {

constexpr const char* TIMER_CAPTION = "タイマー割り当て";
constexpr const char* NO_TIMER_TEXT = "タイマーが使用出来ません。\nタイマーを解放してZOLMを再起動してください。";
constexpr const char* START_FAILED_TEXT = "timeSetEventに失敗しました。\nタイマーを解放してZOLMを再起動してください。";

// Ten times the emulated frames in 32 ticks of 20 ms, by display mode:
// 61.4, 55.5 and 53.1 frames a second.
constexpr uint32_t RING_FRAMES_X10[3] = {393, 355, 340};

constexpr uint8_t SYS_DISPLAY_MODE_BIT = 0x02;

ClockPacing s_pacing = ClockPacing::HostThread;
ClockPacing s_running_pacing = ClockPacing::HostThread;
uint32_t s_last_timer_id;
// Never destroyed, so that the machine's destructor can still stop it at exit.
PeriodicTimer* s_thread_timer;

// On the emulation thread.
uint32_t display_mode() {
    if (g_crtc.regs[CRTC_MODE] & CRTC_MODE_HIGH_RES) return 1;
    if (g_sys.regs[SYS_DISPLAY] & SYS_DISPLAY_MODE_BIT) return 2;
    return 0;
}

uint32_t published_inputs() { return g_clock_shared.inputs.load(std::memory_order_relaxed); }

uint32_t budget_from_ring(uint32_t floor) {
    uint64_t sum = 0;
    for (uint32_t e : g_scheduler.tick_ring) sum += e;
    // Divide first: the budget is a whole number of ten-cycle steps.
    uint64_t budget = sum / RING_FRAMES_X10[published_inputs() & CLOCK_IN_DISPLAY_MODE] * 10;
    if (budget < floor) return floor;
    return budget > UINT32_MAX ? UINT32_MAX : uint32_t(budget);
}

// The tick proper, with the cycles it takes. ran is false when no cycle ran
// at all since the last tick; the ring then keeps its entries.
void tick_with(uint32_t cycles, bool ran) {
    if (ran) {
        g_scheduler.tick_ring_index++;
        g_scheduler.tick_ring[g_scheduler.tick_ring_index % 32] = cycles;
    }
    uint32_t inputs = published_inputs();
    uint32_t floor = (inputs & CLOCK_IN_MINCLOCK) ? CLOCK_FLOOR_MINCLOCK : CLOCK_FLOOR;
    uint32_t budget = (inputs & CLOCK_IN_FRAME) ? budget_from_ring(floor) : floor;
    g_clock_shared.frame_budget.store(budget, std::memory_order_relaxed);
    if (rtc_holdoff_tick()) run_flags_set(RUN_RTC_TICK);
}

uint32_t next_timer_id() {
    if (++s_last_timer_id == 0) s_last_timer_id = 1;
    return s_last_timer_id;
}

// A frame stepped before the timer ever started needs its cycles too.
const bool s_budget_ready = (clock_init_budget(), true);

}  // namespace

void clock_set_pacing(ClockPacing pacing) { s_pacing = pacing; }

void clock_publish_settings() {
    uint32_t inputs = display_mode() | (g_settings.frame ? CLOCK_IN_FRAME : 0) |
                      (g_settings.minclock ? CLOCK_IN_MINCLOCK : 0) |
                      (g_cpu_regs.cycles != 0 ? CLOCK_IN_CYCLES_PENDING : 0);
    g_clock_shared.inputs.store(inputs, std::memory_order_relaxed);
}

void clock_init_budget() {
    for (uint32_t& e : g_scheduler.tick_ring) e = CLOCK_RING_START;
    g_clock_shared.frame_budget.store(CLOCK_START_BUDGET, std::memory_order_relaxed);
    g_cpu_regs.cycles_per_frame = CLOCK_START_BUDGET;
    g_machine.frame.frame_counter = 0;
    // Cycles run while no timer ran belong to no tick.
    g_cpu_regs.cycles_since_tick.store(0, std::memory_order_relaxed);
}

void clock_start_timer() {
    if (g_scheduler.timer_id != 0) return;
    if (s_pacing == ClockPacing::Virtual) {
        clock_init_budget();
        s_running_pacing = ClockPacing::Virtual;
        g_scheduler.timer_id = next_timer_id();
        return;
    }
    uint32_t min_period = periodic_timer_min_period_ms();
    if (min_period == 0) {
        host_message_box(NO_TIMER_TEXT, TIMER_CAPTION, MB_PLAIN);
        return;
    }
    // The ring, the budget and the inputs are set before the thread can tick.
    clock_init_budget();
    clock_publish_settings();
    if (!s_thread_timer) s_thread_timer = new PeriodicTimer;
    if (!s_thread_timer->start(clock_timer_period_ms(min_period), clock_timer_tick)) {
        host_message_box(START_FAILED_TEXT, TIMER_CAPTION, MB_PLAIN);
        return;
    }
    s_running_pacing = ClockPacing::HostThread;
    g_scheduler.timer_id = next_timer_id();
}

void clock_stop_timer() {
    if (g_scheduler.timer_id != 0 && s_running_pacing == ClockPacing::HostThread && s_thread_timer)
        s_thread_timer->stop();
    g_scheduler.timer_id = 0;
}

void clock_timer_tick() {
    uint32_t s = g_cpu_regs.cycles_since_tick.exchange(0, std::memory_order_relaxed);
    // Cycles not yet handed to the scheduler count for a later tick.
    bool ran = s != 0 || (published_inputs() & CLOCK_IN_CYCLES_PENDING);
    tick_with(s, ran);
}

void clock_virtual_poll() {
    if (g_scheduler.timer_id == 0 || s_running_pacing != ClockPacing::Virtual) return;
    clock_publish_settings();
    while (g_cpu_regs.cycles_since_tick.load(std::memory_order_relaxed) >= VIRTUAL_TICK_CYCLES) {
        g_cpu_regs.cycles_since_tick.fetch_sub(VIRTUAL_TICK_CYCLES, std::memory_order_relaxed);
        tick_with(VIRTUAL_TICK_CYCLES, true);
    }
}

uint32_t clock_frame_budget() { return g_clock_shared.frame_budget.load(std::memory_order_relaxed); }
