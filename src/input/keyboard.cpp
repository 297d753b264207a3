#include "input/keyboard.h"

#include "machine/device.h"

char g_paste_text[256];
KeyboardState g_keyboard;

void key_type_pump() {}

void key_power_on() { device_clear(g_keyboard); }
std::span<const uint8_t> key_state() { return device_state_bytes(g_keyboard); }
