// FM 4 from inside the machine: test ROMs heard in --wav output.
#include <gtest/gtest.h>

#include "machine/settings.h"
#include "sound/adpcm_iocs.h"
#include "sound/fm_card.h"
#include "sound/sound_rom.h"
#include "sound/tone.h"

namespace {

constexpr double OPM_HZ = 491.7;              // KC $4A
constexpr double TRIANGLE_HZ = 15625 / 16.0;  // 16 codes a period at 15625 Hz
constexpr double FRAME_S = 1.0 / 55;

size_t at(double seconds) { return size_t(seconds * 44100); }

// The FM ROM's note and timers with the library as the back end.
TEST(SoundLibRom, sound_lib_fm4_plays_the_fm_rom) {
    SoundRun run = sound_run_rom("sound_fm", {"FM=4"}, 700);
    ASSERT_TRUE(run.finished());
    EXPECT_EQ(run.result_long(0), 550u);
    EXPECT_NEAR(double(run.result_long(1)), 550.0 * 1136 / 24, 550.0 * 1136 / 24 * 0.001);
    EXPECT_NEAR(double(run.result_long(2)), 550.0 * 70, 550.0 * 70 * 0.001);
    const auto& s = run.wav.samples;
    size_t from = at(3), n = at(1);
    EXPECT_GT(tone_rms(s, 2, from, n), 1000);
    EXPECT_NEAR(tone_peak(s, 2, 0, from, n, 44100, 400, 600, 0.1), OPM_HZ, 0.5);
    EXPECT_NEAR(tone_peak(s, 2, 1, from, n, 44100, 400, 600, 0.1), OPM_HZ, 0.5);
    EXPECT_LT(tone_rms(s, 2, s.size() / 2 - 2000, 2000), 50);
    EXPECT_EQ(g_settings.fm, 4);
}

TEST(SoundLibRom, sound_lib_opm_adpcmout_and_pcm8_heard) {
    SoundRun run = sound_run_rom("sound_lib", {"FM=4", "FMPCM8=1"}, 600);
    ASSERT_TRUE(run.finished());
    const auto& s = run.wav.samples;
    // The OPM note, both sides.
    EXPECT_NEAR(tone_peak(s, 2, 0, at(0.5), at(1), 44100, 400, 1100, 0.1), OPM_HZ, 0.5);
    EXPECT_NEAR(tone_peak(s, 2, 1, at(0.5), at(1), 44100, 400, 1100, 0.1), OPM_HZ, 0.5);
    // _ADPCMOUT: busy (2) at once, idle after channel 3's interrupt, which
    // comes 2 x 7816 / 15625 s after the call, within a frame.
    EXPECT_EQ(run.result_long(1), ADPCM_IOCS_BLOCK);
    EXPECT_EQ(run.result_long(3), 0u);
    EXPECT_NEAR(double(run.result_long(2)), 2 * 7816 / 15625.0 / FRAME_S, 1.0);
    double adpcm_start = run.result_long(0) * FRAME_S;
    size_t a = at(adpcm_start + 0.2), n = at(0.6);
    EXPECT_NEAR(tone_peak(s, 2, 0, a, n, 44100, 400, 1100, 0.1), TRIANGLE_HZ, 0.5);
    EXPECT_NEAR(tone_peak(s, 2, 1, a, n, 44100, 400, 1100, 0.1), TRIANGLE_HZ, 0.5);
    EXPECT_GT(tone_rms(s, 2, a, n), 50);
    // The voice starts with the call, not before: quiet in the frame before it.
    EXPECT_LT(tone_rms(s, 2, at(adpcm_start - 2 * FRAME_S), at(FRAME_S)), 5);
    // PCM8: channel 1's mode kept by -1 (volume 8, 7.8 kHz, right); channel 0 left at 15.6 kHz.
    EXPECT_EQ(run.result_long(4), 0x080202u);
    double pcm8_start = run.result_long(5) * FRAME_S;
    size_t p = at(pcm8_start + 0.3), m = at(0.5);
    EXPECT_NEAR(tone_peak(s, 2, 0, p, m, 44100, 400, 1100, 0.1), TRIANGLE_HZ, 0.5);
    EXPECT_NEAR(tone_peak(s, 2, 1, p, m, 44100, 400, 1100, 0.1), TRIANGLE_HZ / 2, 0.5);
    // GetRest falls at the rate: 10 frames of 15625 / 2 bytes a second.
    double fell = double(run.result_long(6)) - double(run.result_long(7));
    EXPECT_NEAR(fell, 10 * FRAME_S * 15625 / 2, 15);
    // _ADPCMLOT: the link state ($22) at once, idle after channel 3's
    // interrupt at the end of the second entry, both entries heard.
    EXPECT_EQ(run.result_long(9), ADPCM_IOCS_LINK);
    EXPECT_EQ(run.result_long(11), 0u);
    EXPECT_NEAR(double(run.result_long(10)), 2 * 7808 / 15625.0 / FRAME_S, 1.0);
    double lot_start = run.result_long(8) * FRAME_S;
    for (double from : {0.1, 0.6}) {
        size_t l = at(lot_start + from), k = at(0.3);
        EXPECT_NEAR(tone_peak(s, 2, 0, l, k, 44100, 400, 1100, 0.1), TRIANGLE_HZ, 1.0) << from;
        EXPECT_NEAR(tone_peak(s, 2, 1, l, k, 44100, 400, 1100, 0.1), TRIANGLE_HZ, 1.0) << from;
        EXPECT_GT(tone_rms(s, 2, l, k), 50) << from;
    }
    EXPECT_LT(tone_rms(s, 2, at(lot_start + 1.1), at(0.2)), 5);
    // All quiet at the end.
    EXPECT_LT(tone_rms(s, 2, s.size() / 2 - 2000, 2000), 5);
}

}  // namespace

