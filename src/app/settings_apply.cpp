#include "app/settings_apply.h"

#include "firmware/iocs_switches.h"
#include "input/joystick.h"
#include "machine/machine.h"
#include "machine/scheduler.h"
#include "machine/settings.h"
#include "sound/fm_card.h"
#include "sound/midi_devices.h"
#include "sound/sndlib.h"
#include "sound/sound_models.h"
#include "video/frame_buffer.h"

namespace {
// Entries 0-7: event time scale per SPEED; 8-15: slice step (tenths of a
// run slice per pass of the run loop) per SPEED.
constexpr uint32_t SPEED_TABLE[2 * SPEED_SETTINGS] = {10, 10, 10, 10, 10, 10, 10, 10, 10, 20, 30, 40, 80, 15, 10, 10};
}  // namespace

void opt_set_speed_timing(int32_t speed) {
    if (speed < 0 || speed >= SPEED_SETTINGS) speed = 0;
    g_scheduler.event_time_scale = SPEED_TABLE[speed];
    g_slice_step = SPEED_TABLE[speed + SPEED_SETTINGS];
}

// The host always has a steady clock, so PERFORM stays as set.
void opt_apply_settings() {
    opt_set_speed_timing(g_settings.speed);
    midi_check_devices(g_settings);
    trap_set_keyboard_calls();
    sound_models_select(g_settings.fm, g_settings.fmpcm8);
    if (!(g_settings.fmpcm8 && g_settings.fm == FM_EXTERNAL_LIBRARY)) trap_set_adpcm_calls();
    joy_probe_fm_port(g_joystick);
    ddraw_setup();
}
