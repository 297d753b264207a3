#include "app/settings_apply.h"

#include "app/config.h"
#include "machine/machine.h"
#include "machine/scheduler.h"
#include "video/frame_buffer.h"

namespace {
// Entries 0-7: event time scale per SPEED; 8-15: slice step (tenths of a
// run slice per pass of the run loop) per SPEED.
constexpr uint32_t SPEED_TABLE[2 * SPEED_SETTINGS] = {10, 10, 10, 10, 10, 10, 10, 10,
                                                      10, 20, 30, 40, 80, 15, 10, 10};
} // namespace

void opt_set_speed_timing(int32_t speed) {
    if (speed < 0 || speed >= SPEED_SETTINGS) speed = 0;
    g_event_time_scale = SPEED_TABLE[speed];
    g_slice_step = SPEED_TABLE[speed + SPEED_SETTINGS];
}

void opt_apply_settings() {
    opt_set_speed_timing(g_cfg_speed);
    ddraw_setup();
}
