#include "host/audio_mixer.h"

#include <SDL.h>

#include <algorithm>
#include <memory>

#include "host/audio_ring.h"
#include "host/wave_file.h"

// A piece of a push stream: converted output frames from output frame
// start, heard until output frame stop.
struct MixerPiece {
    uint64_t start, stop;
    std::vector<int16_t> data;
    uint64_t end() const { return std::min(stop, start + data.size() / MIXER_CHANNELS); }
};

struct MixerStream {
    uint32_t rate, channels;
    MixerRender render;  // nullptr: a push stream
    void* user;
    float gain = 1.0f;
    // Render stream: when it started (output frame), the input frames
    // rendered, and those not yet consumed, the first at input frame base.
    uint64_t start = 0;
    uint64_t rendered = 0;
    uint64_t base = 0;
    std::vector<int16_t> input;
    // Push stream: its pieces, in time order.
    std::vector<MixerPiece> pieces;
};

namespace {

constexpr uint32_t MIX_BLOCK = 1024;     // output frames mixed at a time
constexpr uint32_t RENDER_BLOCK = 4096;  // input frames rendered at a time
constexpr uint32_t MAX_RATE = 384000;
constexpr uint32_t CONVERT_PADDING = 8192;  // input frames of silence after a piece
constexpr uint32_t SINK_WAIT_MAX_MS = 100;  // a sound card that stalls holds the emulation no longer

MixerTime s_manual_time;
MixerTime manual_clock() { return s_manual_time; }
MixerClock s_clock = manual_clock;

std::vector<std::unique_ptr<MixerStream>> s_streams;
uint64_t s_pos;   // next output frame to mix (absolute)
uint64_t s_base;  // output frame of the first one since mixer_reset
bool s_keep;
std::vector<int16_t> s_kept;

uint64_t now_frames() { return mixer_time_to_frames(mixer_now()); }

SDL_AudioStream* new_converter(uint32_t rate, uint32_t channels) {
    return SDL_NewAudioStream(AUDIO_S16SYS, uint8_t(channels), int(rate), AUDIO_S16SYS, MIXER_CHANNELS,
                              int(MIXER_RATE));
}

// Input frames from start up to now at the stream's rate.
uint64_t input_frames_due(const MixerStream& s) {
    MixerTime now = mixer_now(), start = mixer_frames_to_time(s.start);
    if (now <= start) return 0;
    unsigned __int128 t = (unsigned __int128)(now - start) * s.rate;
    return uint64_t((t >> MIXER_FRAC_BITS) / MIXER_RATE);
}

// Input position of output frame k of a render stream, 32.32 fixed point.
unsigned __int128 input_position(const MixerStream& s, uint64_t k) {
    return ((unsigned __int128)(k - s.start) * s.rate << 32) / MIXER_RATE;
}

// Whole samples at the stream's rate converted to output frames. SDL's
// converter keeps its last packet back even when flushed, so silence
// follows the samples and the output is cut to their length.
std::vector<int16_t> convert_whole(const MixerStream& s, const int16_t* samples, uint32_t frames) {
    std::vector<int16_t> out;
    if (!frames) return out;
    SDL_AudioStream* cvt = new_converter(s.rate, s.channels);
    if (!cvt) return out;
    std::vector<int16_t> padding(size_t(CONVERT_PADDING) * s.channels, 0);
    SDL_AudioStreamPut(cvt, samples, int(frames * s.channels * sizeof(int16_t)));
    SDL_AudioStreamPut(cvt, padding.data(), int(padding.size() * sizeof(int16_t)));
    SDL_AudioStreamFlush(cvt);
    uint64_t want = (uint64_t(frames) * MIXER_RATE + s.rate - 1) / s.rate;
    out.resize(size_t(want) * MIXER_CHANNELS);
    int got = SDL_AudioStreamGet(cvt, out.data(), int(out.size() * sizeof(int16_t)));
    out.resize(got > 0 ? size_t(got) / sizeof(int16_t) / MIXER_CHANNELS * MIXER_CHANNELS : 0);
    SDL_FreeAudioStream(cvt);
    return out;
}

void add_scaled(int32_t* acc, const int16_t* src, size_t n, float gain) {
    if (gain == 1.0f) {
        for (size_t i = 0; i < n; i++) acc[i] += src[i];
    } else {
        for (size_t i = 0; i < n; i++) acc[i] += int32_t(float(src[i]) * gain);
    }
}

// Adds a render stream's frames for output frames [a, b), interpolated
// between its input frames. A frame whose input is not rendered yet stays
// silent.
void mix_render(MixerStream& s, int32_t* acc, uint64_t a, uint64_t b) {
    uint64_t from = std::max(a, s.start);
    if (from >= b) return;
    // The input position steps by rate / MIXER_RATE a frame, kept exact
    // with its remainder.
    unsigned __int128 num = (unsigned __int128)(from - s.start) * s.rate << 32;
    unsigned __int128 pos = num / MIXER_RATE;
    uint64_t rem = uint64_t(num % MIXER_RATE);
    const uint64_t step = (uint64_t(s.rate) << 32) / MIXER_RATE, step_rem = (uint64_t(s.rate) << 32) % MIXER_RATE;
    for (uint64_t k = from; k < b; k++) {
        uint64_t i = uint64_t(pos >> 32);
        int64_t f = int64_t(uint64_t(pos) & 0xFFFFFFFF);
        if (i + 1 >= s.rendered) break;
        if (i >= s.base) {
            const int16_t* p = s.input.data() + (i - s.base) * s.channels;
            int32_t* o = acc + (k - a) * MIXER_CHANNELS;
            for (uint32_t c = 0; c < MIXER_CHANNELS; c++) {
                uint32_t ch = s.channels == 1 ? 0 : c;
                int64_t x0 = p[ch], x1 = p[ch + s.channels];
                int32_t v = int32_t(x0 + (((x1 - x0) * f) >> 32));
                o[c] += s.gain == 1.0f ? v : int32_t(float(v) * s.gain);
            }
        }
        pos += step;
        rem += step_rem;
        if (rem >= MIXER_RATE) {
            rem -= MIXER_RATE;
            pos++;
        }
    }
    // Input before the next frame's is no longer needed.
    uint64_t keep = uint64_t(input_position(s, std::max(b, s.start)) >> 32);
    keep = std::min(keep, s.rendered);
    if (keep > s.base) {
        s.input.erase(s.input.begin(), s.input.begin() + ptrdiff_t((keep - s.base) * s.channels));
        s.base = keep;
    }
}

void mix_push(MixerStream& s, int32_t* acc, uint64_t a, uint64_t b) {
    for (const MixerPiece& p : s.pieces) {
        uint64_t from = std::max(a, p.start), to = std::min(b, p.end());
        if (from >= to) continue;
        add_scaled(acc + (from - a) * MIXER_CHANNELS, p.data.data() + (from - p.start) * MIXER_CHANNELS,
                   (to - from) * MIXER_CHANNELS, s.gain);
    }
    std::erase_if(s.pieces, [&](const MixerPiece& p) { return p.end() <= b; });
}

void mix_to(uint64_t target) {
    int32_t acc[MIX_BLOCK * MIXER_CHANNELS];
    int16_t out[MIX_BLOCK * MIXER_CHANNELS];
    while (s_pos < target) {
        uint64_t b = std::min<uint64_t>(target, s_pos + MIX_BLOCK);
        size_t n = size_t(b - s_pos) * MIXER_CHANNELS;
        std::fill(acc, acc + n, 0);
        for (auto& s : s_streams) {
            if (s->render) mix_render(*s, acc, s_pos, b);
            else mix_push(*s, acc, s_pos, b);
        }
        for (size_t i = 0; i < n; i++) out[i] = int16_t(std::clamp(acc[i], -32768, 32767));
        if (mixer_sink() == MixerSink::Sdl) {
            // Running ahead of the sound card, the emulation waits for it.
            audio_ring_wait_room(uint32_t(n / MIXER_CHANNELS), SINK_WAIT_MAX_MS);
            audio_ring_push(out, uint32_t(n / MIXER_CHANNELS));
        }
        if (s_keep) s_kept.insert(s_kept.end(), out, out + n);
        s_pos = b;
    }
}

}  // namespace

