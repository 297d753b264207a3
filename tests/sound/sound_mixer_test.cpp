#include <gtest/gtest.h>

#include <SDL.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "host/audio_mixer.h"
#include "host/audio_ring.h"
#include "host/wave_file.h"
#include "host/wave_voice.h"
#include "tone.h"

namespace {

struct Sine {
    double hz, rate, phase = 0;
};
void render_sine(void* user, int16_t* out, uint32_t frames) {
    auto* s = static_cast<Sine*>(user);
    for (uint32_t i = 0; i < frames; i++) {
        out[i] = int16_t(8000 * std::sin(s->phase));
        s->phase += 2 * M_PI * s->hz / s->rate;
    }
}

MixerTime at_ms(uint64_t ms) { return mixer_frames_to_time(ms * MIXER_RATE / 1000); }

// Steps the manual clock to ms in 10 ms steps, mixing at each.
void run_to(uint64_t from_ms, uint64_t to_ms) {
    for (uint64_t t = from_ms; t <= to_ms; t += 10) {
        mixer_set_manual_time(at_ms(t));
        mixer_advance();
    }
}

class SoundMixer : public ::testing::Test {
protected:
    void SetUp() override {
        mixer_set_clock(nullptr);
        mixer_set_manual_time(0);
        host_sound_close();
        mixer_reset();
        mixer_keep_output(true);
    }
    void TearDown() override {
        host_sound_close();
        mixer_reset();
        mixer_keep_output(false);
    }
};

// A render stream at its own rate lands in the output at its time and pitch.
TEST_F(SoundMixer, sound_render_stream_in_emulated_time) {
    run_to(0, 500);
    Sine sine{1000, 22050};
    MixerStream* s = mixer_open(22050, 1, render_sine, &sine);
    ASSERT_NE(s, nullptr);
    run_to(500, 1500);
    mixer_finish();
    mixer_close(s);
    const auto& out = mixer_kept_output();
    ASSERT_EQ(out.size() / 2, 1500 * MIXER_RATE / 1000);
    EXPECT_EQ(tone_rms(out, 2, 0, 22000), 0);
    size_t onset = tone_onset(out, 2, 0, 300);
    EXPECT_NEAR(double(onset), 22050, 8);
    EXPECT_NEAR(tone_peak(out, 2, 0, 30000, 32768, MIXER_RATE, 900, 1100, 1), 1000, 2);
    EXPECT_NEAR(tone_rms(out, 2, 30000, 30000), 8000 / std::sqrt(2.0), 200);
}

// A push stream starts at its time, a new one cuts it, the gain scales it.
TEST_F(SoundMixer, sound_push_stream_play_cut_queue) {
    MixerStream* s = mixer_open(MIXER_RATE, 2, nullptr, nullptr);
    std::vector<int16_t> ones(2 * 4410, 1000);
    run_to(0, 100);
    mixer_play(s, ones.data(), 4410);  // 100-200 ms
    EXPECT_EQ(mixer_frames_left(s), 4410u);
    run_to(110, 150);
    std::vector<int16_t> twos(2 * 4410, 2000);
    mixer_set_gain(s, 0.5f);
    mixer_play(s, twos.data(), 4410);   // cuts at 150 ms, plays to 250 ms
    mixer_queue(s, ones.data(), 4410);  // then to 350 ms
    run_to(160, 400);
    mixer_finish();
    const auto& out = mixer_kept_output();
    EXPECT_EQ(out[2 * 4409], 0);
    EXPECT_EQ(out[2 * 4410], 1000);
    EXPECT_EQ(out[2 * 6614], 500);  // the gain is heard from the mix on, before the cut
    EXPECT_EQ(out[2 * 6615], 1000);
    EXPECT_EQ(out[2 * 11024], 1000);
    EXPECT_EQ(out[2 * 11025 + 1], 500);
    EXPECT_EQ(out[2 * 15434], 500);
    EXPECT_EQ(out[2 * 15435], 0);
    EXPECT_EQ(mixer_frames_left(s), 0u);
    mixer_close(s);
}

// sndPlaySoundA's stand-in: an 8-bit mono image plays at its rate and
// length; a bad image plays nothing; timeGetTime follows the emulated clock.
TEST_F(SoundMixer, sound_wave_voice_and_emulated_time) {
    std::vector<uint8_t> image(44 + 11025);
    std::vector<int16_t> none;
    {
        // An empty sound still makes a file: written in a folder of the test's own.
        std::string dir = (std::filesystem::temp_directory_path() / "zolm-wav-XXXXXX").string();
        ASSERT_NE(mkdtemp(dir.data()), nullptr);
        EXPECT_TRUE(wave_file_write(dir + "/empty.wav", none.data(), 0, 11025, 1));
        EXPECT_EQ(std::filesystem::file_size(dir + "/empty.wav"), 44u);
        std::filesystem::remove_all(dir);
    }
    const uint8_t head[] = {'R', 'I', 'F', 'F', 0, 0, 0,   0,   'W', 'A',  'V',  'E',  'f', 'm',  't',
                            ' ', 16,  0,   0,   0, 1, 0,   1,   0,   0x11, 0x2B, 0,    0,   0x11, 0x2B,
                            0,   0,   1,   0,   8, 0, 'd', 'a', 't', 'a',  0x11, 0x2B, 0,   0};
    std::copy(std::begin(head), std::end(head), image.begin());
    for (size_t i = 0; i < 11025; i++) image[44 + i] = uint8_t(128 + 100 * std::sin(2 * M_PI * 441 * i / 11025.0));
    host_time_set_emulated(true);
    run_to(0, 200);
    EXPECT_EQ(host_time_ms(), 200u);
    ASSERT_TRUE(host_play_sound(image.data(), image.size()));
    EXPECT_TRUE(host_sound_playing());
    run_to(200, 1300);
    EXPECT_FALSE(host_sound_playing());
    image[20] = 3;  // not PCM
    EXPECT_FALSE(host_play_sound(image.data(), image.size()));
    EXPECT_FALSE(host_play_sound(image.data(), 30));
    host_time_set_emulated(false);
    mixer_finish();
    const auto& out = mixer_kept_output();
    size_t onset = tone_onset(out, 2, 0, 1000);
    EXPECT_NEAR(double(onset), 8820, 30);
    EXPECT_NEAR(tone_peak(out, 2, 1, 12000, 30000, MIXER_RATE, 400, 480, 1), 441, 2);
    EXPECT_LT(tone_rms(out, 2, 8820 + 44100 + 50, 5000), 1);  // one second, then silence
}

// The kept output as a WAV file, read back.
TEST_F(SoundMixer, sound_wav_file_round_trip) {
    std::vector<int16_t> samples = {0, 1, -1, 32767, -32768, 1234};
    auto path = std::filesystem::temp_directory_path() / "zolm_sound_round_trip.wav";
    ASSERT_TRUE(wave_file_write(path.string(), samples.data(), 3, 44100, 2));
    std::ifstream f(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(f)), {});
    std::filesystem::remove(path);
    ASSERT_EQ(bytes.size(), 44u + 12);
    WaveImage w;
    ASSERT_TRUE(wave_image_parse(bytes.data(), bytes.size(), w));
    EXPECT_EQ(w.rate, 44100u);
    EXPECT_EQ(w.channels, 2u);
    EXPECT_EQ(w.samples, samples);
    EXPECT_FALSE(wave_file_write("/nonexistent-dir/x.wav", samples.data(), 3, 44100, 2));
}

