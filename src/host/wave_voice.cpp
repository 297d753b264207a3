#include "host/wave_voice.h"

#include <chrono>

#include "host/audio_mixer.h"
#include "host/wave_file.h"

namespace {

MixerStream* s_voice;
uint32_t s_voice_rate, s_voice_channels;
bool s_emulated_time;

}  // namespace

bool host_play_sound(const uint8_t* image, size_t size) {
    if (s_voice) mixer_stop(s_voice);
    if (!image) return true;
    WaveImage wav;
    if (!wave_image_parse(image, size, wav)) return false;
    if (!s_voice || s_voice_rate != wav.rate || s_voice_channels != wav.channels) {
        host_sound_close();
        s_voice = mixer_open(wav.rate, wav.channels, nullptr, nullptr);
        if (!s_voice) return false;
        s_voice_rate = wav.rate;
        s_voice_channels = wav.channels;
    }
    mixer_play(s_voice, wav.samples.data(), uint32_t(wav.samples.size() / wav.channels));
    return true;
}

bool host_sound_playing() { return s_voice && mixer_frames_left(s_voice) > 0; }

void host_sound_close() {
    if (s_voice) mixer_close(s_voice);
    s_voice = nullptr;
}

uint64_t host_time_ms() {
    if (s_emulated_time) return mixer_time_to_ms(mixer_now());
    using namespace std::chrono;
    return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void host_time_set_emulated(bool emulated) { s_emulated_time = emulated; }
