// The glue: loading, start and stop, the PCM8 TRAP and the IOCS ADPCM road
// on the library.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <string>
#include <vector>

#include "core/bus.h"
#include "core/cpu_regs.h"
#include "host/audio_mixer.h"
#include "host/message_box.h"
#include "machine/machine.h"
#include "machine/settings.h"
#include "sound/adpcm.h"
#include "sound/adpcm_iocs.h"
#include "sound/fm_card.h"
#include "sound/sndlib.h"
#include "sound/sound_models.h"
#include "storage/dma.h"
#include "support/machine_map.h"
#include "support/powered_on.h"

namespace {

std::vector<std::string> g_boxes;
struct StartArgs {
    int rate, opm, adpcm, betw, pcmbuf, late;
    double rev;
} g_args;
int32_t g_start_result = 0;
std::vector<SndLibExport> g_table;

int32_t recording_start(int32_t rate, int32_t opm, int32_t adpcm, int32_t betw, int32_t pcmbuf, int32_t late,
                        double rev) {
    g_args = {rate, opm, adpcm, betw, pcmbuf, late, rev};
    return g_start_result ? g_start_result : X68Sound_Start(rate, opm, adpcm, betw, pcmbuf, late, rev);
}

class SoundLibGlue : public PoweredOnMachine {
protected:
    void SetUp() override {
        PoweredOnMachine::SetUp();
        ASSERT_TRUE(machine_map_install());
        g_message_box_backend = [](const char* text, const char*, MessageBoxKind) {
            g_boxes.push_back(text);
            return MB_ANSWER_OK;
        };
        g_boxes.clear();
        g_table.assign(g_sndlib_exports, g_sndlib_exports + SNDLIB_EXPORT_COUNT);
        for (auto& e : g_table)
            if (std::string(e.name) == "X68Sound_Start") e.proc = reinterpret_cast<SndLibProc>(&recording_start);
        sndlib_use_table(g_table.data(), int(g_table.size()));
        g_start_result = 0;
        mixer_reset();
        mixer_set_manual_time(0);
        g_settings.fm = FM_EXTERNAL_LIBRARY;
        sound_models_select(g_settings.fm, g_settings.fmpcm8);
        g_settings.fmsample = 0;
        g_settings.fmlate = 20;
        g_fmcard.adpcm_calls_set = 0;
    }
    void TearDown() override {
        sndlib_stop();
        sndlib_use_table(g_sndlib_exports, SNDLIB_EXPORT_COUNT);
        g_message_box_backend = host_message_box_show;
        g_settings.fm = 0;
        sound_models_select(g_settings.fm, g_settings.fmpcm8);
    }
    // Emulated time moves on by ms; the library renders up to it.
    static void run_ms(double ms) {
        mixer_set_manual_time(mixer_now() + MixerTime(ms * MIXER_RATE / 1000.0 * (1u << MIXER_FRAC_BITS)));
        sndlib_render_now();
    }
};

}  // namespace

TEST_F(SoundLibGlue, LoadFindsEveryCallOrReportsWhy) {
    EXPECT_EQ(sndlib_load(), 0);
    auto missing = g_table;
    missing.erase(missing.begin() + 17);  // X68Sound_DmaPeek
    sndlib_use_table(missing.data(), int(missing.size()));
    EXPECT_EQ(sndlib_load(), -2);
    g_fmcard.card_found = 1;
    EXPECT_EQ(sndlib_start(), 0);
    EXPECT_EQ(g_fmcard.card_found, 0);
    sndlib_use_table(nullptr, 0);
    EXPECT_EQ(sndlib_start(), 0);
    EXPECT_EQ(g_boxes, (std::vector<std::string>{"x68Sound.dll のバージョンが違うようです\n",
                                                 "x68Sound.dll が見つかりません\n"}));
    EXPECT_EQ(g_sound_models.library_started, 0u);
}

