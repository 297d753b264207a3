#include "sound/sndlib/ym2151_tables.h"

#include <cmath>

namespace sndlib {

const uint8_t OPM_DT1_TABLE[32][4] = {
    {0, 0, 1, 2},   {0, 0, 1, 2},   {0, 0, 1, 2},   {0, 0, 1, 2},   {0, 1, 2, 2},   {0, 1, 2, 3},   {0, 1, 2, 3},
    {0, 1, 2, 3},   {0, 1, 2, 4},   {0, 1, 3, 4},   {0, 1, 3, 4},   {0, 1, 3, 5},   {0, 2, 4, 5},   {0, 2, 4, 6},
    {0, 2, 4, 6},   {0, 2, 5, 7},   {0, 2, 5, 8},   {0, 3, 6, 8},   {0, 3, 6, 9},   {0, 3, 7, 10},  {0, 4, 8, 11},
    {0, 4, 8, 12},  {0, 4, 9, 13},  {0, 5, 10, 14}, {0, 5, 11, 16}, {0, 6, 12, 17}, {0, 6, 13, 19}, {0, 7, 14, 20},
    {0, 8, 16, 22}, {0, 8, 16, 22}, {0, 8, 16, 22}, {0, 8, 16, 22},
};
const uint16_t OPM_DT2_STEPS[4] = {0, 384, 500, 608};
const uint8_t OPM_PMS_SHIFT[8] = {0, 12, 11, 10, 9, 8, 6, 5};

static OpmTables build() {
    OpmTables t{};
    const double pi = std::acos(-1.0);
    // The chip's two ROMs of 256 entries: a quarter sine as -log2(sin) x 256
    // (12 bits), and the power table's 10-bit mantissas (2^(i/256) - 1) x 1024.
    uint16_t logsin_rom[256], exp_rom[256];
    for (int i = 0; i < 256; ++i) {
        logsin_rom[i] = uint16_t(std::lround(-std::log2(std::sin((i + 0.5) * pi / 512.0)) * 256.0));
        exp_rom[i] = uint16_t(std::lround((std::exp2(i / 256.0) - 1.0) * 1024.0));
    }
    // Phase bit 8 mirrors the quarter, bit 9 is the sign.
    for (int i = 0; i < 1024; ++i) {
        int q = (i & 256) ? ~i & 255 : i & 255;
        t.logsin[i] = uint16_t(logsin_rom[q] | ((i & 512) ? OPM_LOGSIN_NEG : 0));
    }
    // Attenuation: the inverted fraction picks the mantissa, the implied 1
    // goes on top, and the integer part shifts it right, truncating.
    for (int i = 0; i < OPM_EXP_SIZE; ++i) t.exp[i] = int16_t(((exp_rom[~i & 255] | 0x400) << 2) >> (i >> 8));
    // Octave 0 of note code x; 440 Hz at octave 4, semitone 8 on a 3.579545 MHz chip.
    for (int x = 0; x < OPM_NOTE_STEPS; ++x) {
        double hz_at_chip = 440.0 * std::exp2(-4.0 + (x - 512) / 768.0) / 3579545.0;
        t.note_inc[x] = uint64_t(std::llround(hz_at_chip * 64.0 * 4294967296.0 * 65536.0));
    }
    for (int r = 0; r < 64; ++r) {
        int k = r >> 2, f = r & 3;
        static const uint8_t low[4][8] = {
            {0, 1, 0, 1, 0, 1, 0, 1}, {0, 1, 0, 1, 1, 1, 0, 1}, {0, 1, 1, 1, 0, 1, 1, 1}, {0, 1, 1, 1, 1, 1, 1, 1}};
        static const uint8_t high[4][8] = {
            {1, 1, 1, 1, 1, 1, 1, 1}, {1, 1, 1, 2, 1, 1, 1, 2}, {1, 2, 1, 2, 1, 2, 1, 2}, {1, 2, 2, 2, 1, 2, 2, 2}};
        for (int i = 0; i < 8; ++i) {
            if (r < 2) t.eg_step[r][i] = 0;
            else if (r < 48) t.eg_step[r][i] = low[f][i];
            else if (r < 60) t.eg_step[r][i] = uint8_t(high[f][i] << (k - 12));
            else t.eg_step[r][i] = 8;
        }
        t.eg_shift[r] = uint8_t(r < 48 ? 11 - k : 0);
    }
    for (int u = -OPM_PM_MAX; u <= OPM_PM_MAX; ++u) t.pm_factor[u + OPM_PM_MAX] = float(std::exp2(u / 768.0));
    return t;
}

const OpmTables& opm_tables() {
    static const OpmTables tables = build();
    return tables;
}

// 52.9 Hz at LFRQ $FF on a 3.579545 MHz chip; each 16 steps double it, the
// low 4 bits add sixteenths.
double opm_lfo_hz(uint8_t lfrq, uint32_t clock) {
    int e = lfrq >> 4, m = lfrq & 15;
    return 52.9 * (double(clock) / 3579545.0) * std::exp2(e - 15) * (16 + m) / 31.0;
}

}  // namespace sndlib
