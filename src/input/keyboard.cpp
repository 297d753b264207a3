#include "input/keyboard.h"

#include "input/keymap.h"
#include "machine/device.h"

std::string g_paste_text;
KeyboardState g_keyboard;

void key_type_pump() {}

bool kbd_detect_type() { return false; }

void key_power_on() {
    device_clear(g_keyboard);
    keymap_power_on();
}

void key_reset() { keymap_load(); }
std::span<const uint8_t> key_state() { return device_state_bytes(g_keyboard); }
