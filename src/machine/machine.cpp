#include "machine/machine.h"

MachineState g_machine;

void emu_post_request(uint32_t code) {
    g_event_request = code;
    run_flags_set(RUN_REQUEST);
}

void emu_end_slice() {
    g_slice_continue = 0;
    emu_post_request(REQ_END_SLICE);
}

uint32_t emu_dispatch_request() {
    run_flags_clear(RUN_REQUEST);
    uint32_t code = g_event_request;
    g_event_request = REQ_NONE;
    g_slice_continue = 1;
    switch (code) {
    case REQ_END_SLICE:
        g_slice_continue = 0;
        break;
    case REQ_VDISP_END:
        emu_end_slice();
        g_event_request = REQ_NONE;
        run_flags_clear(RUN_REQUEST);
        break;
    default:
        break;
    }
    return g_slice_continue;
}

void emu_opm_timer_a(int) {}
void emu_opm_timer_b(int) {}
