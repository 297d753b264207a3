// The ADPCM decoder (the published Dialogic/OKI algorithm) and the WAV
// player: one buffer decoded to 8-bit samples at 11025 or 22050 Hz, played
// as an in-memory WAV image by the host voice.
#include <algorithm>
#include <cstdio>

#include "host/wave_file.h"
#include "host/wave_voice.h"
#include "machine/log_lines.h"
#include "machine/settings.h"
#include "machine/ui_notice.h"
#include "sound/adpcm.h"
#include "sound/adpcm_codec.h"
#include "storage/dma.h"

AdpcmPlayer g_adpcm_player;


namespace {

constexpr int CH = DMA_CHANNEL_ADPCM;
constexpr int32_t ACCUMULATOR_LIMIT = 4032;
constexpr uint32_t LOW_RATE = 11025, HIGH_RATE = 22050;
constexpr uint32_t PHASE_ONE = 0x10000;
constexpr uint8_t SILENCE = 0x80;
constexpr uint8_t CSR_ACT = 0x08;
constexpr uint32_t END_SLACK_MS = 7;
constexpr uint32_t WAVE_FORMATS_8BIT_MONO = 0x11;  // 11.025 and 22.05 kHz

// Sample writer bounded by the image; what it does not reach stays silence.
struct SampleOut {
    uint8_t* at;
    uint8_t* end;
    void put(int32_t v) {
        if (at < end) *at++ = uint8_t(v);
    }
};

}  // namespace

uint32_t adpcm_make_wav_header(uint8_t* h, uint32_t rate, uint32_t bits, uint32_t channels, uint32_t data_size) {
    return wave_header_write(h, rate, bits, channels, data_size);
}

void adpcm_resample_init(uint32_t input_rate, uint32_t output_rate) {
    AdpcmWavDecoder& d = g_adpcm.decoder;
    d.step_index = 0;
    d.accumulator = 0;
    d.phase = 0x8000;
    d.sample = d.prev_sample = SILENCE;
    d.phase_step = uint32_t((uint64_t(output_rate) << 16) / input_rate - PHASE_ONE);
}

void adpcm_decode_nibble(uint32_t code) {
    AdpcmWavDecoder& d = g_adpcm.decoder;
    int32_t diff = ADPCM_STEP_TABLE[d.step_index] * (2 * int32_t(code & 7) + 1) / 8;
    d.accumulator += (code & 8) ? -diff : diff;
    d.accumulator = std::clamp(d.accumulator, -ACCUMULATOR_LIMIT, ACCUMULATOR_LIMIT);
    d.step_index = std::clamp(d.step_index + ADPCM_INDEX_ADJUST[code & 7], 0, 48);
    d.prev_sample = d.sample;
    d.sample = ((d.accumulator + 4) >> 5) + 128;
}

void adpcm_play_buffer(const uint8_t* source, uint32_t length, int32_t rate) {
    AdpcmPlayer& p = g_adpcm_player;
    adpcm_stop();
    uint64_t now = host_time_ms();
    if (!g_settings.wav || rate <= 0) {
        p.end_time = now + 1;  // completes at the next poll, silently
        return;
    }
    uint32_t out_rate = uint32_t(rate) < LOW_RATE ? LOW_RATE : HIGH_RATE;
    uint32_t data_size = uint32_t(2 * (uint64_t(out_rate) * length / uint32_t(rate)) + ADPCM_LEAD_IN + ADPCM_TAIL);
    uint32_t padded = (data_size + 4) & ~3u;
    p.wav.assign(WAVE_HEADER_BYTES + padded, SILENCE);
    adpcm_make_wav_header(p.wav.data(), out_rate, 8, 1, data_size);
    adpcm_resample_init(uint32_t(rate), out_rate);
    AdpcmWavDecoder& d = g_adpcm.decoder;
    SampleOut out{p.wav.data() + WAVE_HEADER_BYTES, p.wav.data() + p.wav.size()};
    for (uint32_t i = 0; i < ADPCM_LEAD_IN; i++) out.put(SILENCE);
    for (uint32_t i = 0; i < 2 * length; i++) {
        adpcm_decode_nibble(i & 1 ? source[i / 2] >> 4 : source[i / 2] & 15);
        out.put(d.prev_sample);
        d.phase += d.phase_step;
        for (int extra = 0; extra < 2 && d.phase >= PHASE_ONE; extra++) {
            d.phase -= PHASE_ONE;
            out.put((d.prev_sample + d.sample) / 2);
        }
    }
    for (uint32_t i = 0; i < ADPCM_TAIL; i++) {
        out.put(d.sample);
        d.sample += d.sample > SILENCE ? -1 : d.sample < SILENCE ? 1 : 0;
    }
    // Heard only with the focus; a voice that cannot play still keeps the
    // time, so the transfer completes either way.
    if (g_ui_notice.has_focus) host_play_sound(p.wav.data(), p.wav.size());
    p.end_time = now + uint64_t(padded) * 1000 / out_rate + END_SLACK_MS;
    dma_set_reg_byte(CH, DMA_CSR, CSR_ACT);
    dma_set_reg_byte(CH, DMA_CER, 0);
}

void adpcm_stop() {
    AdpcmPlayer& p = g_adpcm_player;
    host_play_sound(nullptr, 0);
    p.wav.clear();
    p.wav.shrink_to_fit();
    p.end_time = 0;
    dma_set_reg_byte(CH, DMA_CSR, dma_reg_byte(CH, DMA_CSR) & ~CSR_ACT);
}

void adpcm_poll_end() {
    AdpcmPlayer& p = g_adpcm_player;
    if (!p.end_time || p.end_time >= host_time_ms()) return;
    adpcm_stop();
    dma_set_reg_byte(CH, DMA_CSR, dma_reg_byte(CH, DMA_CSR) | DMA_CSR_DONE);
    if (dma_reg_byte(CH, DMA_CCR) & DMA_CCR_INT) dma_raise_interrupt(dma_reg_byte(CH, DMA_NIV));
}

void adpcm_probe_wave_out() {
    AdpcmPlayer& p = g_adpcm_player;
    p.device_count = 1;  // the mixer's voice, whatever the sink
    char line[48];
    std::snprintf(line, sizeof line, "waveOutGetNumDevs: %d", p.device_count);
    log_add_line(line);
    p.formats = WAVE_FORMATS_8BIT_MONO;
    std::snprintf(line, sizeof line, "wave format: %d", p.formats);
    log_add_line(line);
}