TEST_F(SoundLibGlue, StartHandsOverTheSettingsAndFailuresHaveTheirBoxes) {
    g_settings.fmbetw = 7;
    g_settings.fmlate = 300;
    ASSERT_EQ(sndlib_start(), 1);
    EXPECT_EQ(g_args.rate, 22050);
    EXPECT_EQ(g_args.betw, 7);
    EXPECT_EQ(g_args.late, 300);
    EXPECT_EQ(g_fmcard.card_found, 1);
    EXPECT_EQ(g_sound_models.library_started, 1u);
    sndlib_stop();
    g_settings.fmsample = 1;
    ASSERT_EQ(sndlib_start(), 1);
    EXPECT_EQ(g_args.rate, 44100);
    sndlib_stop();
    for (int r : {-1, -2, -3, -7}) {
        g_start_result = r;
        EXPECT_EQ(sndlib_start(), 0);
    }
    EXPECT_EQ(g_boxes,
              (std::vector<std::string>{"PCMサウンドを出力できません。(1)", "タイマー割り込みが利用できません。",
                                        "pcmbufのメモリ確保に失敗しました。", "未定義エラー"}));
    EXPECT_EQ(g_sound_models.library_started, 0u);
}

TEST_F(SoundLibGlue, StopSleepIsBounded) {
    for (int late : {INT_MIN, -100000}) {
        ASSERT_EQ(sndlib_start(), 1);
        g_settings.fmlate = late;
        g_settings.fmbetw = INT_MIN;
        auto t0 = std::chrono::steady_clock::now();
        sndlib_stop();
        EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(2));
        EXPECT_EQ(g_sound_models.library_started, 0u);
    }
}

TEST_F(SoundLibGlue, MemReadKeepsTheProbeStateItFound) {
    g_machine.main_ram[0x1234] = 0x5A;
    for (uint32_t mode : {0u, 1u}) {
        g_mem_probe_mode = mode;
        g_mem_probe_fault = 7;
        EXPECT_EQ(sndlib_mem_read(0x1234), 0x5A);
        EXPECT_EQ(g_mem_probe_mode, mode);
        EXPECT_EQ(g_mem_probe_fault, 7u);
        EXPECT_NE(sndlib_mem_read(0xEFFFFF) & sndlib::MEM_FAULT, 0);  // nothing mapped there
        EXPECT_EQ(g_mem_probe_mode, mode);
        EXPECT_EQ(g_mem_probe_fault, 7u);
    }
    g_mem_probe_mode = g_mem_probe_fault = 0;
}

TEST_F(SoundLibGlue, Pcm8TrapCallsAndTheDriverCheck) {
    ASSERT_EQ(sndlib_start(), 1);
    cpu_d(0) = 0x0071;
    cpu_d(1) = 0x0C0301;
    sndlib_pcm8_call();
    EXPECT_EQ(X68Sound_Pcm8_GetMode(1), 0x0C0301);
    cpu_d(0) = 0x0092;
    sndlib_pcm8_call();
    EXPECT_EQ(cpu_d(0), uint32_t(sndlib::PCM8_DEFAULT_MODE));
    EXPECT_TRUE(pcm8_call_served(0x0071));
    EXPECT_FALSE(pcm8_call_served(0x0031));
    // The driver is recognised by "PCM8" 8 bytes before the TRAP #2 entry:
    // an even address of 8 or more inside main RAM.
    struct Case {
        uint32_t vector;
        bool found;
    } cases[] = {
        {0x2000, true},      {0x2001, false}, {0x0004, false}, {0x0000, false}, {g_machine.main_ram_size + 8, false},
        {0xFFFFFFF8, false},
    };
    for (auto k : cases) {
        g_fmcard.adpcm_calls_set = 0;
        std::fill(g_machine.main_ram, g_machine.main_ram + 16, 0);
        for (int i = 0; i < 4; ++i) {
            g_machine.main_ram[0x88 + i] = uint8_t(k.vector >> (24 - 8 * i));
            g_machine.main_ram[0x2000 - 8 + i] = uint8_t("PCM8"[i]);
            g_machine.main_ram[0x2001 - 8 + i] = uint8_t("PCM8"[i]);
        }
        cpu_d(0) = 0x0090;
        sndlib_pcm8_call();
        EXPECT_EQ(g_fmcard.adpcm_calls_set != 0, k.found) << std::hex << k.vector;
    }
}

