// YM2151 against the datasheet and the pitch formula.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "sound/sndlib/opm_fixture.h"
#include "sound/sndlib/signal.h"
#include "sound/sndlib/ym2151.h"
#include "sound/sndlib/ym2151_tables.h"

using namespace sndlib;

namespace {

using opmtest::Chip;
using opmtest::RATE;

double played_hz(int kc, int kf, int dt1mul = 0x01, int dt2 = 0) {
    Chip c;
    c.voice();
    c.w(OPM_REG_DT1_MUL + 24, dt1mul);
    c.w(OPM_REG_DT2_D2R + 24, dt2 << 6);
    c.note(0, kc, kf);
    c.key_on();
    return sigtest::peak_hz(c.run(65536), RATE);
}

}  // namespace

TEST(SoundLibYm2151, PitchFollowsKeyCodeFractionMulAndDt2) {
    EXPECT_NEAR(opm_note_hz(0x4A, 0), 491.7, 0.05);
    struct Case {
        int kc, kf, mul, dt2;
    } cases[] = {
        {0x4A, 0, 1, 0}, {0x4A, 0x80, 1, 0}, {0x30, 0xFC, 1, 0}, {0x1E, 0, 1, 0}, {0x6E, 0x44, 1, 0}, {0x4A, 0, 0, 0},
        {0x4A, 0, 3, 0}, {0x4A, 0, 15, 0},   {0x40, 0, 1, 1},    {0x40, 0, 1, 2}, {0x40, 0, 1, 3},    {0x05, 0, 1, 0},
    };
    static const double dt2_cents[4] = {0, 600, 781, 950};
    for (auto k : cases) {
        double want =
            opm_note_hz(uint8_t(k.kc), uint8_t(k.kf)) * (k.mul ? k.mul : 0.5) * std::exp2(dt2_cents[k.dt2] / 1200.0);
        double got = played_hz(k.kc, k.kf, k.mul, k.dt2);
        EXPECT_NEAR(got / want, 1.0, 0.001) << "kc " << k.kc << " kf " << k.kf << " mul " << k.mul << " dt2 " << k.dt2;
    }
}

TEST(SoundLibYm2151, Dt1MovesByTheDatasheetTable) {
    // Offsets in Hz at 4 MHz: table units of 4e6 / 64 / 2^20 Hz, times MUL.
    const double unit = 4e6 / 64 / 1048576.0;
    for (int kc : {0x10, 0x50, 0x7E}) {
        double base = played_hz(kc, 0, 0x0F);
        for (int dt1 : {1, 2, 3, 5, 6, 7}) {
            double want = (dt1 & 4 ? -1 : 1) * OPM_DT1_TABLE[kc >> 2][dt1 & 3] * unit * 15;
            EXPECT_NEAR(played_hz(kc, 0, (dt1 << 4) | 0x0F) - base, want, 0.05 + std::fabs(want) * 0.01)
                << "kc " << kc << " dt1 " << dt1;
        }
    }
}

TEST(SoundLibYm2151, LevelsFollowTlAndD1lAndTheSides) {
    auto level = [](int tl, int d1l, int rl) {
        Chip c;
        c.voice(0, 7, rl);
        c.w(OPM_REG_TL + 24, tl);
        c.w(OPM_REG_AMSEN_D1R + 24, d1l ? 20 : 0);
        c.w(OPM_REG_D1L_RR + 24, (d1l << 4) | 15);
        c.note(0, 0x4A);
        c.key_on();
        c.run(40000);  // the first decay has settled
        auto l = c.run(8192, 0), r = c.run(8192, 1);
        return std::pair{sigtest::rms(l), sigtest::rms(r)};
    };
    double full = level(0, 0, 0xC0).first;
    EXPECT_NEAR(full, OPM_OUT_MAX / std::sqrt(2.0), 30);
    // 0.75 dB a step while the power table's truncation stays small.
    for (int tl : {1, 8, 40})
        EXPECT_NEAR(sigtest::db(level(tl, 0, 0xC0).first, full), -0.75 * tl, 0.05 + 0.002 * tl) << tl;
    for (int d1l : {1, 4, 8, 14}) EXPECT_NEAR(sigtest::db(level(0, d1l, 0xC0).first, full), -3.0 * d1l, 0.8) << d1l;
    EXPECT_LT(level(0, 15, 0xC0).first, full * 1e-4);  // 93 dB down: below one step
    auto left_only = level(0, 0, 0x40), right_only = level(0, 0, 0x80);
    EXPECT_EQ(left_only.second, 0.0);
    EXPECT_EQ(right_only.first, 0.0);
    EXPECT_NEAR(right_only.second / full, 1.0, 0.001);
}

