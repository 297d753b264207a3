// YM2151 against the chip: its ROMs, the levels and spectra they give, the
// noise's level, the LFO's noise wave and the PM depths.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "sound/sndlib/opm_fixture.h"
#include "sound/sndlib/signal.h"
#include "sound/sndlib/ym2151.h"
#include "sound/sndlib/ym2151_tables.h"

using namespace sndlib;
using opmtest::Chip;
using opmtest::RATE;

namespace {

// The chip's arithmetic from its two ROMs as read off the die: a quarter
// sine of -log2(sin) x 256, and 10-bit mantissas of 2^(i/256) - 1.
struct Rom {
    int logsin[256], exp[256];
    Rom() {
        const double pi = std::acos(-1.0);
        for (int i = 0; i < 256; ++i) {
            logsin[i] = int(std::lround(-std::log2(std::sin((i + 0.5) * pi / 512)) * 256));
            exp[i] = int(std::lround((std::exp2(i / 256.0) - 1) * 1024));
        }
    }
    // An operator at a 10-bit phase and a 10-bit attenuation.
    int out(int phase, int att) const {
        int q = phase & 255;
        if (phase & 256) q = 255 - q;
        int l = logsin[q] + att * 4;
        int v = l >= 16 * 256 ? 0 : ((1024 + exp[255 - (l & 255)]) * 4) >> (l >> 8);
        return (phase & 512) ? -v : v;
    }
    double sine_rms(int att) const {
        double s = 0;
        for (int p = 0; p < 1024; ++p) s += double(out(p, att)) * out(p, att);
        return std::sqrt(s / 1024);
    }
};

// Samples after a key on before the first envelope tick ends the attack.
constexpr size_t KEY_ON_SILENT = 2;

// One channel on the chip's ROMs: the connection's graph, M1's feedback
// from its last two outputs, a modulator's output halved into the phase.
std::vector<double> rom_channel(const Rom& rom, int con, int fb, const int (&tl)[4], uint32_t inc, size_t n) {
    enum { M1 = 1, M2 = 2, C1 = 4, C2 = 8 };
    struct Graph {
        int into_c1, into_m2, into_c2, heard;
    } static const graphs[8] = {
        {M1, C1, M2, C2},     {0, M1 | C1, M2, C2},       {0, C1, M1 | M2, C2},     {M1, 0, C1 | M2, C2},
        {M1, 0, M2, C1 | C2}, {M1, M1, M1, C1 | M2 | C2}, {M1, 0, 0, C1 | M2 | C2}, {0, 0, 0, M1 | M2 | C1 | C2},
    };
    const Graph& g = graphs[con];
    uint32_t phase = 0;
    int prev[2] = {0, 0};
    std::vector<double> x(n);
    for (size_t s = 0; s < n; ++s) {
        phase += inc;
        if (s < KEY_ON_SILENT) continue;
        int p = int(phase >> 22);
        int out[9] = {};
        auto sum = [&](int from) {
            return ((from & M1 ? out[M1] : 0) + (from & M2 ? out[M2] : 0) + (from & C1 ? out[C1] : 0) +
                    (from & C2 ? out[C2] : 0));
        };
        out[M1] = rom.out((p + (fb ? (prev[0] + prev[1]) >> (10 - fb) : 0)) & 1023, tl[OP_M1] * 8);
        prev[1] = prev[0];
        prev[0] = out[M1];
        out[C1] = rom.out((p + (sum(g.into_c1) >> 1)) & 1023, tl[OP_C1] * 8);
        out[M2] = rom.out((p + (sum(g.into_m2) >> 1)) & 1023, tl[OP_M2] * 8);
        out[C2] = rom.out((p + (sum(g.into_c2) >> 1)) & 1023, tl[OP_C2] * 8);
        x[s] = sum(g.heard);
    }
    return x;
}

// The phase step of key code kc with MUL 1, from the note table.
uint32_t note_step(int kc) {
    int code = kc & 15;
    return uint32_t((opm_tables().note_inc[(code - code / 4) * 64] << ((kc >> 4) & 7)) >> 16);
}

// Levels of harmonics 1..count of f0 in dB against the strongest.
std::vector<double> harmonics_db(const std::vector<double>& x, double f0, int count) {
    size_t n = sigtest::pow2_at_most(x.size());
    auto mag = sigtest::spectrum(x, n);
    std::vector<double> h;
    for (int k = 1; k <= count; ++k) {
        size_t bin = size_t(std::lround(k * f0 * n / RATE)), best = 0;
        for (size_t i = bin - 3; i <= bin + 3; ++i) best = mag[i] > mag[best] ? i : best;
        h.push_back(20 * std::log10(mag[best] + 1e-9));
    }
    double top = *std::max_element(h.begin(), h.end());
    for (double& v : h) v = std::max(v - top, -80.0);
    return h;
}

}  // namespace

