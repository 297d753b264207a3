// The machine record: run flags, machine requests and main RAM.
#pragma once

#include <cstdint>
#include <span>

#include "core/boundary.h"
#include "core/cpu_regs.h"

struct MachineRequests {
    uint32_t event_request;    // the pending request, REQ_NONE when none
    uint32_t queued_requests;  // bit per code posted while another waited
    uint32_t slice_continue;
};

struct MachineState {
    uint8_t* main_ram;  // allocated by the memory map
    uint32_t main_ram_size;
    MachineRequests requests;
};

extern MachineState g_machine;


// Power-on of the request record, the frame counters and the scheduler;
// registers the video timing and interrupt-level events.
void machine_power_on();
std::span<const uint8_t> machine_state();

// Requests: emu_post_request and emu_dispatch_request (core/boundary.h).
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
