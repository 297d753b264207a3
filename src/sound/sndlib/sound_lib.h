// The sound library's state: YM2151, MSM6258, DMAC channel 3, i8255 port C
// and PCM8, rendered in emulated time and mixed into one output stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sound/sndlib/dmac3.h"
#include "sound/sndlib/msm6258.h"
#include "sound/sndlib/pcm8.h"
#include "sound/sndlib/resampler.h"
#include "sound/sndlib/ym2151.h"

namespace sndlib {

// Results of X68Sound_Start. (-2, no timer, cannot happen in emulated time.)
inline constexpr int SNDLIB_OK = 0, SNDLIB_NO_STREAM = -1, SNDLIB_NO_MEMORY = -3;

// The ranges of the start arguments FMBETW (ms), FMPCMBUF and FMLATE (ms).
inline constexpr int BETW_MS_MIN = 1, BETW_MS_MAX = 50;
inline constexpr int PCMBUF_MIN = 1, PCMBUF_MAX = 16;
inline constexpr int LATE_MS_MIN = 20, LATE_MS_MAX = 1000;

// Settings, clamped to these ranges.
struct LibSettings {
    int rate = 44100;   // output rate
    bool opm = true;    // FMOPM: OPM heard
    bool adpcm = true;  // FMADPCM: ADPCM and PCM8 heard
    int betw_ms = 5;    // FMBETW: most ms of sound per render step, 1-50
    int pcmbuf = 5;     // FMPCMBUF: output ring in FMLATEs, 1-16
    int late_ms = 200;  // FMLATE: stream latency, 20-1000
    double rev = 1.0;   // FMREV: rate trim, 0.5-2
};
LibSettings clamp_settings(int rate, int opm, int adpcm, int betw, int pcmbuf, int late, double rev);

// The host mixer's stream, as the glue hands it over. The mixer keeps the
// emulated clock: it asks the library for the frames up to now through
// render, and catch_up has it do so at once.
using RenderFn = void (*)(void* user, int16_t* lr, uint32_t frames);
struct MixerStream {
    void* ctx = nullptr;
    bool (*open)(void* ctx, int rate, RenderFn render, void* user) = nullptr;
    void (*catch_up)(void* ctx) = nullptr;
    void (*close)(void* ctx) = nullptr;
};

using VoidCallback = void (*)();
using MemReadCallback = int32_t (*)(uint32_t addr);
using WaveCallback = void (*)(const int16_t* lr, int32_t frames);

inline constexpr int32_t ADPCM_MIX_GAIN = 4;  // the 12-bit ADPCM and PCM8 bus into the mix

class SoundLib {
public:
    // Starts with a stream (true) or for StartPcm/GetPcm (false).
    int start(const LibSettings& s, bool with_stream);
    void free();
    void reset();
    bool started() const { return started_; }
    bool streaming() const { return streaming_; }
    // Renders up to the mixer's now (stream mode only).
    void render_to_now();
    // Makes frames of output into buf (the stream's render, or GetPcm).
    int32_t get_pcm(int16_t* buf, int32_t frames);
    int set_rate(int rate);
    int32_t total_volume = 256;

    Ym2151 opm;
    Msm6258 adpcm;
    DmacChannel3 dma;
    Pcm8 pcm8;
    uint8_t port_c = 0x0B;  // both sides off, divider 2
    uint8_t opm_latch = 0;
    int32_t opm_wait = 0;
    int32_t error_code = 0;

    MixerStream stream;
    VoidCallback opm_int = nullptr, dma_int = nullptr, dma_err_int = nullptr, betw_int = nullptr;
    MemReadCallback mem_read = nullptr;
    WaveCallback wave = nullptr;
    uint64_t chip_samples = 0;  // rendered since the start
    uint64_t position = 0;      // the sample being made, for callbacks

private:
    void render_chip(uint32_t n);
    void emit(const std::vector<float>& frames);
    void wire();
    LibSettings set_;
    bool started_ = false, streaming_ = false, rendering_ = false;
    double adpcm_pos_ = 0;
    int32_t adpcm_prev_ = 0, adpcm_cur_ = 0;
    Resampler rs_;
    std::vector<int32_t> mix_, pcm_;
    std::vector<float> resampled_;
    std::vector<int16_t> ring_;  // output frames waiting (L, R)
    size_t ring_cap_ = 0;
};

SoundLib& sound_lib();

}  // namespace sndlib
