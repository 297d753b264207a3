// Fixed tables of the YM2151: log-sine and power tables, note steps,
// DT1 offsets, envelope rates and the LFO's frequency.
#pragma once

#include <cstdint>

namespace sndlib {

inline constexpr int OPM_EXP_SIZE = 8192;           // attenuation in 1/256 octave up to here
inline constexpr uint16_t OPM_LOGSIN_NEG = 0x8000;  // sign bit of a log-sine entry
inline constexpr int OPM_NOTE_STEPS = 768;          // 64 fractions x 12 semitones per octave
inline constexpr int OPM_ENV_MAX = 1023;

struct OpmTables {
    uint16_t logsin[1024];              // -log2|sin| x 256, sign in bit 15
    int16_t exp[OPM_EXP_SIZE];          // 8191 x 2^(-i/256)
    uint64_t note_inc[OPM_NOTE_STEPS];  // octave 0 phase step, 16 fraction bits
    uint8_t eg_shift[64];               // envelope ticks between steps = 1 << shift
    uint8_t eg_step[64][8];             // step size in turn
    float pm_factor[2 * 1792 + 1];      // 2^(u/3072) for u = -1792..1792 (1/256 semitone)
};
const OpmTables& opm_tables();

// DT1 offset in units of clock/64/2^20 Hz, by key code >> 2 and DT1 1-3.
extern const uint8_t OPM_DT1_TABLE[32][4];
// DT2 in 1/64 semitone: +0, +600, +781, +950 cents.
extern const uint16_t OPM_DT2_STEPS[4];
// PMS: full depth in cents for PMS 0-7.
extern const uint16_t OPM_PMS_CENTS[8];
inline constexpr int OPM_PM_UNITS_PER_CENT_X100 = 256;  // 1/256 semitone = 100/256 cents

// LFO frequency in Hz for LFRQ at clock.
double opm_lfo_hz(uint8_t lfrq, uint32_t clock);
// Noise generator steps per sample, as a fraction num / (32 - NFRQ).
inline uint32_t opm_noise_period(uint8_t nfrq) { return 32u - (nfrq & 31u); }

}  // namespace sndlib
