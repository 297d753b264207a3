#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/run_loop.h"
#include "core/boundary.h"
#include "core/bus.h"
#include "host/audio_mixer.h"
#include "host/wave_file.h"
#include "host/wave_voice.h"
#include "input/ppi.h"
#include "machine/machine.h"
#include "machine/scheduler.h"
#include "machine/settings.h"
#include "machine/ui_notice.h"
#include "sound/adpcm.h"
#include "sound/adpcm_codec.h"
#include "sound/fm_card.h"
#include "sound/opm.h"
#include "sound/sound_models.h"
#include "storage/dma.h"
#include "support/machine_map.h"
#include "support/powered_on.h"
#include "tone.h"

namespace {

constexpr int CH = DMA_CHANNEL_ADPCM;

class SoundAdpcm : public PoweredOnMachine {
protected:
    void SetUp() override {
        PoweredOnMachine::SetUp();
        ASSERT_TRUE(machine_map_install(0x400000));
        mixer_set_clock(nullptr);
        mixer_set_manual_time(mixer_frames_to_time(44100));
        host_time_set_emulated(true);
        mixer_reset();
        adpcm_power_on();
        dma_power_on();
        std::fill(std::begin(g_scheduler.countdown), std::end(g_scheduler.countdown), 0);
        sound_models_select(g_settings.fm, g_settings.fmpcm8);
        g_fmcard.chip.opm_regs[OPM_CT_RATE] = 0;
        g_ppi.regs[PPI_PORT_C] = 0x08;  // 15600 Hz
        g_ui_notice.has_focus = 1;
    }
    void TearDown() override {
        adpcm_stop();
        host_sound_close();
        host_time_set_emulated(false);
        g_ui_notice.has_focus = 0;
    }
    static void at_ms(uint64_t ms) { mixer_set_manual_time(mixer_frames_to_time((ms * 44100 + 999) / 1000)); }
    static uint64_t now_ms() { return host_time_ms(); }
    // The decoded samples of the image that plays.
    static std::vector<int16_t> playing() {
        WaveImage w;
        EXPECT_TRUE(wave_image_parse(g_adpcm_player.wav.data(), g_adpcm_player.wav.size(), w));
        return w.samples;
    }
};

// A greedy encoder for the tests: each code the one whose decoded sample
// comes nearest the wanted one.
std::vector<uint8_t> encode(const std::vector<int>& wanted) {
    adpcm_resample_init(15600, 22050);
    std::vector<uint8_t> out((wanted.size() + 1) / 2, 0);
    AdpcmWavDecoder& d = g_adpcm.decoder;
    for (size_t i = 0; i < wanted.size(); i++) {
        int32_t idx = d.step_index, acc = d.accumulator, smp = d.sample;
        uint32_t best = 0;
        int best_err = 1 << 30;
        for (uint32_t code = 0; code < 16; code++) {
            d.step_index = idx;
            d.accumulator = acc;
            d.sample = smp;
            adpcm_decode_nibble(code);
            int err = std::abs(d.sample - wanted[i]);
            if (err < best_err) {
                best_err = err;
                best = code;
            }
        }
        d.step_index = idx;
        d.accumulator = acc;
        d.sample = smp;
        adpcm_decode_nibble(best);
        out[i / 2] |= uint8_t(i & 1 ? best << 4 : best);
    }
    return out;
}

// The step table follows 16 x 1.1^n; a hand-worked sequence; the limits.
TEST_F(SoundAdpcm, sound_adpcm_decoder) {
    for (int n = 0; n < 49; n++) EXPECT_NEAR(ADPCM_STEP_TABLE[n], 16 * std::pow(1.1, n), 1.0 + n * 0.02) << n;
    EXPECT_EQ(ADPCM_STEP_TABLE[0], 16);
    EXPECT_EQ(ADPCM_STEP_TABLE[48], 1552);
    adpcm_resample_init(7800, 11025);
    EXPECT_EQ(g_adpcm.decoder.phase_step, (11025u << 16) / 7800 - 0x10000);
    struct Step {
        uint32_t code;
        int32_t acc, index, sample;
    };
    const Step steps[] = {{7, 30, 8, 129}, {7, 93, 16, 131}, {8, 84, 15, 130}, {0, 92, 14, 131}};
    for (const Step& s : steps) {
        adpcm_decode_nibble(s.code);
        EXPECT_EQ(g_adpcm.decoder.accumulator, s.acc) << s.code;
        EXPECT_EQ(g_adpcm.decoder.step_index, s.index) << s.code;
        EXPECT_EQ(g_adpcm.decoder.sample, s.sample) << s.code;
    }
    EXPECT_EQ(g_adpcm.decoder.prev_sample, 130);
    for (int i = 0; i < 100; i++) adpcm_decode_nibble(7);
    EXPECT_EQ(g_adpcm.decoder.accumulator, 4032);
    EXPECT_EQ(g_adpcm.decoder.step_index, 48);
    EXPECT_EQ(g_adpcm.decoder.sample, 254);
    for (int i = 0; i < 100; i++) adpcm_decode_nibble(15);
    EXPECT_EQ(g_adpcm.decoder.sample, 2);
}

// A 1 kHz sine encoded by the test plays back peaking at 1 kHz.
TEST_F(SoundAdpcm, sound_adpcm_sine_round_trip) {
    std::vector<int> wanted(15600);
    for (size_t i = 0; i < wanted.size(); i++)
        wanted[i] = 128 + int(std::lround(80 * std::sin(2 * M_PI * 1000 * i / 15600.0)));
    std::vector<uint8_t> adpcm = encode(wanted);
    adpcm_play_buffer(adpcm.data(), uint32_t(adpcm.size()), 15600);
    std::vector<int16_t> s = playing();
    ASSERT_GT(s.size(), 22050u);
    EXPECT_NEAR(tone_peak(s, 1, 0, 1000, 16384, 22050, 900, 1100, 1), 1000, 2);
    EXPECT_GT(tone_rms(s, 1, 1000, 16384), 60 * 256 / std::sqrt(2.0) * 0.8);
}

// Header, data size, end time, status and the completion at the poll.
TEST_F(SoundAdpcm, sound_adpcm_header_end_time_and_completion) {
    g_ppi.regs[PPI_PORT_C] = 0x00;  // 7800 Hz
    dma_set_reg_byte(CH, DMA_CCR, DMA_CCR_INT);
    dma_set_reg_byte(CH, DMA_NIV, 0x6A);
    std::vector<uint8_t> bytes(100, 0x08);
    for (size_t i = 0; i < bytes.size(); i++) g_machine.main_ram[0x10000 + i] = bytes[i];
    dma_set_reg_long(CH, DMA_MAR, 0x10000);
    dma_set_reg_word(CH, DMA_MTC, 100);
    uint64_t start = now_ms();
    EXPECT_EQ(ADPCM_BUS.read_byte(ADPCM_COMMAND), ADPCM_STATUS_IDLE);
    ADPCM_BUS.write_byte(ADPCM_COMMAND, ADPCM_CMD_PLAY);
    const std::vector<uint8_t>& img = g_adpcm_player.wav;
    ASSERT_EQ(img.size(), 44u + 420);
    const uint8_t head[] = {'R', 'I', 'F', 'F', 0xC6, 1, 0,   0,   'W', 'A',  'V',  'E', 'f', 'm',  't',
                            ' ', 16,  0,   0,   0,    1, 0,   1,   0,   0x11, 0x2B, 0,   0,   0x11, 0x2B,
                            0,   0,   1,   0,   8,    0, 'd', 'a', 't', 'a',  0xA2, 1,   0,   0};
    EXPECT_TRUE(std::equal(std::begin(head), std::end(head), img.begin()));
    EXPECT_EQ(g_adpcm_player.end_time, start + 45);
    EXPECT_EQ(dma_reg_byte(CH, DMA_CSR), 0x08);
    EXPECT_EQ(ADPCM_BUS.read_byte(ADPCM_COMMAND), ADPCM_STATUS_PLAYING);
    EXPECT_EQ(ADPCM_BUS.read_long(0xE92000), uint32_t(ADPCM_STATUS_PLAYING) << 16);
    EXPECT_TRUE(host_sound_playing());
    at_ms(1000 + 45);
    adpcm_poll_end();
    EXPECT_NE(g_adpcm_player.end_time, 0u);  // not earlier than now yet
    at_ms(1000 + 46);
    adpcm_poll_end();
    EXPECT_EQ(g_adpcm_player.end_time, 0u);
    EXPECT_EQ(ADPCM_BUS.read_byte(ADPCM_COMMAND), ADPCM_STATUS_IDLE);
    EXPECT_EQ(dma_reg_byte(CH, DMA_CSR), DMA_CSR_DONE);
    EXPECT_EQ(g_dmac.pending_vector, 0x6Au);
    EXPECT_GT(g_scheduler.countdown[EV_LEVEL_DMA], 0);

    // A zero-length block: 136 samples of lead-in and tail, 19 ms.
    adpcm_play_buffer(bytes.data(), 0, 7800);
    EXPECT_EQ(playing().size(), 136u);
    // Rate 3 in port C: nothing plays; it completes at the next poll.
    g_ppi.regs[PPI_PORT_C] = 0x0C;
    ADPCM_BUS.write_byte(ADPCM_COMMAND, ADPCM_CMD_PLAY);
    EXPECT_TRUE(g_adpcm_player.wav.empty());
    EXPECT_EQ(g_adpcm_player.end_time, now_ms() + 1);
    // In the background: nothing heard, the same times.
    g_ui_notice.has_focus = 0;
    g_ppi.regs[PPI_PORT_C] = 0x00;
    ADPCM_BUS.write_byte(ADPCM_COMMAND, ADPCM_CMD_PLAY);
    EXPECT_FALSE(host_sound_playing());
    EXPECT_EQ(g_adpcm_player.end_time, now_ms() + 45);
}

// Rates by port C and OPM $1B; transfers that are refused.
TEST_F(SoundAdpcm, sound_adpcm_rates_and_refused_transfers) {
    struct Rate {
        uint8_t port_c, ct;
        uint32_t rate;
    };
    for (Rate r : {Rate{0x00, 0, 7800},
                   {0x04, 0, 10400},
                   {0x08, 0, 15600},
                   {0x08, 0x80, 7800},
                   {0x0C, 0, 0},
                   {0x04, 0x80, 5200}}) {
        g_ppi.regs[PPI_PORT_C] = r.port_c;
        g_fmcard.chip.opm_regs[OPM_CT_RATE] = r.ct;
        EXPECT_EQ(adpcm_input_rate(), r.rate);
    }
    g_fmcard.chip.opm_regs[OPM_CT_RATE] = 0;
    g_ppi.regs[PPI_PORT_C] = 0x08;
    dma_set_reg_long(CH, DMA_MAR, 0x10000);
    dma_set_reg_word(CH, DMA_MTC, 100);
    for (uint8_t ocr : {0x80, 0x10, 0x20, 0x04}) {  // device to memory, word, long, continue mode
        dma_set_reg_byte(CH, DMA_OCR, ocr);
        ADPCM_BUS.write_byte(ADPCM_COMMAND, ADPCM_CMD_PLAY);
        EXPECT_EQ(g_adpcm_player.end_time, 0u) << int(ocr);
    }
    dma_set_reg_byte(CH, DMA_OCR, 0x30);  // size 3 plays
    ADPCM_BUS.write_byte(ADPCM_COMMAND, ADPCM_CMD_PLAY);
    EXPECT_NE(g_adpcm_player.end_time, 0u);
    adpcm_stop();
    dma_set_reg_long(CH, DMA_MAR, 0x00FF0000);  // the IPL ROM: not gathered
    dma_set_reg_byte(CH, DMA_OCR, 0x00);
    ADPCM_BUS.write_byte(ADPCM_COMMAND, ADPCM_CMD_PLAY);
    EXPECT_EQ(g_adpcm_player.end_time, 0u);
}

// Array and link chains, read in probe mode; long chains and faults play nothing.
TEST_F(SoundAdpcm, sound_adpcm_chains) {
    auto put_long = [](uint32_t a, uint32_t v) { mem_write_long_c(v, a); };
    auto put_word = [](uint32_t a, uint32_t v) { mem_write_word_c(v, a); };
    // The data size the gathered length gives at 15600 Hz in.
    auto gathered = [] { return g_adpcm_player.wav.empty() ? 0u : uint32_t(g_adpcm_player.wav.size() - 44); };
    auto size_for = [](uint64_t n) { return (uint32_t(2 * (22050 * n / 15600) + 136) + 4) & ~3u; };

    // Array: two entries of 100 and 50 bytes, one unmapped entry skipped.
    put_long(0x20000, 0x30000), put_word(0x20004, 100);
    put_long(0x20006, 0xFF0000), put_word(0x2000A, 77);
    put_long(0x2000C, 0x31000), put_word(0x20010, 50);
    dma_set_reg_byte(CH, DMA_OCR, 0x08);
    dma_set_reg_long(CH, DMA_BAR, 0x20000);
    dma_set_reg_word(CH, DMA_BTC, 3);
    ADPCM_BUS.write_byte(ADPCM_COMMAND, ADPCM_CMD_PLAY);
    EXPECT_EQ(gathered(), size_for(150));
    // A table in a bus-error area: nothing.
    adpcm_stop();
    dma_set_reg_long(CH, DMA_BAR, 0xEC0000);
    ADPCM_BUS.write_byte(ADPCM_COMMAND, ADPCM_CMD_PLAY);
    EXPECT_EQ(g_adpcm_player.end_time, 0u);
    EXPECT_EQ(g_mem_probe_mode, 0u);
    // Started from within another probe (a DMA run writing the command), the
    // table's fault stays the voice's: the run's record is left as it was.
    {
        ProbeScope run(ProbeScope::SUPERVISOR);
        ADPCM_BUS.write_byte(ADPCM_COMMAND, ADPCM_CMD_PLAY);
        EXPECT_FALSE(run.faulted());
        EXPECT_EQ(g_mem_probe_mode, 1u);
    }
    // 300 entries of 65535 bytes: cut at 16 MiB (decoded, not played).
    g_ui_notice.has_focus = 0;
    for (uint32_t i = 0; i < 300; i++) put_long(0x40000 + 6 * i, 0x100000), put_word(0x40004 + 6 * i, 0xFFFF);
    dma_set_reg_long(CH, DMA_BAR, 0x40000);
    dma_set_reg_word(CH, DMA_BTC, 300);
    ADPCM_BUS.write_byte(ADPCM_COMMAND, ADPCM_CMD_PLAY);
    EXPECT_EQ(gathered(), size_for(ADPCM_GATHER_LIMIT));
    adpcm_stop();

    // Link: three entries; 130 linked entries give up; BAR 0 plays nothing.
    dma_set_reg_byte(CH, DMA_OCR, 0x0C);
    put_long(0x20000, 0x30000), put_word(0x20004, 10), put_long(0x20006, 0x20100);
    put_long(0x20100, 0x30000), put_word(0x20104, 20), put_long(0x20106, 0x20200);
    put_long(0x20200, 0x30000), put_word(0x20204, 30), put_long(0x20206, 0);
    dma_set_reg_long(CH, DMA_BAR, 0x20000);
    ADPCM_BUS.write_byte(ADPCM_COMMAND, ADPCM_CMD_PLAY);
    EXPECT_EQ(gathered(), size_for(60));
    adpcm_stop();
    for (uint32_t n : {129u, 130u}) {
        for (uint32_t i = 0; i < n; i++)
            put_long(0x50000 + 10 * i, 0x30000), put_word(0x50004 + 10 * i, 1),
                put_long(0x50006 + 10 * i, i + 1 < n ? 0x50000 + 10 * (i + 1) : 0);
        dma_set_reg_long(CH, DMA_BAR, 0x50000);
        ADPCM_BUS.write_byte(ADPCM_COMMAND, ADPCM_CMD_PLAY);
        EXPECT_EQ(gathered(), n == 129 ? size_for(129) : 0u) << n;
        adpcm_stop();
    }
    dma_set_reg_long(CH, DMA_BAR, 0);
    ADPCM_BUS.write_byte(ADPCM_COMMAND, ADPCM_CMD_PLAY);
    EXPECT_EQ(g_adpcm_player.end_time, 0u);
}

}  // namespace
