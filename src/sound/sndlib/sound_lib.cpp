#include "sound/sndlib/sound_lib.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace sndlib {

SoundLib& sound_lib() {
    static SoundLib lib;
    return lib;
}

LibSettings clamp_settings(int rate, int opm, int adpcm, int betw, int pcmbuf, int late, double rev) {
    LibSettings s;
    s.rate = std::clamp(rate, 8000, 192000);
    s.opm = opm != 0;
    s.adpcm = adpcm != 0;
    s.betw_ms = std::clamp(betw, BETW_MS_MIN, BETW_MS_MAX);
    s.pcmbuf = std::clamp(pcmbuf, PCMBUF_MIN, PCMBUF_MAX);
    s.late_ms = std::clamp(late, LATE_MS_MIN, LATE_MS_MAX);
    s.rev = std::isfinite(rev) ? std::clamp(rev, 0.5, 2.0) : 1.0;
    return s;
}

// The mixer stream's render: the frames up to now.
static void render(void* user, int16_t* lr, uint32_t frames) {
    static_cast<SoundLib*>(user)->get_pcm(lr, int32_t(frames));
}

// The chips' callbacks into the library's own.
void SoundLib::wire() {
    opm.on_irq = [](void* c) {
        if (auto f = static_cast<SoundLib*>(c)->opm_int) f();
    };
    opm.irq_ctx = this;
    dma.host.ctx = this;
    dma.host.read = [](void* c, uint32_t a) -> int32_t {
        auto f = static_cast<SoundLib*>(c)->mem_read;
        return f ? f(a) : 0;
    };
    dma.host.interrupt = [](void* c, bool error) {
        auto* lib = static_cast<SoundLib*>(c);
        if (auto f = error ? lib->dma_err_int : lib->dma_int) f();
    };
    pcm8.ctx = this;
    pcm8.read = dma.host.read;
}

int SoundLib::start(const LibSettings& s, bool with_stream) {
    if (started_) free();
    set_ = s;
    total_volume = 256;
    try {
        ring_cap_ = size_t(s.rate) * s.late_ms * s.pcmbuf / 1000;
        ring_.reserve(2 * ring_cap_);
        mix_.reserve(2 * 4096);
        pcm_.reserve(2 * 4096);
        resampled_.reserve(2 * 4096);
    } catch (const std::bad_alloc&) { return error_code = SNDLIB_NO_MEMORY; }
    started_ = true;
    wire();
    reset();
    if (with_stream) {
        if (!(stream.open && stream.catch_up && stream.open(stream.ctx, s.rate, render, this))) {
            free();
            return error_code = SNDLIB_NO_STREAM;
        }
        streaming_ = true;
    }
    return error_code = SNDLIB_OK;
}

void SoundLib::reset() {
    opm.reset();
    adpcm.reset();
    dma.reset();
    pcm8.reset();
    wire();
    port_c = 0x0B;
    opm_latch = 0;
    adpcm_pos_ = 0;
    adpcm_prev_ = adpcm_cur_ = 0;
    rs_.setup(opm.sample_rate() * set_.rev, set_.rate);
    ring_.clear();
    chip_samples = 0;
}

void SoundLib::free() {
    if (streaming_ && stream.close) stream.close(stream.ctx);
    rendering_ = false;
    started_ = streaming_ = false;
    std::vector<int16_t>().swap(ring_);
    std::vector<int32_t>().swap(mix_);
    std::vector<int32_t>().swap(pcm_);
    std::vector<float>().swap(resampled_);
}

// A new output rate: a stream is opened again at it.
int SoundLib::set_rate(int rate) {
    set_.rate = std::clamp(rate, 8000, 192000);
    if (!started_) return 0;
    rs_.setup(opm.sample_rate() * set_.rev, set_.rate);
    ring_cap_ = size_t(set_.rate) * set_.late_ms * set_.pcmbuf / 1000;
    ring_.clear();
    if (streaming_) {
        stream.close(stream.ctx);
        streaming_ = stream.open(stream.ctx, set_.rate, render, this);
    }
    return streaming_ || !stream.open ? 0 : SNDLIB_NO_STREAM;
}

void SoundLib::render_to_now() {
    if (started_ && streaming_ && !rendering_) stream.catch_up(stream.ctx);
}

// Renders at most FMBETW ms at a time; the chips' callbacks may call the
// library meanwhile, which then renders nothing more.
int32_t SoundLib::get_pcm(int16_t* buf, int32_t frames) {
    if (!started_ || frames <= 0) return 0;
    bool outer = !rendering_;
    rendering_ = true;
    const double step = opm.sample_rate() * set_.rev / set_.rate;
    const double chunk = std::max(1.0, opm.sample_rate() * set_.betw_ms / 1000.0);
    while (ring_.size() / 2 < size_t(frames)) {
        double need = (frames - double(ring_.size() / 2)) * step + 1;
        render_chip(uint32_t(std::clamp(need, 1.0, chunk)));
        if (betw_int) betw_int();
    }
    if (outer) rendering_ = false;
    std::copy(ring_.begin(), ring_.begin() + 2 * frames, buf);
    ring_.erase(ring_.begin(), ring_.begin() + 2 * frames);
    return frames;
}

void SoundLib::render_chip(uint32_t n) {
    mix_.assign(2 * size_t(n), 0);
    pcm_.assign(2 * size_t(n), 0);
    opm.render(mix_.data(), n);
    if (!set_.opm) std::fill(mix_.begin(), mix_.end(), 0);
    // The ADPCM voice, sample-to-sample lines at its rate; the DMA feeds it.
    const double chip_rate = opm.sample_rate();
    const double step = adpcm.rate(port_c, opm.reg(OPM_REG_CT_W) & OPM_CT1) / chip_rate;
    if (adpcm.playing() || adpcm_cur_ || adpcm_prev_) {
        auto fetch = [this](uint8_t& b) { return dma.request(b); };
        const bool left = !(port_c & PPI_LEFT_OFF), right = !(port_c & PPI_RIGHT_OFF);
        for (uint32_t i = 0; i < n; ++i) {
            if (step > 0) {
                position = chip_samples + i;
                adpcm_pos_ += step;
                while (adpcm_pos_ >= 1.0) {
                    adpcm_pos_ -= 1.0;
                    adpcm_prev_ = adpcm_cur_;
                    adpcm_cur_ = adpcm.next(fetch);
                }
            }
            int32_t v = int32_t(adpcm_prev_ + (adpcm_cur_ - adpcm_prev_) * adpcm_pos_);
            if (left) pcm_[2 * i] += v;
            if (right) pcm_[2 * i + 1] += v;
        }
    }
    pcm8.render(pcm_.data(), n, chip_rate);
    if (set_.adpcm)
        for (size_t i = 0; i < mix_.size(); ++i) mix_[i] += pcm_[i] * ADPCM_MIX_GAIN;
    chip_samples += n;
    resampled_.clear();
    rs_.process(mix_.data(), n, resampled_);
    emit(resampled_);
}

// Output frames: the total volume (256 = unity), saturated to 16 bits,
// into the ring.
void SoundLib::emit(const std::vector<float>& frames) {
    const float vol = float(total_volume) / 256.0f;
    size_t first = ring_.size();
    for (float f : frames) {
        float v = std::nearbyint(f * vol);
        ring_.push_back(int16_t(std::clamp(v, -32768.0f, 32767.0f)));
    }
    if (wave) wave(ring_.data() + first, int32_t((ring_.size() - first) / 2));
}

}  // namespace sndlib
