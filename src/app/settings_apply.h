// Bringing the running system in line with the settings.
#pragma once

#include <cstdint>

inline constexpr int32_t SPEED_SETTINGS = 8;  // SPEED 0-7 (6 and 7 have no button: x1)

// Event time scale and run-loop slice step for a SPEED value: x1, x2, x3,
// x4, x8, x1.5, x1, x1.
void opt_set_speed_timing(int32_t speed);

// Brings the running system in line with the settings, after a load or a
// change of the options: speed, MIDI output, the IOCS call switches, the FM
// card's joystick port and the display-mode switcher.
void opt_apply_settings();
