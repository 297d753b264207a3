#include "sound_rom.h"
#include "tone.h"

namespace {

// The ADPCM voice heard in --wav output, at its pitch and for its time, and
// channel 3 completed when that time has run out.
TEST(SoundAdpcmRom, sound_adpcm_heard_and_timed) {
    SoundRun run = sound_run_rom("sound_adpcm", {"FM=0", "WAV=1"}, 300);
    ASSERT_TRUE(run.finished());
    EXPECT_EQ(run.result_long(1), 0x40u);
    // 1038 ms are 57.1 frames of 1/55 s.
    EXPECT_GE(run.result_long(2), 57u);
    EXPECT_LE(run.result_long(2), 58u);
    EXPECT_EQ(run.result_long(3), 0xC0u);
    EXPECT_EQ(run.result_long(4), 0xE0u);

    const auto& s = run.wav.samples;
    size_t onset = tone_onset(s, 2, 0, 200);
    ASSERT_LT(onset, s.size() / 2);
    size_t end = onset;
    for (size_t i = onset; i < s.size() / 2; i++)
        if (std::abs(int(s[2 * i])) > 200) end = i;
    // What is heard: 22614 decoded samples and the 128 of the tail at 22050 Hz.
    EXPECT_NEAR(double(end - onset) / 44100, (22614.0 + 128) / 22050, 0.002);
    // It starts on the frame the ROM wrote the play command.
    double start_s = double(run.result_long(0)) / 55;
    EXPECT_NEAR(double(onset) / 44100, start_s, 1.0 / 55);
    EXPECT_NEAR(tone_peak(s, 2, 0, onset + 4410, 32768, 44100, 900, 1050, 0.5), 975, 1);
}

// On the WAV road the chain that links its one empty entry to itself is
// given up: nothing plays, the voice stays idle and channel 3 has no
// interrupt; the machine runs on to its end.
TEST(SoundAdpcmRom, sound_chains_looping_link_given_up) {
    SoundRun run = sound_run_rom("sound_chains", {"FM=0", "WAV=1"}, 30);
    ASSERT_TRUE(run.finished());
    EXPECT_EQ(run.result.exit_status, 0);
    EXPECT_EQ(run.result_long(6), 0u);
    EXPECT_EQ(run.result_long(7), 0xC0u);
    EXPECT_LT(tone_rms(run.wav.samples, 2, 0, run.wav.samples.size() / 2), 5);
}

}  // namespace
