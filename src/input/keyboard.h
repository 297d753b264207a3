// Keyboard.
#pragma once

#include <cstdint>
#include <span>

// Text typed into the emulated keyboard from the command line.
extern char g_paste_text[256];
// Advances the typing of the paste text.
void key_type_pump();

struct KeyboardState {
    uint32_t ring_count;  // key bytes waiting to be sent to the MFP
};
extern KeyboardState g_keyboard;
inline constexpr auto& g_key_ring_count = g_keyboard.ring_count;

// Power-on: no key byte waits. The reset line leaves it.
void key_power_on();
std::span<const uint8_t> key_state();
