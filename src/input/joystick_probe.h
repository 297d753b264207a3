// The joystick port of an FM card on the host. No such port is looked for yet.
#pragma once

#include "input/joystick.h"

inline void joy_probe_fm_port(JoystickState&) {}
