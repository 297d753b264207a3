// Glue to the external sound library.
#pragma once

#include <cstdint>

// PCM8 function groups served through the library.
extern uint8_t g_pcm8_fn_served[16];
void sndlib_pcm8_call();