TEST(SoundLibYm2151Chip, TablesHoldTheChipsRoms) {
    const OpmTables& t = opm_tables();
    // The first log-sine entries and the first power mantissas as read off the die.
    static const uint16_t logsin_die[8] = {0x859, 0x6C3, 0x607, 0x58B, 0x52E, 0x4E4, 0x4A6, 0x471};
    static const uint16_t exp_die[16] = {0, 3, 6, 8, 11, 14, 17, 20, 22, 25, 28, 31, 34, 37, 40, 42};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(t.logsin[i], logsin_die[i]) << i;
    for (int i = 0; i < 16; ++i) EXPECT_EQ(t.exp[255 - i], (1024 + exp_die[i]) << 2) << i;
    // The quarter mirrored, the sign in the second half.
    for (int i : {0, 100, 255}) {
        EXPECT_EQ(t.logsin[511 - i], t.logsin[i]);
        EXPECT_EQ(t.logsin[512 + i], t.logsin[i] | OPM_LOGSIN_NEG);
    }
    EXPECT_EQ(t.logsin[255], 0);
    // Peak 8168 (mantissa 1018); each octave of attenuation halves, truncating.
    EXPECT_EQ(t.exp[0], OPM_OUT_MAX);
    EXPECT_EQ(t.exp[256], OPM_OUT_MAX >> 1);
    EXPECT_EQ(t.exp[11 * 256 + 255], 2);
    EXPECT_EQ(t.exp[12 * 256], 1);
    EXPECT_EQ(t.exp[13 * 256], 0);
}

// A sine's level against TL down to 127, from the chip's ROMs: the power
// table's truncation makes the low levels coarser than 0.75 dB a step, and
// silent from TL 104 (an attenuation of 13 octaves).
TEST(SoundLibYm2151Chip, SineLevelFollowsTlDownTo127) {
    Rom rom;
    const double full_rom = rom.sine_rms(0);
    auto level = [](int tl) {
        Chip c;
        c.voice();
        c.w(OPM_REG_TL + 24, tl);
        c.note(0, 0x4A);
        c.key_on();
        auto x = c.run(16384 + 64);
        return sigtest::rms(x, 64);
    };
    const double full = level(0);
    EXPECT_NEAR(full, full_rom, 2);
    for (int tl = 1; tl <= 127; ++tl) {
        double got = level(tl), want = rom.sine_rms(tl * 8);
        if (want == 0) EXPECT_EQ(got, 0) << "TL " << tl;
        else EXPECT_NEAR(sigtest::db(got, full), sigtest::db(want, full_rom), 0.1) << "TL " << tl;
    }
    // As measured on the chip.
    EXPECT_NEAR(sigtest::db(level(64), full), -48.3, 0.1);
    EXPECT_NEAR(sigtest::db(level(96), full), -77.0, 0.1);
}

