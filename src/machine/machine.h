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

// The frame counters and the line the picture is at.
struct MachineFrame {
    uint32_t frame_counter;
    uint32_t vsync_count;
    uint16_t crtc_line;    // CRTC line last set, from the frame start
    uint32_t raster_line;  // raster line of the picture, 0-511
};

struct MachineState {
    uint8_t* main_ram;  // allocated by the memory map
    uint32_t main_ram_size;
    // The state view: the requests and the frame, which follow each other.
    MachineRequests requests;
    MachineFrame frame;
};

extern MachineState g_machine;

// Power-on of the request record and the frame counters; registers the
// video timing and interrupt-level events (the scheduler's power-on comes
// first).
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

extern uint32_t g_slice_step;  // slices per main-loop pass, in tenths
