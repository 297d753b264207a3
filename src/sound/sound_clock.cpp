#include "sound/sound_clock.h"

#include "core/cpu_regs.h"
#include "machine/scheduler.h"

namespace {

uint64_t s_last_cycles;  // g_scheduler.cycles_total + g_cpu_regs.cycles at the last reading
MixerTime s_now;
uint64_t s_rest;         // remainder of the last conversion, in cycles x 55

} // namespace

MixerTime sound_clock_now() {
    uint64_t cycles = g_scheduler.cycles_total + g_cpu_regs.cycles;
    uint32_t per_frame = g_cpu_regs.cycles_per_frame ? g_cpu_regs.cycles_per_frame : 1;
    if (cycles < s_last_cycles) s_last_cycles = cycles;  // the machine was powered on again
    // Time units of one cycle: (MIXER_RATE << FRAC) / (55 * cycles per frame).
    unsigned __int128 n = (unsigned __int128)(cycles - s_last_cycles) * (uint64_t(MIXER_RATE) << MIXER_FRAC_BITS) + s_rest;
    uint64_t d = FRAMES_PER_SECOND * per_frame;
    s_now += uint64_t(n / d);
    s_rest = uint64_t(n % d);
    s_last_cycles = cycles;
    return s_now;
}

void sound_clock_attach() {
    mixer_set_clock(sound_clock_now);
    mixer_reset();
}
