// CRTC register image.
#pragma once

#include <cstdint>

// R00-R24 as host words; emulated byte k of $E80000 is image byte k ^ 1.
extern uint16_t g_crtc_regs[25];

inline uint32_t crtc_reg(unsigned n) { return g_crtc_regs[n]; }