// Feedback 7 on every connection: the harmonics of the library's channel
// against the same channel computed from the chip's ROMs.
TEST(SoundLibYm2151Chip, FeedbackSevenSpectraFollowTheRoms) {
    Rom rom;
    const int tl[4] = {0, 20, 12, 0};  // M1, M2, C1, C2
    const int kc = 0x4A;
    const uint32_t inc = note_step(kc);
    const double f0 = inc / 4294967296.0 * RATE;
    for (int con = 0; con < 8; ++con) {
        Chip c;
        c.voice(0, con);
        c.w(OPM_REG_RL_FB_CON, 0xC0 | (7 << 3) | con);
        for (int op = 0; op < 4; ++op) c.w(OPM_REG_TL + 8 * op, tl[op]);
        c.note(0, kc);
        c.key_on();
        c.run(6000);
        auto got = harmonics_db(c.run(65536), f0, 24);
        auto ref = rom_channel(rom, con, 7, tl, inc, 6000 + 65536);
        auto want = harmonics_db(std::vector<double>(ref.begin() + 6000, ref.end()), f0, 24);
        double mg = 0, mw = 0, sgw = 0, sgg = 0, sww = 0;
        for (size_t k = 0; k < got.size(); ++k) {
            mg += got[k] / got.size();
            mw += want[k] / want.size();
        }
        for (size_t k = 0; k < got.size(); ++k) {
            sgw += (got[k] - mg) * (want[k] - mw);
            sgg += (got[k] - mg) * (got[k] - mg);
            sww += (want[k] - mw) * (want[k] - mw);
            if (want[k] > -40) { EXPECT_NEAR(got[k], want[k], 1.0) << "connection " << con << " harmonic " << k + 1; }
        }
        EXPECT_GT(sgw / std::sqrt(sgg * sww), 0.99) << "connection " << con;
    }
}

// Noise on channel 7's C2: its amplitude is linear in the attenuation,
// (1023 - attenuation) << 2, whatever the table of sines does.
TEST(SoundLibYm2151Chip, NoiseLevelIsLinearInTheAttenuation) {
    auto level = [](int ch, int tl, bool noise) {
        Chip c;
        c.voice(ch);
        if (noise) c.w(OPM_REG_NOISE, 0x80 | 20);
        c.w(OPM_REG_TL + 24 + ch, tl);
        c.note(ch, 0x4A);
        c.key_on(ch);
        return sigtest::rms(c.run(16384 + 64), 64);
    };
    const double full = level(7, 0, true);
    EXPECT_DOUBLE_EQ(full, OPM_ENV_MAX << 2);
    // Between 9 and 3 dB below a full sine on the chip.
    double below_sine = sigtest::db(full, level(0, 0, false));
    EXPECT_GE(below_sine, -9.1);
    EXPECT_LE(below_sine, -2.9);
    for (int tl : {1, 8, 16, 32, 64, 96, 127})
        EXPECT_NEAR(sigtest::db(level(7, tl, true), full), sigtest::db(OPM_ENV_MAX - 8 * tl, OPM_ENV_MAX), 0.01)
            << "TL " << tl;
    // As measured on the chip.
    struct Case {
        int tl;
        double db;
    } chip[] = {{8, -0.56}, {16, -1.16}, {32, -2.50}};
    for (auto k : chip) EXPECT_NEAR(sigtest::db(level(7, k.tl, true), full), k.db, 0.01) << "TL " << k.tl;
}

