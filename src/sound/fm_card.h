// FM card record: the OPM register image and the FM settings.
#pragma once

#include <cstdint>

struct FmCard {
    uint8_t opm_regs[256]; // byte 0 holds the timer status
};

extern FmCard g_fmcard;
extern int g_cfg_fm;      // FM back end (4 = external sound library)
extern int g_cfg_fmpcm8;  // serve PCM8 calls through the library
