// The mix: resampling, volume, settings, the call table and the stream.
#include <gtest/gtest.h>

#include <cstring>

#include "sound/sndlib/lib_fixture.h"
#include "sound/sndlib/signal.h"
#include "sound/sndlib/ym2151_tables.h"

using namespace libtest;
using namespace sndlib;

namespace {
std::vector<double> resample_tone(double hz, double out_rate, size_t frames) {
    Resampler rs;
    rs.setup(62500, out_rate);
    std::vector<int32_t> in;
    std::vector<float> out;
    size_t n = size_t(frames * 62500 / out_rate) + 400;
    for (size_t i = 0; i < n; ++i) {
        int32_t v = int32_t(std::lround(16000 * std::sin(2 * std::acos(-1.0) * hz * i / 62500)));
        in.push_back(v);
        in.push_back(v);
    }
    rs.process(in.data(), uint32_t(n), out);
    std::vector<double> x;
    for (size_t i = 200; i < out.size() / 2 && x.size() < frames; ++i) x.push_back(out[2 * i]);
    return x;
}
}  // namespace

TEST(SoundLibMix, ResamplerKeepsToneAndStopsAliases) {
    for (double rate : {44100.0, 22050.0}) {
        auto x = resample_tone(1000, rate, 32768);
        EXPECT_NEAR(sigtest::peak_hz(x, rate), 1000, 0.1);
        EXPECT_LT(sigtest::line_db(x, rate, 20, 990), -60) << rate;
        EXPECT_LT(sigtest::line_db(x, rate, 1010, rate / 2), -60) << rate;
        EXPECT_NEAR(sigtest::rms(x), 16000 / std::sqrt(2.0), 16000 * 0.01);
    }
    // At 22050 Hz a 15 kHz tone would fold to 7.05 kHz.
    auto y = resample_tone(15000, 22050, 32768);
    double alias = 20 * std::log10(sigtest::rms(y) / (16000 / std::sqrt(2.0)) + 1e-12);
    EXPECT_LT(alias, -40);
    // A 10 kHz tone (in the pass band at 22050 Hz) passes.
    EXPECT_NEAR(sigtest::rms(resample_tone(9000, 22050, 16384)), 16000 / std::sqrt(2.0), 16000 * 0.02);
}

TEST(SoundLibMix, OpmNoteVolumeAndMuteSettings) {
    auto play = [](int rate, int opm, int vol) {
        Lib lib(rate, opm, 1);
        X68Sound_TotalVolume(vol);
        lib.opm(OPM_REG_RL_FB_CON, 0xC7);
        for (int op = 0; op < 4; ++op) {
            lib.opm(OPM_REG_DT1_MUL + 8 * op, 1);
            lib.opm(OPM_REG_TL + 8 * op, op == OP_C2 ? 0 : 127);
            lib.opm(OPM_REG_KS_AR + 8 * op, 31);
            lib.opm(OPM_REG_D1L_RR + 8 * op, 0x0F);
        }
        lib.opm(OPM_REG_KC, 0x4A);
        lib.opm(OPM_REG_KEY_ON, 0x78);
        return lib.pull(size_t(rate));
    };
    auto x = play(22050, 1, 256);
    EXPECT_NEAR(sigtest::peak_hz(x, 22050), 491.7, 0.5);
    EXPECT_NEAR(sigtest::rms(x), OPM_OUT_MAX / std::sqrt(2.0), 60);
    EXPECT_NEAR(sigtest::rms(play(44100, 1, 128)), OPM_OUT_MAX / std::sqrt(2.0) / 2, 40);
    EXPECT_EQ(sigtest::rms(play(44100, 0, 256)), 0.0);  // FMOPM 0
    auto loud = play(44100, 1, 65535);                  // saturates, never wraps
    EXPECT_EQ(*std::max_element(loud.begin(), loud.end()), 32767);
    EXPECT_EQ(*std::min_element(loud.begin(), loud.end()), -32768);
}

TEST(SoundLibMix, SettingsAreClamped) {
    struct Case {
        int betw, pcmbuf, late;
        double rev;
        int w_betw, w_pcmbuf, w_late;
        double w_rev;
    } cases[] = {
        {5, 5, 200, 1.0, 5, 5, 200, 1.0},       {0, 0, 0, 0.0, 1, 1, 20, 0.5},
        {-5, -1, -100, -3, 1, 1, 20, 0.5},      {99, 99, 5000, 9.0, 50, 16, 1000, 2.0},
        {50, 16, 1000, NAN, 50, 16, 1000, 1.0},
    };
    for (auto k : cases) {
        LibSettings s = clamp_settings(44100, 1, 0, k.betw, k.pcmbuf, k.late, k.rev);
        EXPECT_EQ(s.betw_ms, k.w_betw);
        EXPECT_EQ(s.pcmbuf, k.w_pcmbuf);
        EXPECT_EQ(s.late_ms, k.w_late);
        EXPECT_EQ(s.rev, k.w_rev);
        EXPECT_FALSE(s.adpcm);
    }
}

