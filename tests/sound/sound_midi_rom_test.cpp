#include "sound_rom.h"
#include "tone.h"

namespace {

// The MIDI board heard through FluidSynth in --wav output: the note starts
// on its frame, sounds at 440 Hz and dies away after its note off.
TEST(SoundMidiRom, sound_midi_heard_and_timed) {
    SoundRun run = sound_run_rom("sound_midi", {"FM=0", "MIDI=1"}, 300);
    ASSERT_TRUE(run.finished());
    double on_s = double(run.result_long(0)) / 55, off_s = double(run.result_long(1)) / 55;
    EXPECT_EQ(run.result_long(1) - run.result_long(0), 30u);
    EXPECT_LE(run.result_long(2), 2u);

    const auto& s = run.wav.samples;
    size_t onset = tone_onset(s, 2, 0, 300);
    EXPECT_NEAR(double(onset) / 44100, on_s, 2.0 / 55);
    size_t mid = size_t((on_s + 0.15) * 44100);
    EXPECT_NEAR(tone_peak(s, 2, 0, mid, 16384, 44100, 400, 480, 0.5), 440, 1);
    double held = tone_rms(s, 2, mid, 8820);
    double after = tone_rms(s, 2, size_t((off_s + 0.4) * 44100), 4410);
    EXPECT_GT(held, 300);
    EXPECT_LT(after, held / 10);
}

}  // namespace