TEST_F(SoundLibGlue, AdpcmOutModesBlocksAndSense) {
    ASSERT_EQ(sndlib_start(), 1);
    auto& lib = sndlib::sound_lib();
    // Mode $0403: rate 4 (8 MHz, divider 512), both sides.
    g_iocs_call_again = 0;
    adpcm_iocs_out(0x10000, 0x0403, 100);
    EXPECT_EQ(lib.opm.reg(sndlib::OPM_REG_CT_W) & sndlib::OPM_CT1, 0);
    EXPECT_EQ(X68Sound_PpiPeek() & 0x0F, 0x08);
    EXPECT_EQ(adpcm_iocs_sense(), ADPCM_IOCS_BLOCK);
    EXPECT_EQ(X68Sound_AdpcmPeek(), sndlib::ADPCM_STATUS_PLAYING);
    // 100 bytes at 15625 Hz: 12.8 ms; the end runs the completion steps.
    run_ms(14);
    EXPECT_EQ(adpcm_iocs_sense(), 0u);
    EXPECT_EQ(X68Sound_AdpcmPeek(), sndlib::ADPCM_STATUS_IDLE);
    EXPECT_EQ(X68Sound_PpiPeek() & 3, 3);  // both outputs off
    EXPECT_EQ(g_dmac.pending_vector, dma_reg_byte(DMA_CHANNEL_ADPCM, DMA_NIV));
    // Mode $0001: the 4 MHz clock, left only.
    adpcm_iocs_out(0x10000, 0x0001, 100);
    EXPECT_EQ(lib.opm.reg(sndlib::OPM_REG_CT_W) & sndlib::OPM_CT1, sndlib::OPM_CT1);
    EXPECT_EQ(X68Sound_PpiPeek() & 3, 1);
    // Busy: the call asks to run again and starts nothing.
    EXPECT_EQ(g_iocs_call_again, 0u);
    adpcm_iocs_array_out(0x20000, 0x0403, 1);
    EXPECT_EQ(g_iocs_call_again, 1u);
    g_iocs_call_again = 0;
    adpcm_iocs_mode(0);
    EXPECT_EQ(adpcm_iocs_sense(), 0u);
    EXPECT_EQ(X68Sound_AdpcmPeek(), sndlib::ADPCM_STATUS_IDLE);
    // Length 0 starts nothing.
    adpcm_iocs_out(0x10000, 0x0403, 0);
    EXPECT_EQ(adpcm_iocs_sense(), 0u);
    EXPECT_EQ(g_iocs_call_again, 0u);
    // _ADPCMAOT: $12 until _ADPCMMOD(0).
    for (int i = 0; i < 6; ++i) g_machine.main_ram[0x20000 + i] = uint8_t("\x00\x01\x00\x00\x10\x00"[i]);
    adpcm_iocs_array_out(0x20000, 0x0403, 1);
    EXPECT_EQ(adpcm_iocs_sense(), ADPCM_IOCS_ARRAY);
    adpcm_iocs_mode(0);
    EXPECT_EQ(adpcm_iocs_sense(), 0u);
}

