// The periodic host timer and frame pacing. Each tick samples the cycles
// run since the last one and sets the cycle budget of the next frame; it
// also paces the clock chip's refreshes from the host time.
#pragma once

#include <atomic>
#include <cstdint>

#include "machine/scheduler.h"

inline constexpr uint32_t CLOCK_PERIOD_MS = 20;          // shortest tick period used
inline constexpr uint32_t CLOCK_RING_START = 90155;      // starting value of every ring entry
inline constexpr uint32_t CLOCK_START_BUDGET = 162279;   // cycles per frame until the first tick
inline constexpr uint32_t CLOCK_FLOOR = 181818;          // 10 MHz at 55 frames a second
inline constexpr uint32_t CLOCK_FLOOR_MINCLOCK = 90909;  // 5 MHz, with MINCLOCK
inline constexpr uint32_t VIRTUAL_TICK_CYCLES = 200000;  // cycles per tick of the virtual clock

// The words the emulation thread and the timer thread share: all atomic,
// so neither thread ever reads a word the other writes plainly.
struct ClockShared {
    std::atomic<uint32_t> frame_budget;  // written by the tick, read at each frame start
    // What the tick needs of the machine, published by the emulation thread
    // (clock_publish_settings): CLOCK_IN_* bits.
    std::atomic<uint32_t> inputs;
};
extern ClockShared g_clock_shared;
inline constexpr uint32_t CLOCK_IN_DISPLAY_MODE = 0x03;    // 0, 1 (31 kHz) or 2
inline constexpr uint32_t CLOCK_IN_FRAME = 0x04;           // FRAME setting on
inline constexpr uint32_t CLOCK_IN_MINCLOCK = 0x08;        // MINCLOCK setting on
inline constexpr uint32_t CLOCK_IN_CYCLES_PENDING = 0x10;  // cycles ran that the scheduler has not taken yet
// Publishes the display mode, the FRAME and MINCLOCK settings and whether
// cycles wait in the run loop. Called on the emulation thread at each
// slice's start and end, each frame start and a timer start.
void clock_publish_settings();

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
