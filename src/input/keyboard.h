// Keyboard.
#pragma once

#include <cstdint>
#include <span>
#include <string>

// Text typed into the emulated keyboard from the command line (';' is typed
// as a carriage return).
extern std::string g_paste_text;
// Advances the typing of the paste text.
void key_type_pump();

// True for a Japanese keyboard on the host; the configuration then turns
// KEY on. The host's keyboard type is not looked at yet: false.
bool kbd_detect_type();

struct KeyboardState {
    uint32_t ring_count;  // key bytes waiting to be sent to the MFP
};
extern KeyboardState g_keyboard;
inline constexpr auto& g_key_ring_count = g_keyboard.ring_count;

// Power-on: no key byte waits; the built-in key map. The reset reads the
// key and pad map "AT2X.KEY" again and leaves the rest.
void key_power_on();
void key_reset();
std::span<const uint8_t> key_state();
