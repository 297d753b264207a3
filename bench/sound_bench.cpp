// The sound library: one emulated second per iteration, rendered and
// resampled to 44.1 kHz stereo. OPM alone (8 channels keyed, connection 0,
// LFO on); the whole library with the ADPCM voice and 8 PCM8 voices; and
// the OPL3 road's chip (libadplug) for comparison; the YM2151 and the
// OPNA card's FM part alone, per channel.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "sound/adpcm_codec.h"
#include "sound/sndlib/x68sound.h"
#include "sound/sndlib/ym2151.h"
#include "sound/sndlib/ym2608.h"

extern "C" {
#include <adplug/nukedopl.h>
}

namespace {

using namespace sndlib;

std::vector<uint8_t> g_mem(1u << 20);

void opm(int r, int v) {
    X68Sound_OpmReg(r);
    X68Sound_OpmPoke(v);
}

void start_opm() {
    X68Sound_StartPcm(44100, 1, 1, 5);
    X68Sound_MemReadFunc([](uint32_t a) -> int32_t { return g_mem[a & 0xFFFFF]; });
    opm(OPM_REG_LFRQ, 0xC0);
    opm(OPM_REG_PMD_AMD, 0x80 | 40);
    opm(OPM_REG_PMD_AMD, 30);
    opm(OPM_REG_CT_W, 2);
    for (int ch = 0; ch < 8; ++ch) {
        opm(OPM_REG_RL_FB_CON + ch, 0xC0 | (5 << 3));
        opm(OPM_REG_PMS_AMS + ch, 0x31);
        for (int op = 0; op < 4; ++op) {
            int s = op * 8 + ch;
            opm(OPM_REG_DT1_MUL + s, 0x10 | (op + 1));
            opm(OPM_REG_TL + s, op == OP_C2 ? 10 : 30);
            opm(OPM_REG_KS_AR + s, 31);
            opm(OPM_REG_AMSEN_D1R + s, 0x80 | 5);
            opm(OPM_REG_DT2_D2R + s, 2);
            opm(OPM_REG_D1L_RR + s, 0x27);
        }
        opm(OPM_REG_KC + ch, 0x30 + ch * 5);
        opm(OPM_REG_KEY_ON, 0x78 | ch);
    }
}

void BM_OpmEightChannels(benchmark::State& state) {
    start_opm();
    std::vector<int16_t> buf(2 * 44100);
    for (auto _ : state) {
        X68Sound_GetPcm(buf.data(), 44100);
        benchmark::DoNotOptimize(buf.data());
    }
    X68Sound_Free();
}
BENCHMARK(BM_OpmEightChannels)->Unit(benchmark::kMillisecond);

// The chips alone, one second at their own rates, all channels keyed with
// connection 5 and feedback: the YM2151's 8 channels and the OPNA card's 6
// on the same voice. "per_channel" (seconds of
// host time per channel) compares them.
void BM_Ym2151ChipEightChannels(benchmark::State& state) {
    Ym2151 chip;
    chip.reset();
    for (int ch = 0; ch < 8; ++ch) {
        chip.write(uint8_t(OPM_REG_RL_FB_CON + ch), 0xC0 | (5 << 3) | 5);
        for (int op = 0; op < 4; ++op) {
            uint8_t s = uint8_t(op * 8 + ch);
            chip.write(uint8_t(OPM_REG_DT1_MUL + s), uint8_t(0x10 | (op + 1)));
            chip.write(uint8_t(OPM_REG_TL + s), op == OP_C2 ? 10 : 30);
            chip.write(uint8_t(OPM_REG_KS_AR + s), 31);
            chip.write(uint8_t(OPM_REG_D1L_RR + s), 0x27);
        }
        chip.write(uint8_t(OPM_REG_KC + ch), uint8_t(0x30 + ch * 5));
        chip.write(OPM_REG_KEY_ON, uint8_t(0x78 | ch));
    }
    std::vector<int32_t> buf(2 * chip.sample_rate());
    for (auto _ : state) {
        std::fill(buf.begin(), buf.end(), 0);
        chip.render(buf.data(), chip.sample_rate());
        benchmark::DoNotOptimize(buf.data());
    }
    state.counters["per_channel"] =
        benchmark::Counter(8, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Ym2151ChipEightChannels)->Unit(benchmark::kMillisecond);

void BM_OpnaChipSixChannels(benchmark::State& state) {
    Ym2608 chip;
    chip.reset();
    for (int ch = 0; ch < OPNA_CHANNELS; ++ch) {
        uint16_t bank = uint16_t(ch / 3 * OPN_BANK1), c = uint16_t(ch % 3);
        chip.write(bank + OPN_REG_FB_ALGO + c, (5 << 3) | 5);
        for (int op = 0; op < 4; ++op) {
            uint16_t s = uint16_t(bank + 4 * op + c);
            chip.write(s + OPN_REG_DT_MUL, uint8_t(0x10 | (op + 1)));
            chip.write(s + OPN_REG_TL, op == OP_C2 ? 10 : 30);
            chip.write(s + OPN_REG_KS_AR, 31);
            chip.write(s + OPN_REG_SL_RR, 0x27);
        }
        chip.write(bank + OPN_REG_BLOCK_FNUM + c, uint8_t(3 << 3 | 4));
        chip.write(bank + OPN_REG_FNUM_LOW + c, uint8_t(0x80 + ch * 8));
        chip.write(OPN_REG_KEY_ON, uint8_t(0xF0 | (ch / 3 * 4 + c)));
    }
    std::vector<int32_t> buf(2 * chip.sample_rate());
    for (auto _ : state) {
        std::fill(buf.begin(), buf.end(), 0);
        chip.render(buf.data(), chip.sample_rate());
        benchmark::DoNotOptimize(buf.data());
    }
    state.counters["per_channel"] =
        benchmark::Counter(OPNA_CHANNELS, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_OpnaChipSixChannels)->Unit(benchmark::kMillisecond);

void BM_WholeLibrary(benchmark::State& state) {
    for (size_t i = 0; i < g_mem.size(); ++i) g_mem[i] = uint8_t(i * 37 >> 3);
    start_opm();
    std::vector<int16_t> buf(2 * 44100);
    for (auto _ : state) {
        state.PauseTiming();
        // A second of ADPCM at 15.6 kHz on channel 3, 8 PCM8 voices.
        X68Sound_PpiPoke(0x08);
        X68Sound_DmaPoke(DMA_CSR, 0xFF);
        X68Sound_DmaPoke(DMA_OCR, 0x32);
        X68Sound_DmaPoke(DMA_SCR, 0x04);
        X68Sound_DmaPoke(DMA_MAR + 1, 0x01);
        X68Sound_DmaPoke(DMA_MTC, 0x20);
        X68Sound_DmaPoke(DMA_CCR, 0x88);
        X68Sound_AdpcmPoke(ADPCM_CMD_START);
        for (int ch = 0; ch < 8; ++ch)
            X68Sound_Pcm8_Out(ch, 0x20000 + ch * 0x2000, 0x080403 + (ch % 3 == 0 ? 0x100 : 0), 0xC000);
        state.ResumeTiming();
        X68Sound_GetPcm(buf.data(), 44100);
        benchmark::DoNotOptimize(buf.data());
    }
    X68Sound_Free();
}
BENCHMARK(BM_WholeLibrary)->Unit(benchmark::kMillisecond);

void BM_Opl3Road(benchmark::State& state) {
    static opl3_chip chip;
    OPL3_Reset(&chip, 44100);
    OPL3_WriteReg(&chip, 0x105, 1);
    for (int ch = 0; ch < 9; ++ch) {
        int op = (ch / 3) * 8 + ch % 3;
        OPL3_WriteReg(&chip, uint16_t(0x20 + op), 0x21);
        OPL3_WriteReg(&chip, uint16_t(0x23 + op), 0x21);
        OPL3_WriteReg(&chip, uint16_t(0x40 + op), 0x10);
        OPL3_WriteReg(&chip, uint16_t(0x43 + op), 0x00);
        OPL3_WriteReg(&chip, uint16_t(0x60 + op), 0xF3);
        OPL3_WriteReg(&chip, uint16_t(0x63 + op), 0xF3);
        OPL3_WriteReg(&chip, uint16_t(0xC0 + ch), 0x36);
        OPL3_WriteReg(&chip, uint16_t(0xA0 + ch), 0x40 + ch * 20);
        OPL3_WriteReg(&chip, uint16_t(0xB0 + ch), 0x31);
    }
    std::vector<int16_t> buf(2 * 44100);
    for (auto _ : state) {
        OPL3_GenerateStream(&chip, buf.data(), 44100);
        benchmark::DoNotOptimize(buf.data());
    }
}
BENCHMARK(BM_Opl3Road)->Unit(benchmark::kMillisecond);

}  // namespace
