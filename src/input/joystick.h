// Joystick ports: host inputs (keyboard, host joysticks, an FM card's
// connector) through a pad table of "AT2X.KEY" onto the i8255's ports A
// and B, with autofire on odd frames.
#pragma once

#include <cstdint>

#include "machine/settings.h"

inline constexpr int JOY_PAD_TABLES = 6;  // JOYOUT 0-5
inline constexpr int JOY_SOURCES = 32;    // directions, buttons, autofire
inline constexpr int JOY_AUTOFIRE = 16;   // source k + 16: the autofire form of source k
inline constexpr int JOY_PORTS = 2;
inline constexpr uint16_t JOY_RAW_NONE = 0xFFFF;  // raw inputs are active low
// Raw input bits: directions, then buttons 1-12 from bit 4.
inline constexpr uint16_t JOY_UP = 0x001, JOY_DOWN = 0x002, JOY_LEFT = 0x004, JOY_RIGHT = 0x008;
inline constexpr int JOY_BUTTON_SHIFT = 4;
inline constexpr int JOY_POLLS_PER_READ = 30;  // host polls after the program's last PPI read

// JOY0 / JOY1: where a port's input comes from.
enum JoyMode : int32_t { JOY_NONE = 0, JOY_KEYBOARD = 1, JOY_POS = 2, JOY_POS_EX = 3, JOY_FM_CARD = 4 };

struct JoyPad {
    uint32_t y_low, y_high, x_low, x_high;  // axis thresholds
};

// The pad tables and the host devices; taken once at program start, not by a
// power-on. Every pad table starts with all bits set (no source acts).
struct JoystickState {
    uint32_t pad_tables[JOY_PAD_TABLES][JOY_SOURCES];  // output masks per host source
    JoyPad pad[JOY_PORTS];
    int32_t num_devs;            // host joysticks found
    int32_t fm_port;             // base port of the FM card found, 0 = none
    uint32_t source_generation;  // the host devices the thresholds were taken for
};

extern JoystickState g_joystick;
// The state at program start: no table defined.
JoystickState joy_initial_state();
// JOY0 or JOY1: the mode of port p.
inline int32_t joy_mode(int p) { return p == 0 ? g_settings.joy0 : g_settings.joy1; }

// Keyboard as joystick (ports in mode 1): the key records of the main window.
void joy_on_key_down(uint32_t vk);
void joy_on_key_up(uint32_t vk);
// Focus lost: ports in mode 1 release everything.
void joy_release_all();
uint16_t joy_key_to_buttons(uint32_t vk);
uint16_t joy_key_to_direction(uint32_t vk);

// Once per run slice with the focus: host devices while the program reads
// the ports. Devices that come or go are opened again first.
void joy_poll();
void joy_poll_pad(int p);
// raw[p] through the pad table onto port A (p 0) or B (p 1).
void joy_merge_state(int p);
// The device count and every device's axis thresholds; a device without
// caps takes the full 0-65535 range.
void joy_open_devices();
// The FM card's joystick connector: with a port in mode 4, the first of
// the card's ports that reads 0 (1 when found); its connector through the
// YM2203's I/O registers, -1 without a card.
int joy_probe_fm_port(JoystickState& j);
int32_t joy_read_fm_port(int p);