// The SDL sink delivers the mixed samples: SDL's disk driver writes them to a file.
TEST_F(SoundMixer, sound_sdl_sink_delivers_samples) {
    auto path = std::filesystem::temp_directory_path() / "zolm_sound_sdl_disk.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "1", 1);
    ASSERT_TRUE(mixer_open_sink(MixerSink::Sdl)) << SDL_GetError();
    EXPECT_EQ(mixer_sink(), MixerSink::Sdl);
    Sine sine{440, 44100};
    MixerStream* s = mixer_open(44100, 1, render_sine, &sine);
    run_to(0, 1000);
    mixer_close(s);
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (mixer_sink_frames_played() < 40000 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    mixer_close_sink();
    unsetenv("SDL_AUDIODRIVER");
    // The mix waited for the card: nothing was dropped.
    EXPECT_GE(mixer_sink_frames_played(), 40000u);
    EXPECT_EQ(audio_ring_dropped(), 0u);
    std::ifstream f(path, std::ios::binary);
    std::vector<char> raw((std::istreambuf_iterator<char>(f)), {});
    std::filesystem::remove(path);
    std::vector<int16_t> got(raw.size() / 2);
    std::memcpy(got.data(), raw.data(), got.size() * 2);
    size_t onset = tone_onset(got, 2, 0, 1000);
    ASSERT_LT(onset + 4096, got.size() / 2);
    EXPECT_NEAR(tone_peak(got, 2, 0, onset, 4096, MIXER_RATE, 400, 480, 1), 440, 2);
}

}  // namespace