TEST_F(SoundLibGlue, LongAdpcmOutStartsEachBlockAsTheLastEnds) {
    ASSERT_EQ(sndlib_start(), 1);
    // $FF01 bytes: a block of $FF00 marked as followed by more, then 1 byte.
    g_iocs_call_again = 0;
    adpcm_iocs_out(0x10000, 0x0403, 0xFF01);
    EXPECT_EQ(g_adpcm.iocs.state, ADPCM_IOCS_BLOCK | ADPCM_IOCS_MORE);
    EXPECT_EQ(X68Sound_DmaPeek(sndlib::DMA_MTC) << 8 | X68Sound_DmaPeek(sndlib::DMA_MTC + 1), 0xFF00);
    EXPECT_EQ(g_iocs_call_again, 1u);
    EXPECT_EQ(adpcm_iocs_sense(), ADPCM_IOCS_BLOCK);
    // The TRAP runs again and again while the block plays (the machine runs on).
    for (int i = 0; i < 3; ++i) {
        g_iocs_call_again = 0;
        run_ms(100);
        adpcm_iocs_out(0x10000, 0x0403, 0xFF01);
        EXPECT_EQ(g_iocs_call_again, 1u);
    }
    // $FF00 bytes at 15625 Hz: 8.36 s; then the last block of 1 byte, unmarked.
    run_ms(8400);
    EXPECT_EQ(g_adpcm.iocs.state, 0);
    EXPECT_EQ(X68Sound_AdpcmPeek(), sndlib::ADPCM_STATUS_PLAYING);  // the voice kept on
    g_iocs_call_again = 0;
    adpcm_iocs_out(0x10000, 0x0403, 0xFF01);
    EXPECT_EQ(g_iocs_call_again, 0u);
    EXPECT_EQ(g_adpcm.iocs.state, ADPCM_IOCS_BLOCK);
    uint32_t mar = uint32_t(X68Sound_DmaPeek(sndlib::DMA_MAR + 1)) << 16 | X68Sound_DmaPeek(sndlib::DMA_MAR + 2) << 8 |
                   X68Sound_DmaPeek(sndlib::DMA_MAR + 3);
    EXPECT_EQ(mar, 0x10000u + 0xFF00);
    EXPECT_EQ(X68Sound_DmaPeek(sndlib::DMA_MTC + 1), 1);
    run_ms(5);
    EXPECT_EQ(adpcm_iocs_sense(), 0u);
    EXPECT_EQ(X68Sound_AdpcmPeek(), sndlib::ADPCM_STATUS_IDLE);
    // Exactly $FF00: one unmarked block.
    adpcm_iocs_out(0x10000, 0x0403, 0xFF00);
    EXPECT_EQ(g_adpcm.iocs.state, ADPCM_IOCS_BLOCK);
    EXPECT_EQ(g_iocs_call_again, 0u);
}

TEST_F(SoundLibGlue, AdpcmErrorRunsTheErrorSteps) {
    ASSERT_EQ(sndlib_start(), 1);
    // An array table whose entry has count 0: CER $0D.
    std::fill(g_machine.main_ram + 0x20000, g_machine.main_ram + 0x20006, 0);
    adpcm_iocs_array_out(0x20000, 0x0403, 1);
    EXPECT_EQ(g_adpcm.iocs.state, 0);
    EXPECT_EQ(g_adpcm.iocs.dma_error, sndlib::CER_COUNT);
    EXPECT_EQ(dma_reg_byte(DMA_CHANNEL_ADPCM, DMA_CSR), DMA_CSR_ERR);
    EXPECT_EQ(dma_reg_byte(DMA_CHANNEL_ADPCM, DMA_CER), sndlib::CER_COUNT);
    EXPECT_EQ(g_dmac.pending_vector, dma_reg_byte(DMA_CHANNEL_ADPCM, DMA_EIV));
    EXPECT_EQ(X68Sound_AdpcmPeek(), sndlib::ADPCM_STATUS_IDLE);
}


// Selecting FM 4 hands the chips to the library and FM 0 gives them back;
// FMPCM8 changed while FM 4 runs moves the calls alone, and a library that
// cannot start leaves every chip with the machine.
TEST_F(SoundLibGlue, SelectingTheFmModeHandsTheChipsOver) {
    const SoundModel M = SoundModel::Machine, L = SoundModel::Library;
    auto models = [] {
        const SoundModels& m = g_sound_models;
        return std::vector<SoundModel>{m.ym2151, m.adpcm, m.dma3, m.pcm8_calls};
    };
    fmcard_select(g_fmcard, FM_EXTERNAL_LIBRARY);
    EXPECT_EQ(models(), (std::vector<SoundModel>{L, L, L, L}));
    EXPECT_EQ(g_sound_models.library_started, 1u);
    g_settings.fmpcm8 = 0;
    fmcard_select(g_fmcard, FM_EXTERNAL_LIBRARY);  // runs already
    EXPECT_EQ(models(), (std::vector<SoundModel>{L, L, L, M}));
    EXPECT_EQ(g_sound_models.library_started, 1u);
    fmcard_select(g_fmcard, FM_NONE);
    EXPECT_EQ(models(), (std::vector<SoundModel>{M, M, M, M}));
    EXPECT_EQ(g_sound_models.library_started, 0u);
    g_settings.fmpcm8 = 1;
    sndlib_use_table(nullptr, 0);
    fmcard_select(g_fmcard, FM_EXTERNAL_LIBRARY);
    EXPECT_EQ(g_settings.fm, FM_NONE);
    EXPECT_EQ(models(), (std::vector<SoundModel>{M, M, M, M}));
}
