// The sound's clock: emulated time from the CPU cycles run, one frame of
// g_cpu_regs.cycles_per_frame cycles being 1/55 s. The mixer reads it (mixer_set_clock).
#pragma once

#include "host/audio_mixer.h"

inline constexpr uint64_t FRAMES_PER_SECOND = 55;

// Now in mixer time. Never goes back: a machine power-on that clears the
// cycle count only moves its base.
MixerTime sound_clock_now();
// Hands the clock to the mixer and resets the mixer at now.
void sound_clock_attach();
