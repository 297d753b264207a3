// A started sound library over a flat 16 MB test memory, pulled through
// StartPcm/GetPcm; and an ADPCM encoder for test tones.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "sound/adpcm_codec.h"
#include "sound/sndlib/x68sound.h"

namespace libtest {

inline std::vector<uint8_t>& memory() {
    static std::vector<uint8_t> m(1u << 24, 0);
    return m;
}
inline uint32_t g_fault_from = 0xFFFFFFFF;  // reads from here on fault (bus error)
inline int g_dma_ints = 0, g_dma_err_ints = 0;
inline uint64_t g_dma_int_at = 0;

inline int32_t mem_read(uint32_t a) {
    if (a >= g_fault_from) return sndlib::MEM_FAULT | 3;
    return memory()[a & 0xFFFFFF];
}

inline void put_be(uint32_t a, uint32_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i, v >>= 8) memory()[a + i] = uint8_t(v);
}

// Codes for the samples (12-bit range), two a byte, low nibble first.
inline std::vector<uint8_t> adpcm_encode(const std::vector<int>& samples) {
    AdpcmDecoder dec;
    std::vector<uint8_t> out((samples.size() + 1) / 2, 0);
    for (size_t i = 0; i < samples.size(); ++i) {
        int step = ADPCM_STEP_TABLE[dec.index], diff = samples[i] - dec.value, code = 0;
        if (diff < 0) {
            code = 8;
            diff = -diff;
        }
        if (diff >= step) {
            code |= 4;
            diff -= step;
        }
        if (diff >= step / 2) {
            code |= 2;
            diff -= step / 2;
        }
        if (diff >= step / 4) code |= 1;
        dec.decode(uint32_t(code));
        out[i / 2] |= uint8_t(code << ((i & 1) * 4));
    }
    return out;
}

inline std::vector<int> sine(double hz, double rate, size_t n, double amp = 1500) {
    std::vector<int> s(n);
    for (size_t i = 0; i < n; ++i) s[i] = int(std::lround(amp * std::sin(2 * std::acos(-1.0) * hz * i / rate)));
    return s;
}

struct Lib {
    explicit Lib(int rate = 44100, int opm = 1, int adpcm = 1) {
        g_fault_from = 0xFFFFFFFF;
        g_dma_ints = g_dma_err_ints = 0;
        X68Sound_StartPcm(rate, opm, adpcm, 5);
        X68Sound_MemReadFunc(mem_read);
        X68Sound_DmaInt([] {
            ++g_dma_ints;
            g_dma_int_at = sndlib::sound_lib().position;
        });
        X68Sound_DmaErrInt([] { ++g_dma_err_ints; });
        this->rate = rate;
    }
    ~Lib() { X68Sound_Free(); }
    // frames of output, one side or the mid of both.
    std::vector<double> pull(size_t frames, int side = 0) {
        std::vector<int16_t> buf(2 * frames);
        X68Sound_GetPcm(buf.data(), int32_t(frames));
        std::vector<double> x(frames);
        for (size_t i = 0; i < frames; ++i) x[i] = buf[2 * i + side];
        return x;
    }
    void opm(int r, int v) {
        X68Sound_OpmReg(r);
        X68Sound_OpmPoke(v);
    }
    void dma(int reg, uint32_t v, int bytes = 1) {
        for (int i = 0; i < bytes; ++i) X68Sound_DmaPoke(reg + i, int32_t((v >> (8 * (bytes - 1 - i))) & 0xFF));
    }
    // Channel 3 as the IOCS sets it up for one block, started.
    void adpcm_block(uint32_t addr, uint32_t len, uint8_t ocr = 0x32, uint8_t ccr = 0x88) {
        dma(sndlib::DMA_OCR, ocr);
        dma(sndlib::DMA_SCR, 0x04);
        dma(sndlib::DMA_CSR, 0xFF);
        dma(sndlib::DMA_MAR, addr, 4);
        dma(sndlib::DMA_MTC, len, 2);
        dma(sndlib::DMA_CCR, ccr);
    }
    int rate;
};

}  // namespace libtest
