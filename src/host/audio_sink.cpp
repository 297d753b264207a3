// The mixer's sinks: nothing, or an SDL2 audio device fed from the ring.
#include <SDL.h>

#include <atomic>

#include "host/alsa_quiet.h"
#include "host/audio_mixer.h"
#include "host/audio_ring.h"

namespace {

constexpr uint16_t SDL_BUFFER_FRAMES = 1024;

MixerSink s_sink = MixerSink::Null;
SDL_AudioDeviceID s_device;
std::atomic<uint64_t> s_played;
bool s_waiting = true;  // callback only: the ring ran dry, wait for it to fill again

// SDL's audio thread: takes frames from the ring, silence when there are none.
void sink_callback(void*, Uint8* stream, int len) {
    auto* out = reinterpret_cast<int16_t*>(stream);
    uint32_t frames = uint32_t(len) / (MIXER_CHANNELS * sizeof(int16_t));
    if (s_waiting && audio_ring_fill() >= AUDIO_RING_START_FRAMES) s_waiting = false;
    uint32_t got = audio_ring_pop(out, s_waiting ? 0 : frames);
    if (!s_waiting && got < frames) s_waiting = true;
    s_played.fetch_add(got, std::memory_order_relaxed);
}

}  // namespace

bool mixer_open_sink(MixerSink sink, std::string* why) {
    mixer_close_sink();
    if (sink == MixerSink::Null) return true;
    // SDL tries ALSA's default device, which without a sound card says so
    // in lines of its own; the caller says it in one.
    alsa_quiet();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        if (why) *why = SDL_GetError();
        return false;
    }
    SDL_AudioSpec want{}, have{};
    want.freq = int(MIXER_RATE);
    want.format = AUDIO_S16SYS;
    want.channels = MIXER_CHANNELS;
    want.samples = SDL_BUFFER_FRAMES;
    want.callback = sink_callback;
    audio_ring_clear();
    s_waiting = true;
    s_played = 0;
    s_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!s_device) {
        if (why) *why = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    s_sink = MixerSink::Sdl;
    SDL_PauseAudioDevice(s_device, 0);
    return true;
}

void mixer_close_sink() {
    if (s_sink == MixerSink::Sdl) {
        SDL_CloseAudioDevice(s_device);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        s_device = 0;
    }
    s_sink = MixerSink::Null;
}

MixerSink mixer_sink() { return s_sink; }
uint64_t mixer_sink_frames_played() { return s_played.load(std::memory_order_relaxed); }
