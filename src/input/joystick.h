// Joystick ports: host inputs mapped onto the pads the machine sees.
#pragma once

#include <cstdint>

inline constexpr int JOY_PAD_TABLES = 6;   // JOYOUT 0-5
inline constexpr int JOY_SOURCES = 32;     // directions, buttons, autofire
inline constexpr int JOY_PORTS = 2;

struct JoyPad {
    uint32_t y_low, y_high, x_low, x_high; // axis thresholds
    int32_t mode;                          // JOY0 / JOY1: host input 0-4
};

struct JoystickState {
    uint32_t pad_tables[JOY_PAD_TABLES][JOY_SOURCES]; // output masks per host source
    JoyPad pad[JOY_PORTS];
    int32_t g_cfg_joyout; // JOYOUT: the pad table used
    int32_t num_devs;     // host joysticks found
    int32_t fm_port;      // base port of the FM card found, 0 = none
    int32_t poll_countdown;
};

extern JoystickState g_joystick;
inline constexpr auto& g_cfg_joy0 = g_joystick.pad[0].mode;
inline constexpr auto& g_cfg_joy1 = g_joystick.pad[1].mode;
inline constexpr auto& g_cfg_joyout = g_joystick.g_cfg_joyout;
