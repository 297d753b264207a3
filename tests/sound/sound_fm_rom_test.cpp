#include <cstdlib>

#include "sound/fm_card.h"
#include "sound_rom.h"
#include "tone.h"

namespace {

// Timer A of 24 steps and timer B of one step, counted over 550 frames.
constexpr double TIMER_A_EXPECTED = 550.0 * 1136 / 24, TIMER_B_EXPECTED = 550.0 * 70;
constexpr double NOTE_HZ = 647 * 49716.0 / 65536;  // KC $4A on the OPL: 490.8 Hz

void expect_timers(const SoundRun& run) {
    ASSERT_TRUE(run.finished());
    EXPECT_EQ(run.result_long(0), 550u);
    EXPECT_NEAR(double(run.result_long(1)), TIMER_A_EXPECTED, TIMER_A_EXPECTED * 0.001);
    EXPECT_NEAR(double(run.result_long(2)), TIMER_B_EXPECTED, TIMER_B_EXPECTED * 0.001);
    EXPECT_EQ(run.result_long(3), 0u);
}

// FM 1 on the emulated OPL3 that BLASTER names, or at $220 with BLASTER
// unset: the note is heard at its pitch.
TEST(SoundFmRom, sound_fm1_plays_the_note_and_times) {
    for (const char* blaster : {"A220 T6", static_cast<const char*>(nullptr)}) {
        SCOPED_TRACE(blaster ? blaster : "(unset)");
        if (blaster) setenv("BLASTER", blaster, 1);
        else unsetenv("BLASTER");
        SoundRun run = sound_run_rom("sound_fm", {"FM=1"}, 700);
        unsetenv("BLASTER");
        expect_timers(run);
        EXPECT_EQ(g_fmcard.fm, FM_OPL3);
        const auto& s = run.wav.samples;
        ASSERT_GT(s.size() / 2, 44100u * 6);
        size_t from = 44100 * 3, n = 44100;
        EXPECT_GT(tone_rms(s, 2, from, n), 1000);
        EXPECT_NEAR(tone_peak(s, 2, 0, from, n, 44100, 400, 600, 0.1), NOTE_HZ, 0.5);
        EXPECT_NEAR(tone_peak(s, 2, 1, from, n, 44100, 400, 600, 0.1), NOTE_HZ, 0.5);
        // Keyed off at the end: silence after the release.
        EXPECT_LT(tone_rms(s, 2, s.size() / 2 - 2000, 2000), 50);
    }
}

// FM 0, FM 3 with no PC-98 card (its card check falls back to 0) and FM 1
// with a BLASTER that names no port: nothing is heard, and the timers run
// just the same.
TEST(SoundFmRom, sound_fm0_and_fm3_fallback_are_silent_with_timers) {
    setenv("BLASTER", "I5 D1 T6", 1);
    for (const char* fm : {"FM=0", "FM=3", "FM=1"}) {
        SCOPED_TRACE(fm);
        SoundRun run = sound_run_rom("sound_fm", {fm}, 700);
        expect_timers(run);
        EXPECT_GT(run.wav.samples.size() / 2, 44100u * 10);
        EXPECT_EQ(tone_rms(run.wav.samples, 2, 0, run.wav.samples.size() / 2), 0);
        EXPECT_EQ(g_fmcard.fm, FM_NONE);
    }
    unsetenv("BLASTER");
}

} // namespace