void mixer_set_clock(MixerClock clock) { s_clock = clock ? clock : manual_clock; }
void mixer_set_manual_time(MixerTime t) { s_manual_time = t; }
MixerTime mixer_now() { return s_clock(); }

MixerStream* mixer_open(uint32_t rate, uint32_t channels, MixerRender render, void* user) {
    if (rate < 1 || rate > MAX_RATE || channels < 1 || channels > 2) return nullptr;
    auto s = std::make_unique<MixerStream>();
    s->rate = rate;
    s->channels = channels;
    s->render = render;
    s->user = user;
    s->start = now_frames();
    s_streams.push_back(std::move(s));
    return s_streams.back().get();
}

void mixer_close(MixerStream* stream) {
    auto it = std::find_if(s_streams.begin(), s_streams.end(), [&](auto& p) { return p.get() == stream; });
    if (it == s_streams.end()) return;
    s_streams.erase(it);
}

void mixer_catch_up(MixerStream* s) {
    if (!s || !s->render) return;
    uint64_t due = input_frames_due(*s);
    std::vector<int16_t> buf(size_t(RENDER_BLOCK) * s->channels);
    while (s->rendered < due) {
        uint32_t n = uint32_t(std::min<uint64_t>(due - s->rendered, RENDER_BLOCK));
        s->render(s->user, buf.data(), n);
        s->input.insert(s->input.end(), buf.begin(), buf.begin() + ptrdiff_t(n * s->channels));
        s->rendered += n;
    }
}