namespace {
// Envelope in dB per 64-sample block of a decaying or attacking C2.
std::vector<double> envelope_db(int ar, int d1r, int ks, int kc, size_t n) {
    Chip c;
    c.voice();
    c.w(OPM_REG_KS_AR + 24, (ks << 6) | ar);
    c.w(OPM_REG_AMSEN_D1R + 24, d1r);
    c.w(OPM_REG_D1L_RR + 24, 0xFF);
    c.note(0, kc);
    c.key_on();
    auto x = c.run(n);
    std::vector<double> e;
    for (size_t i = 0; i + 64 <= n; i += 64)
        e.push_back(sigtest::db(sigtest::rms(x, i, i + 64) + 1e-9, OPM_OUT_MAX / std::sqrt(2.0)));
    return e;
}
// Seconds until the envelope first reaches level dB.
double time_to(const std::vector<double>& e, double level, bool falling) {
    for (size_t i = 0; i < e.size(); ++i)
        if (falling ? e[i] <= level : e[i] >= level) return i * 64 / RATE;
    return -1;
}
}  // namespace

TEST(SoundLibYm2151, DecayAndAttackTimesFollowTheRates) {
    // Datasheet decay time 0 to -96 dB at the top rates: 6.87 ms on a
    // 3.579545 MHz chip, doubling for every 4 steps down, the two low bits
    // of the rate adding quarters of speed; the -3 to -45 dB part is 42/96
    // of it. Key code $4A adds 2 to the rate even with KS 0.
    auto decay_ms = [](int r) {
        return 6.87 * std::exp2((60 - (r & ~3)) / 4.0) * 4.0 / (4 + (r & 3)) * 3.579545 / 4.0 * 42.0 / 96.0;
    };
    for (int d1r : {15, 16, 20, 23, 26}) {
        auto e = envelope_db(31, d1r, 0, 0x4A, 140000);
        double t = (time_to(e, -45, true) - time_to(e, -3, true)) * 1000;
        EXPECT_NEAR(t / decay_ms(2 * d1r + 2), 1.0, 0.05) << d1r;
    }
    // Key scaling: key code $7C adds 31 >> (3 - KS): 3 with KS 0, 7 with
    // KS 1; 4 more halve the time.
    auto e0 = envelope_db(31, 14, 0, 0x7C, 140000), e1 = envelope_db(31, 14, 1, 0x7C, 140000);
    double t0 = time_to(e0, -45, true) - time_to(e0, -3, true);
    double t1 = time_to(e1, -45, true) - time_to(e1, -3, true);
    EXPECT_NEAR(t0 / t1, 2.0, 0.05);
    // Attack: rates 31 (62 and up) start at full level; each 2 steps of AR
    // (4 of rate) halve the rise.
    EXPECT_GT(envelope_db(31, 0, 0, 0x4A, 640)[0], -0.5);
    double rise[3];
    for (int i = 0; i < 3; ++i) {
        auto e = envelope_db(16 + 2 * i, 0, 0, 0x4A, 200000);
        rise[i] = time_to(e, -1, false) - time_to(e, -60, false);
        ASSERT_GT(rise[i], 0);
    }
    EXPECT_NEAR(rise[0] / rise[1], 2.0, 0.15);
    EXPECT_NEAR(rise[1] / rise[2], 2.0, 0.15);
}

