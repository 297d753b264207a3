// The machine record: run flags, machine requests and main RAM.
#pragma once

#include <atomic>
#include <cstdint>

// Run flags: any nonzero value ends the instruction loop after the current instruction.
inline constexpr uint32_t RUN_STEP = 1;     // stop after one instruction
inline constexpr uint32_t RUN_BREAK = 2;    // watch hit, power-off, debugger
inline constexpr uint32_t RUN_REQUEST = 4;  // machine request pending
inline constexpr uint32_t RUN_RTC_TICK = 8; // host timer tick

// Machine request codes.
enum MachineRequest : uint32_t {
    REQ_NONE = 0,
    REQ_RESCHEDULE = 2,
    REQ_RASTER_LINE = 3,
    REQ_FRAME_START = 5,
    REQ_END_SLICE = 6,
    REQ_VIDEO_MODE = 7,
    REQ_RTC_ACCESS = 10,
    REQ_NMI = 11,
    REQ_VSYNC_END = 14,
    REQ_MOUSE = 16,
    REQ_KEY = 17,
    REQ_RTC_TICK = 18,
    REQ_POWER_SWITCH = 19,
    REQ_VDISP_START = 23,
    REQ_VDISP_END = 24,
    REQ_RASTER_HIT = 25,
};

struct MachineState {
    uint8_t* main_ram;
    uint32_t main_ram_size;
    std::atomic<uint32_t> run_flags;
    uint32_t event_request;
    uint32_t slice_continue;
};

extern MachineState g_machine;

inline constexpr auto& g_main_ram = g_machine.main_ram;
inline constexpr auto& g_main_ram_size = g_machine.main_ram_size;
inline constexpr auto& g_run_flags = g_machine.run_flags;
inline constexpr auto& g_event_request = g_machine.event_request;
inline constexpr auto& g_slice_continue = g_machine.slice_continue;

inline void run_flags_set(uint32_t bits) { g_run_flags.fetch_or(bits, std::memory_order_relaxed); }
inline void run_flags_clear(uint32_t bits) { g_run_flags.fetch_and(~bits, std::memory_order_relaxed); }
inline uint32_t run_flags() { return g_run_flags.load(std::memory_order_relaxed); }

// Posts a machine request: the loop stops after the current instruction and
// the run driver hands the code to emu_dispatch_request.
void emu_post_request(uint32_t code);
// Handles the pending request; returns g_slice_continue.
uint32_t emu_dispatch_request();
void emu_end_slice();
// Takes the pending request away (the main loop taking request 6); a queued one follows.
void emu_take_request();
// Forgets every pending and queued request (machine reset).
void emu_clear_requests();
// Runs a slice (flags 0) or one instruction (flags 1).
void init_run_slice(uint32_t flags);
// Sets the CRTC line and the raster line of the displayed picture from it.
void emu_set_raster_line(uint32_t n);

extern uint32_t g_frame_counter;
extern uint32_t g_vsync_count;
extern uint32_t g_slice_step;   // slices per main-loop pass, in tenths
extern uint16_t g_crtc_line;    // CRTC line last set, from the frame start
extern uint32_t g_raster_line;  // raster line of the picture, 0-511
// OPM timer expiry: reschedules the timer's event.
void emu_opm_timer_a(int restart);
void emu_opm_timer_b(int restart);
