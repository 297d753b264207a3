// Glue to the external sound library.
#pragma once

#include <cstdint>

#include "core/boundary.h"  // pcm8_call_served, sndlib_pcm8_call

// PCM8 function groups served through the library.
extern uint8_t g_pcm8_fn_served[16];
// The FM setting of the external sound library.
inline constexpr int FM_EXTERNAL_LIBRARY = 4;