namespace {
// A voice with the LFO's noise wave at lfrq, AMD or PMD 127 (pm picks) and
// the channel's PMS/AMS byte.
Chip noise_lfo_voice(int ch, int lfrq, bool pm, int pms_ams, int kc) {
    Chip c;
    c.voice(ch);
    if (ch == 7) c.w(OPM_REG_NOISE, 0x80 | 20);
    c.w(OPM_REG_LFRQ, lfrq);
    c.w(OPM_REG_CT_W, 3);
    c.w(OPM_REG_PMD_AMD, (pm ? 0x80 : 0) | 127);
    c.w(OPM_REG_PMS_AMS + ch, pms_ams);
    c.w(OPM_REG_AMSEN_D1R + 24 + ch, 0x80);
    c.note(ch, kc);
    c.key_on(ch);
    return c;
}
// Extremes of per-block levels (dB) or pitches (cents against hz).
std::pair<double, double> block_range(const std::vector<double>& x, size_t block, double hz) {
    double lo = 1e9, hi = -1e9;
    for (size_t i = 0; i + block <= x.size(); i += block) {
        std::vector<double> b(x.begin() + long(i), x.begin() + long(i + block));
        double v = hz ? 1200 * std::log2(sigtest::peak_hz(b, RATE) / hz) : sigtest::db(sigtest::rms(b), 1);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    return {lo, hi};
}
}  // namespace

// The noise wave takes a new random value at each of the LFO's 256 steps a
// period: counted on the noise channel, whose amplitude shows the AM of each
// sample; and its depth, AM and PM, as the chip gives it.
TEST(SoundLibYm2151Chip, LfoNoiseWaveStepsAtEveryLfoStep) {
    for (int lfrq : {0x40, 0x60, 0xA0, 0xC0, 0xE0}) {
        Chip c = noise_lfo_voice(7, lfrq, false, 0x01, 0x4A);
        auto x = c.run(size_t(RATE));
        int changes = 0;
        for (size_t i = 1; i < x.size(); ++i) changes += std::fabs(x[i]) != std::fabs(x[i - 1]);
        double want = 256 * opm_lfo_hz(uint8_t(lfrq), OPM_DEFAULT_CLOCK);
        EXPECT_NEAR(changes / want, 1.0, 0.03 + 2 / want) << "LFRQ " << lfrq;
    }
    // AM depth, AMS 1: random levels over up to 23.9 dB (the chip: 22 dB).
    for (int lfrq : {0x40, 0x60}) {
        Chip c = noise_lfo_voice(0, lfrq, false, 0x01, 0x4A);
        auto [lo, hi] = block_range(c.run(4 * size_t(RATE)), 1024, 0);
        EXPECT_GE(hi - lo, 18) << "LFRQ " << lfrq;
        EXPECT_LE(hi - lo, 24) << "LFRQ " << lfrq;
    }
    // PM depth, PMS 5: random pitches within +-100 cents (the chip: 110-170
    // cents between the extremes).
    Chip p = noise_lfo_voice(0, 0x40, true, 0x50, 0x6A);
    auto [lo, hi] = block_range(p.run(4 * size_t(RATE)), 8192, opm_note_hz(0x6A, 0));
    EXPECT_GE(hi - lo, 100);
    EXPECT_LE(hi - lo, 200);
}

// PM depth for PMS 0-7 at PMD 127 on a square wave: the chip shifts LFO x
// PMD by powers of two, full depths 6.25 x 2^(PMS - 1) cents up to PMS 5,
// then 400 and 800. Peak to peak, the truncated steps of 1/64 semitone make
// up to one step less.
TEST(SoundLibYm2151Chip, PmDepthByPms) {
    static const double full_cents[8] = {0, 6.25, 12.5, 25, 50, 100, 400, 800};
    // Peak to peak at PMD 127 on the chip (triangle wave, LFRQ $D0).
    static const double chip_pp[8] = {0, 11.4, 23.5, 48.1, 0, 0, 0, 1559};
    const uint8_t lfrq = 0xA1;
    const double half = 0.5 / opm_lfo_hz(lfrq, OPM_DEFAULT_CLOCK), base = opm_note_hz(0x6A, 0);
    for (int pms = 0; pms < 8; ++pms) {
        Chip c;
        c.voice();
        c.w(OPM_REG_LFRQ, lfrq);
        c.w(OPM_REG_CT_W, 1);
        c.w(OPM_REG_PMD_AMD, 0x80 | 127);
        c.w(OPM_REG_PMS_AMS, pms << 4);
        c.note(0, 0x6A);
        c.key_on();
        auto y = c.run(size_t(2 * half * RATE));
        size_t h = size_t(half * RATE);
        std::vector<double> a(y.begin() + 1000, y.begin() + long(h) - 1000),
            b(y.begin() + long(h) + 1000, y.end() - 1000);
        double up = 1200 * std::log2(sigtest::peak_hz(a, RATE) / base);
        double down = 1200 * std::log2(sigtest::peak_hz(b, RATE) / base);
        double want = 2 * full_cents[pms] * 127 / 128;
        EXPECT_NEAR(up - down, want, 0.03 * want + 100.0 / 64 + 0.2) << "PMS " << pms;
        if (chip_pp[pms] > 0) { EXPECT_NEAR((up - down) / chip_pp[pms], 1.0, 0.05) << "PMS " << pms; }
    }
}
