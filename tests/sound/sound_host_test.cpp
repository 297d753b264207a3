// The sound's side of a run on a host without a sound device: one line of
// ours on stderr instead of alsa-lib's own, a silent run, and --wav still
// written.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/audio_mixer.h"
#include "host/wave_file.h"
#include "sound/sound_host.h"

namespace fs = std::filesystem;

namespace {

std::string file_text(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class SoundHostNoDevice : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "zolm-sound-host-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        root_ = tmpl;
        // SDL's ALSA driver, on a device that no host has: alsa-lib says
        // so in lines of its own, as it does without a sound card.
        setenv("SDL_AUDIODRIVER", "alsa", 1);
        setenv("AUDIODEV", "zolm_no_such_device", 1);
    }
    void TearDown() override {
        unsetenv("SDL_AUDIODRIVER");
        unsetenv("AUDIODEV");
        std::error_code ec;
        if (!root_.empty()) fs::remove_all(root_, ec);
    }
    // Runs f with stderr going to a file of the test's folder; what it wrote.
    template <class F> std::string stderr_of(F f) {
        const fs::path path = root_ / "stderr.txt";
        std::fflush(stderr);
        int saved = dup(STDERR_FILENO);
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        EXPECT_GE(fd, 0);
        dup2(fd, STDERR_FILENO);
        close(fd);
        f();
        std::fflush(stderr);
        dup2(saved, STDERR_FILENO);
        close(saved);
        return file_text(path);
    }
    fs::path root_;
};

TEST_F(SoundHostNoDevice, SaysOneLineOfOursAndTheWavIsStillWritten) {
    SoundHostOptions options;
    options.sdl_sink = true;
    options.wav = (root_ / "out.wav").string();
    bool written = false;
    MixerSink sink = MixerSink::Sdl;
    const std::string err = stderr_of([&] {
        sound_host_start(options);
        sink = mixer_sink();
        written = sound_host_finish();
    });
    EXPECT_EQ(sink, MixerSink::Null) << "the run is silent";
    EXPECT_EQ(err.find("ALSA lib"), std::string::npos) << err;
    EXPECT_TRUE(err.starts_with("zolm: no sound device (")) << err;
    EXPECT_TRUE(err.ends_with("): the run is silent\n")) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line: " << err;

    EXPECT_TRUE(written);
    const std::string wav = file_text(root_ / "out.wav");
    WaveImage image;
    ASSERT_TRUE(wave_image_parse(reinterpret_cast<const uint8_t*>(wav.data()), wav.size(), image)) << wav.size();
    EXPECT_EQ(image.rate, MIXER_RATE);
    EXPECT_EQ(image.channels, MIXER_CHANNELS);
}

}  // namespace
