// Fixed tables of the YM2151: log-sine and power tables, note steps,
// DT1 offsets, envelope rates and the LFO's frequency.
#pragma once

#include <cstdint>

namespace sndlib {

inline constexpr int OPM_EXP_SIZE = 8192;           // 13-bit attenuation in 1/256 octave
inline constexpr int OPM_OUT_MAX = 8168;            // an operator's peak: (1024 + 1018) << 2
inline constexpr uint16_t OPM_LOGSIN_NEG = 0x8000;  // sign bit of a log-sine entry
inline constexpr int OPM_NOTE_STEPS = 768;          // 64 fractions x 12 semitones per octave
inline constexpr int OPM_ENV_MAX = 1023;

struct OpmTables {
    uint16_t logsin[1024];              // -log2|sin| x 256, sign in bit 15
    int16_t exp[OPM_EXP_SIZE];          // the power ROM's output for attenuation i
    uint64_t note_inc[OPM_NOTE_STEPS];  // octave 0 phase step, 16 fraction bits
    uint8_t eg_shift[64];               // envelope ticks between steps = 1 << shift
    uint8_t eg_step[64][8];             // step size in turn
    float pm_factor[2 * 512 + 1];       // 2^(u/768) for u = -512..512 (1/64 semitone)
};
const OpmTables& opm_tables();

// DT1 offset in units of clock/64/2^20 Hz, by key code >> 2 and DT1 1-3.
extern const uint8_t OPM_DT1_TABLE[32][4];
// DT2 in 1/64 semitone: +0, +600, +781, +950 cents.
extern const uint16_t OPM_DT2_STEPS[4];
// PMS 1-7: LFO x PMD shifted right by these gives the pitch offset in
// 1/64 semitone: full depths 6.25, 12.5, 25, 50, 100, 400 and 800 cents.
extern const uint8_t OPM_PMS_SHIFT[8];
inline constexpr int OPM_PM_MAX = 512;  // largest offset, 1/64 semitone

// LFO frequency in Hz for LFRQ at clock.
double opm_lfo_hz(uint8_t lfrq, uint32_t clock);
// Noise generator steps per sample, as a fraction num / (32 - NFRQ).
inline uint32_t opm_noise_period(uint8_t nfrq) { return 32u - (nfrq & 31u); }

}  // namespace sndlib
