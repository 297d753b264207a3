// Bringing the running system in line with the settings.
#pragma once

#include <cstdint>

// Event time scale and slice step for SPEED (0-7; any other value counts as 0, x1).
void opt_set_speed_timing(int speed);
// Speed timing, MIDI devices, PERFORM without a counter, the keyboard and
// ADPCM IOCS calls, the joystick FM port, the display set-up.
void opt_apply_settings();