// Cuts every piece of a push stream at output frame at.
void cut_at(MixerStream& s, uint64_t at) {
    for (MixerPiece& p : s.pieces) p.stop = std::min(p.stop, at);
    std::erase_if(s.pieces, [](const MixerPiece& p) { return p.end() <= p.start; });
}

void mixer_play(MixerStream* s, const int16_t* samples, uint32_t frames) {
    if (!s || s->render) return;
    uint64_t now = now_frames();
    cut_at(*s, now);
    s->pieces.push_back({now, UINT64_MAX, convert_whole(*s, samples, frames)});
}

void mixer_queue(MixerStream* s, const int16_t* samples, uint32_t frames) {
    if (!s || s->render) return;
    if (mixer_frames_left(s) == 0) {
        mixer_play(s, samples, frames);
        return;
    }
    MixerPiece& last = s->pieces.back();
    s->pieces.push_back({last.end(), UINT64_MAX, convert_whole(*s, samples, frames)});
}

void mixer_stop(MixerStream* s) {
    if (s && !s->render) cut_at(*s, now_frames());
}

uint64_t mixer_frames_left(const MixerStream* s) {
    if (!s || s->render || s->pieces.empty()) return 0;
    uint64_t end = s->pieces.back().end(), now = now_frames();
    return end > now ? end - now : 0;
}

void mixer_set_gain(MixerStream* s, float gain) {
    if (s) s->gain = gain;
}

void mixer_advance() {
    for (auto& s : s_streams) mixer_catch_up(s.get());
    uint64_t now = now_frames();
    if (now > s_pos + MIXER_LAG_FRAMES) mix_to(now - MIXER_LAG_FRAMES);
}

void mixer_finish() {
    for (auto& s : s_streams) mixer_catch_up(s.get());
    mix_to(now_frames());
}

uint64_t mixer_frames_mixed() { return s_pos - s_base; }

void mixer_reset() {
    s_kept.clear();
    s_pos = s_base = now_frames();
}

void mixer_keep_output(bool keep) { s_keep = keep; }
const std::vector<int16_t>& mixer_kept_output() { return s_kept; }

bool mixer_write_wav(const std::string& path) {
    return wave_file_write(path, s_kept.data(), s_kept.size() / MIXER_CHANNELS, MIXER_RATE, MIXER_CHANNELS);
}
