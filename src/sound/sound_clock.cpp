#include "sound/sound_clock.h"

#include "core/cpu_regs.h"
#include "machine/scheduler.h"

SoundClock g_sound_clock;

MixerTime sound_clock_now() {
    SoundClock& c = g_sound_clock;
    uint64_t cycles = g_scheduler.cycles_total + g_cpu_regs.cycles;
    uint32_t per_frame = g_cpu_regs.cycles_per_frame ? g_cpu_regs.cycles_per_frame : 1;
    if (cycles < c.last_cycles) c.last_cycles = cycles;  // the machine was powered on again
    // Time units of one cycle: (MIXER_RATE << FRAC) / (55 * cycles per frame).
    unsigned __int128 n =
        (unsigned __int128)(cycles - c.last_cycles) * (uint64_t(MIXER_RATE) << MIXER_FRAC_BITS) + c.rest;
    uint64_t d = FRAMES_PER_SECOND * per_frame;
    c.now += uint64_t(n / d);
    c.rest = uint64_t(n % d);
    c.last_cycles = cycles;
    return c.now;
}

void sound_clock_attach() {
    mixer_set_clock(sound_clock_now);
    mixer_reset();
}
