// The sound's clock: emulated time from the CPU cycles run, one frame of
// g_cpu_regs.cycles_per_frame cycles being 1/55 s. The mixer reads it (mixer_set_clock).
#pragma once

#include "host/audio_mixer.h"

inline constexpr uint64_t FRAMES_PER_SECOND = 55;

// The mixer's side of the clock: it outlives a machine power-on (mixer
// time never goes back), so it is no device of the start-up list.
struct SoundClock {
    uint64_t last_cycles;  // g_scheduler.cycles_total + g_cpu_regs.cycles at the last reading
    MixerTime now;
    uint64_t rest;  // remainder of the last conversion, in cycles x 55
};
extern SoundClock g_sound_clock;

// Now in mixer time. Never goes back: a machine power-on that clears the
// cycle count only moves its base.
MixerTime sound_clock_now();
// Hands the clock to the mixer and resets the mixer at now.
void sound_clock_attach();
