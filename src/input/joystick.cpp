#include "input/joystick.h"

JoystickState g_joystick;