// A PCM8 link table, _ADPCMLOT and channel 3 on a table whose one empty
// entry links to itself: the PCM8 voice ends, channel 3 stops with a count
// error, and the machine runs on to its end.
TEST(SoundLibRom, sound_chains_looping_on_empty_entries_end) {
    SoundRun run = sound_run_rom("sound_chains", {"FM=4", "FMPCM8=1"}, 30);
    ASSERT_TRUE(run.finished());
    EXPECT_EQ(run.result.exit_status, 0);
    EXPECT_EQ(run.result_long(0), 0u);  // the call returns
    EXPECT_EQ(run.result_long(1), 0u);  // and the voice has ended
    EXPECT_EQ(run.result_long(2), 0u);
    EXPECT_EQ(run.result_long(3), 0u);  // _ADPCMLOT's error steps: idle
    EXPECT_EQ(run.result_long(4), 0x10u);
    EXPECT_EQ(run.result_long(5), 0x0Du);
    EXPECT_EQ(run.result_long(6), 0x61u);  // the error vector
    EXPECT_LT(tone_rms(run.wav.samples, 2, 0, run.wav.samples.size() / 2), 5);
}

// _ADPCMMOD(0) from an interrupt handler while a long _ADPCMOUT waits to
// start its next block ends the call: the TRAP returns at the stop and the
// sound does not start again. A sound the handler plays after the stop is
// its own call, and plays.
TEST(SoundLibRom, sound_adpcm_stop_ends_a_long_adpcmout) {
    SoundRun run = sound_run_rom("sound_adpcm_stop", {"FM=4", "FMPCM8=1"}, 300);
    ASSERT_TRUE(run.finished());
    const auto& s = run.wav.samples;
    auto loud = [&](double from, double frames) { return tone_rms(s, 2, at(from * FRAME_S), at(frames * FRAME_S)); };
    for (int call : {0, 1}) {
        SCOPED_TRACE(call ? "the handler plays after the stop" : "the handler only stops");
        const uint32_t called = run.result_long(5 * call), stopped = run.result_long(5 * call + 1);
        EXPECT_EQ(stopped, called + 10);
        EXPECT_LE(run.result_long(5 * call + 2) - stopped, 1u) << "the call returned at the stop";
        EXPECT_EQ(run.result_long(5 * call + 3), call ? ADPCM_IOCS_BLOCK : 0u);
        EXPECT_GT(loud(called + 2, 6), 50) << "the long sound played until the stop";
    }
    // Silence from the first stop to the second call: nothing started again.
    EXPECT_EQ(run.result_long(4), 0u);
    EXPECT_LT(loud(run.result_long(1) + 2, run.result_long(5) - run.result_long(1) - 2), 5);
    // The handler's 55 frames, then silence to the end.
    const uint32_t second_stop = run.result_long(6), ended = run.result_long(9);
    EXPECT_NEAR(double(ended - second_stop), 2 * 7816 / 15625.0 / FRAME_S, 1.0);
    EXPECT_EQ(run.result_long(10), 0u);
    EXPECT_GT(loud(second_stop + 5, 40), 50);
    EXPECT_LT(loud(ended + 2, 15), 5);
}