TEST(SoundLibYm2151, LfoDepthAndPeriod) {
    // AM, square wave about 10 Hz, AMD 127, AMS 1: 23.9 dB between halves.
    Chip c;
    c.voice();
    c.w(OPM_REG_LFRQ, 0xD5);
    c.w(OPM_REG_CT_W, 1);
    c.w(OPM_REG_PMD_AMD, 127);
    c.w(OPM_REG_PMS_AMS, 1);
    c.w(OPM_REG_AMSEN_D1R + 24, 0x80);
    c.note(0, 0x4A);
    c.key_on();
    auto x = c.run(62500);
    std::vector<double> e;
    for (size_t i = 0; i + 125 <= x.size(); i += 125) e.push_back(sigtest::rms(x, i, i + 125));
    double hi = *std::max_element(e.begin(), e.end()), lo = *std::min_element(e.begin(), e.end());
    EXPECT_NEAR(sigtest::db(hi, lo), 23.9, 0.5);
    // Period: rising edges of the envelope.
    std::vector<double> edges;
    for (size_t i = 1; i < e.size(); ++i)
        if (e[i - 1] < std::sqrt(hi * lo) && e[i] >= std::sqrt(hi * lo)) edges.push_back(i * 125 / RATE);
    ASSERT_GE(edges.size(), 5u);
    double period = (edges.back() - edges.front()) / (edges.size() - 1);
    EXPECT_NEAR(period * opm_lfo_hz(0xD5, 4000000), 1.0, 0.01);

    // PM, square wave about 1 Hz, PMD 127, PMS 6: the first half sharp by
    // 127 x 127 >> 6 = 252 sixty-fourths of a semitone, the second flat by 254.
    Chip p;
    p.voice();
    p.w(OPM_REG_LFRQ, 0xA1);
    p.w(OPM_REG_CT_W, 1);
    p.w(OPM_REG_PMD_AMD, 0x80 | 127);
    p.w(OPM_REG_PMS_AMS, 0x60);
    p.note(0, 0x4A);
    p.key_on();
    double half = 0.5 / opm_lfo_hz(0xA1, 4000000);
    auto y = p.run(size_t(2 * half * RATE));
    size_t h = size_t(half * RATE);
    std::vector<double> a(y.begin() + 1000, y.begin() + h - 1000), b(y.begin() + h + 1000, y.end() - 1000);
    EXPECT_NEAR(sigtest::peak_hz(a, RATE) / (491.7 * std::exp2(252 / 768.0)), 1.0, 0.001);
    EXPECT_NEAR(sigtest::peak_hz(b, RATE) / (491.7 * std::exp2(-254 / 768.0)), 1.0, 0.001);
}

TEST(SoundLibYm2151, TimersRunAtTheirPeriodsAndRaiseFlags) {
    struct Case {
        int a, b;
    } cases[] = {{1000, 250}, {0, 0}, {1023, 255}, {512, 128}};
    for (auto k : cases) {
        Chip c;
        int irqs = 0;
        c.opm.on_irq = [](void* n) { ++*static_cast<int*>(n); };
        c.opm.irq_ctx = &irqs;
        c.w(OPM_REG_TIMER_A_HI, k.a >> 2);
        c.w(OPM_REG_TIMER_A_LO, k.a & 3);
        c.w(OPM_REG_TIMER_B, k.b);
        // A alone: 16 us x (1024 - A); the flag stays until reset.
        c.w(OPM_REG_TIMER_CTRL, 0x05);
        size_t n = size_t(std::lround(16e-6 * (1024 - k.a) * RATE));
        c.run(n - 1);
        EXPECT_EQ(c.opm.status() & OPM_STATUS_TIMER_A, 0) << k.a;
        c.run(1);
        EXPECT_EQ(c.opm.status(), OPM_STATUS_TIMER_A) << k.a;
        c.run(3 * n);
        EXPECT_EQ(irqs, 1);
        c.w(OPM_REG_TIMER_CTRL, 0x10);
        EXPECT_EQ(c.opm.status(), 0);
        // B alone: 256 us x (256 - B).
        c.w(OPM_REG_TIMER_CTRL, 0x0A);
        size_t m = size_t(std::lround(256e-6 * (256 - k.b) * RATE));
        c.run(m - 1);
        EXPECT_EQ(c.opm.status(), 0) << k.b;
        c.run(1);
        EXPECT_EQ(c.opm.status(), OPM_STATUS_TIMER_B) << k.b;
        EXPECT_EQ(irqs, 2);
    }
}

TEST(SoundLibYm2151, NoiseAndCsmKeyOn) {
    // Noise on channel 7's C2: the sign follows the shift register, which
    // steps 2 / (32 - NFRQ) times a sample and changes half the time.
    for (int nfrq : {16, 28}) {
        Chip c;
        c.voice(7);
        c.w(OPM_REG_NOISE, 0x80 | nfrq);
        c.note(7, 0x4A);
        c.key_on(7);
        auto x = c.run(62500);
        int changes = 0;
        for (size_t i = 1; i < x.size(); ++i) changes += (x[i] > 0) != (x[i - 1] > 0);
        double want = RATE * 2 / (32 - nfrq) / 2;
        EXPECT_NEAR(changes / want, 1.0, 0.1) << nfrq;
        EXPECT_NEAR(sigtest::rms(x), OPM_ENV_MAX << 2, 1);
    }
    // CSM: timer A's overflow keys every slot on, with no key-on write.
    Chip s;
    s.voice();
    s.w(OPM_REG_D1L_RR + 24, 0x00);  // release: slowest rate 1
    s.note(0, 0x4A);
    s.w(OPM_REG_TIMER_CTRL, 0x81);  // A = 0: 1024 samples
    EXPECT_EQ(sigtest::rms(s.run(1023)), 0.0);
    EXPECT_GT(sigtest::rms(s.run(2000)), 3000);
}