TEST(SoundLibMix, CallTableHoldsAll33) {
    static const char* names[] = {
        "X68Sound_Start",        "X68Sound_Samprate",    "X68Sound_Reset",        "X68Sound_Free",
        "X68Sound_BetwInt",      "X68Sound_StartPcm",    "X68Sound_GetPcm",       "X68Sound_OpmPeek",
        "X68Sound_OpmReg",       "X68Sound_OpmPoke",     "X68Sound_OpmInt",       "X68Sound_OpmWait",
        "X68Sound_AdpcmPeek",    "X68Sound_AdpcmPoke",   "X68Sound_PpiPeek",      "X68Sound_PpiPoke",
        "X68Sound_PpiCtrl",      "X68Sound_DmaPeek",     "X68Sound_DmaPoke",      "X68Sound_DmaInt",
        "X68Sound_DmaErrInt",    "X68Sound_MemReadFunc", "X68Sound_WaveFunc",     "X68Sound_Pcm8_Out",
        "X68Sound_Pcm8_Aot",     "X68Sound_Pcm8_Lot",    "X68Sound_Pcm8_SetMode", "X68Sound_Pcm8_GetRest",
        "X68Sound_Pcm8_GetMode", "X68Sound_Pcm8_Abort",  "X68Sound_TotalVolume",  "X68Sound_ErrorCode",
        "X68Sound_DebugValue"};
    for (const char* n : names) EXPECT_NE(sndlib_find(g_sndlib_exports, SNDLIB_EXPORT_COUNT, n), nullptr) << n;
    EXPECT_EQ(sndlib_find(g_sndlib_exports, SNDLIB_EXPORT_COUNT, "X68Sound_Nothing"), nullptr);
    EXPECT_EQ(sndlib_find(g_sndlib_exports, SNDLIB_EXPORT_COUNT, "X68Sound_Start"),
              reinterpret_cast<SndLibProc>(&X68Sound_Start));
}

namespace {
// A render stream on a clock of output frames, as the host mixer is.
struct FakeStream {
    uint64_t now = 0, done = 0;
    bool open_ok = true;
    int closed = 0, rate = 0;
    RenderFn render = nullptr;
    void* user = nullptr;
    std::vector<int16_t> out;
};
FakeStream g_fake;
MixerStream fake_stream() {
    MixerStream s;
    s.ctx = &g_fake;
    s.open = [](void* c, int rate, RenderFn render, void* user) {
        auto* f = static_cast<FakeStream*>(c);
        f->rate = rate;
        f->render = render;
        f->user = user;
        return f->open_ok;
    };
    s.catch_up = [](void* c) {
        auto* f = static_cast<FakeStream*>(c);
        if (f->now <= f->done) return;
        std::vector<int16_t> buf(2 * (f->now - f->done));
        f->render(f->user, buf.data(), uint32_t(f->now - f->done));
        f->out.insert(f->out.end(), buf.begin(), buf.end());
        f->done = f->now;
    };
    s.close = [](void* c) { ++static_cast<FakeStream*>(c)->closed; };
    return s;
}
}  // namespace

TEST(SoundLibMix, StreamModeRendersUpToTheMixersNow) {
    sndlib_install_stream(MixerStream{});
    EXPECT_EQ(X68Sound_Start(44100, 1, 1, 5, 5, 200, 1.0), SNDLIB_NO_STREAM);
    g_fake = FakeStream{};
    g_fake.open_ok = false;
    sndlib_install_stream(fake_stream());
    EXPECT_EQ(X68Sound_Start(22050, 1, 1, 5, 5, 10, 1.0), SNDLIB_NO_STREAM);
    g_fake.open_ok = true;
    ASSERT_EQ(X68Sound_Start(22050, 1, 1, 5, 5, 10, 1.0), SNDLIB_OK);
    EXPECT_EQ(g_fake.rate, 22050);
    // Each call brings the sound to now.
    g_fake.now = 11025;
    X68Sound_OpmPeek();
    EXPECT_EQ(g_fake.out.size(), 2u * 11025);
    g_fake.now = 22050;
    sndlib_render_now();
    EXPECT_EQ(g_fake.out.size(), 2u * 22050);
    EXPECT_NEAR(X68Sound_DebugValue(), 62500, 200);
    // Library timer A (16 us x 1024): its interrupt comes as the time is rendered.
    static int irqs;
    irqs = 0;
    X68Sound_OpmInt([] { ++irqs; });
    X68Sound_OpmReg(OPM_REG_TIMER_A_HI);
    X68Sound_OpmPoke(0);
    X68Sound_OpmReg(OPM_REG_TIMER_CTRL);
    X68Sound_OpmPoke(0x05);
    g_fake.now += 22050 * 1024 * 16 / 1000000 + 10;
    EXPECT_EQ(X68Sound_OpmPeek(), OPM_STATUS_TIMER_A);
    EXPECT_EQ(irqs, 1);
    X68Sound_Free();
    EXPECT_EQ(g_fake.closed, 1);
}
