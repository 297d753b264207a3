// The periodic host timer and frame pacing. Each tick samples the cycles
// run since the last one and sets the cycle budget of the next frame; it
// also paces the clock chip's refreshes from the host time.
#pragma once

#include <cstdint>

#include "machine/scheduler.h"

inline constexpr uint32_t CLOCK_PERIOD_MS = 20;          // shortest tick period used
inline constexpr uint32_t CLOCK_RING_START = 90155;      // starting value of every ring entry
inline constexpr uint32_t CLOCK_START_BUDGET = 162279;   // cycles per frame until the first tick
inline constexpr uint32_t CLOCK_FLOOR = 181818;          // 10 MHz at 55 frames a second
inline constexpr uint32_t CLOCK_FLOOR_MINCLOCK = 90909;  // 5 MHz, with MINCLOCK
inline constexpr uint32_t VIRTUAL_TICK_CYCLES = 200000;  // cycles per tick of the virtual clock

// Cycles run in each of the last 32 ticks, and the running index of the
// last entry stored (used modulo 32). Only the tick writes them.
inline constexpr auto& g_tick_ring = g_scheduler.tick_ring;
extern uint32_t g_tick_ring_index;

// What drives the ticks: a host thread every 20 ms, or a virtual clock that
// ticks once per 200,000 emulated cycles (tests and headless runs).
enum class ClockPacing { HostThread, Virtual };
// Takes effect at the next clock_start_timer.
void clock_set_pacing(ClockPacing pacing);

// Starts the ticks unless they run; resets the ring, the budget and the
// frame counter. A failure is shown and leaves the timer stopped.
void clock_start_timer();
// Stops the ticks; no tick runs after it returns. The budget keeps its value.
void clock_stop_timer();
// Starting values of the ring, the frame budget, the cycles per frame and
// the frame counter. Also run before the program starts, so that a frame
// stepped before the timer ever ran has its cycles.
void clock_init_budget();
// One tick of the host thread: takes the cycles run since the last tick.
void clock_timer_tick();
// Virtual clock: runs one tick for every 200,000 cycles the scheduler has
// counted since the last tick, keeping the rest for later. Does nothing
// unless the virtual clock runs. Called between CPU bursts, never per
// instruction.
void clock_virtual_poll();

// Tick period for a host whose shortest period is min_period_ms.
inline uint32_t clock_timer_period_ms(uint32_t min_period_ms) {
    return min_period_ms > CLOCK_PERIOD_MS ? min_period_ms : CLOCK_PERIOD_MS;
}
// The budget of the next frame, read safely beside the timer thread.
uint32_t clock_frame_budget();
