// Keyboard.
#pragma once

#include <cstdint>

// Text typed into the emulated keyboard from the command line.
extern char g_paste_text[256];
// Advances the typing of the paste text.
void key_type_pump();

// Key bytes waiting to be sent to the MFP.
extern uint32_t g_key_ring_count;
