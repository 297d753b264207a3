#include <cstdlib>

#include <string>
#include <vector>

#include "host/message_box.h"
#include "machine/settings.h"
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
        EXPECT_EQ(g_settings.fm, FM_OPL3);
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

// FM 0, and FM 1 with a BLASTER that names no port: nothing is heard,
// and the timers run just the same.
TEST(SoundFmRom, sound_fm0_and_fm1_without_a_port_are_silent_with_timers) {
    setenv("BLASTER", "I5 D1 T6", 1);
    for (const char* fm : {"FM=0", "FM=1"}) {
        SCOPED_TRACE(fm);
        SoundRun run = sound_run_rom("sound_fm", {fm}, 700);
        expect_timers(run);
        EXPECT_GT(run.wav.samples.size() / 2, 44100u * 10);
        EXPECT_EQ(tone_rms(run.wav.samples, 2, 0, run.wav.samples.size() / 2), 0);
        EXPECT_EQ(g_settings.fm, FM_NONE);
    }
    unsetenv("BLASTER");
}

std::vector<std::string> g_boxes;
MessageBoxAnswer record_box(const char* text, const char* caption, MessageBoxKind) {
    g_boxes.push_back(std::string(caption) + "|" + text);
    return MB_ANSWER_OK;
}

// FM 3 on the emulated PC-98 card: it answers the probe (no card-check
// box), and KC $4A is F-number 1167 in block 4: 1167 x 8 x 7987200 / 144
// / 2^20 = 493.8 Hz on both sides, silent after the key off.
TEST(SoundFmRom, sound_fm3_plays_the_note_on_the_opna_card) {
    constexpr double OPNA_NOTE_HZ = 1167.0 * 8 * 7987200 / 144 / 1048576;
    g_boxes.clear();
    MessageBoxBackend before = g_message_box_backend;
    g_message_box_backend = record_box;
    SoundRun run = sound_run_rom("sound_fm", {"FM=3"}, 700);
    host_message_box_flush();
    g_message_box_backend = before;
    EXPECT_TRUE(g_boxes.empty()) << g_boxes.front();
    expect_timers(run);
    const auto& s = run.wav.samples;
    ASSERT_GT(s.size() / 2, 44100u * 6);
    size_t from = 44100 * 3, n = 44100;
    for (size_t side = 0; side < 2; side++) {
        EXPECT_GT(tone_rms(s, 2, from, n), 1000);
        EXPECT_NEAR(tone_peak(s, 2, side, from, n, 44100, 400, 600, 0.1), OPNA_NOTE_HZ, OPNA_NOTE_HZ * 0.01);
    }
    EXPECT_LT(tone_rms(s, 2, s.size() / 2 - 2000, 2000), 50);
}

// Only the left bit of $20: only the left side sounds.
TEST(SoundFmRom, sound_fm3_left_bit_sounds_on_the_left_only) {
    SoundRun run = sound_run_rom("sound_fm_left", {"FM=3"}, 500);
    ASSERT_TRUE(run.finished());
    EXPECT_EQ(run.result_long(0), 300u);
    const auto& s = run.wav.samples;
    ASSERT_GT(s.size() / 2, 44100u * 5);
    std::vector<int16_t> left, right;
    for (size_t i = 44100 * 2; i < 44100 * 4; i++) {
        left.push_back(s[2 * i]);
        right.push_back(s[2 * i + 1]);
    }
    EXPECT_GT(tone_rms(left, 1, 0, left.size()), 1000);
    EXPECT_EQ(tone_rms(right, 1, 0, right.size()), 0);
    EXPECT_LT(tone_rms(s, 2, s.size() / 2 - 2000, 2000), 50);
}

}  // namespace
