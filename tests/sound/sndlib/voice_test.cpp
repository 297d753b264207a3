// The ADPCM voice fed by DMA channel 3, and the channel's chains and errors.
#include <gtest/gtest.h>

#include "sound/sndlib/lib_fixture.h"
#include "sound/sndlib/signal.h"

using namespace libtest;
using namespace sndlib;

TEST(SoundLibAdpcm, EncodedSineByChannel3PeaksAt1kHzAndEndsOnTime) {
    const size_t n_samples = 15625 / 2;  // half a second at 15625 Hz
    auto codes = adpcm_encode(sine(1000, 15625, n_samples));
    std::copy(codes.begin(), codes.end(), memory().begin() + 0x10000);
    Lib lib;
    X68Sound_PpiPoke(0x08);  // divider 512 at 8 MHz: 15625 Hz, both sides on
    EXPECT_EQ(X68Sound_AdpcmPeek(), ADPCM_STATUS_IDLE);
    lib.adpcm_block(0x10000, uint32_t(codes.size()));
    X68Sound_AdpcmPoke(ADPCM_CMD_START);
    EXPECT_EQ(X68Sound_AdpcmPeek(), ADPCM_STATUS_PLAYING);
    auto x = lib.pull(lib.rate * 6 / 10);
    EXPECT_NEAR(sigtest::peak_hz(std::vector<double>(x.begin() + 1000, x.begin() + lib.rate / 2 - 1000), lib.rate),
                1000, 1.0);
    EXPECT_GT(sigtest::rms(x, 1000, lib.rate / 2 - 1000), 1500 * 4 * 0.6);
    // One completion: 2N samples at 15625 Hz, N = the bytes.
    EXPECT_EQ(g_dma_ints, 1);
    EXPECT_NEAR(g_dma_int_at / 62500.0, 2.0 * codes.size() / 15625, 0.001);
    EXPECT_EQ(X68Sound_DmaPeek(DMA_CSR) & (CSR_COC | CSR_ACT), CSR_COC);
    EXPECT_EQ(X68Sound_DmaPeek(DMA_MTC) << 8 | X68Sound_DmaPeek(DMA_MTC + 1), 0);
}

TEST(SoundLibAdpcm, RateAndSidesFollowPortCAndCt1) {
    auto codes = adpcm_encode(sine(500, 3906.25, 12000));
    std::copy(codes.begin(), codes.end(), memory().begin() + 0x20000);
    struct Case {
        int port_c, ct1;
        double rate;
        bool left, right;
    } cases[] = {
        {0x00, 0, 7812.5, true, true}, {0x04, 0, 10416.67, true, true}, {0x08, 0, 15625, true, true},
        {0x08, 1, 7812.5, true, true}, {0x00, 1, 3906.25, true, true},  {0x09, 0, 15625, true, false},
        {0x0A, 0, 15625, false, true}, {0x0C, 0, 0, false, false},
    };
    for (auto k : cases) {
        Lib lib;
        lib.opm(OPM_REG_CT_W, k.ct1 ? OPM_CT1 : 0);
        X68Sound_PpiPoke(k.port_c);
        lib.adpcm_block(0x20000, uint32_t(codes.size()));
        X68Sound_AdpcmPoke(ADPCM_CMD_START);
        lib.pull(4096);
        std::vector<int16_t> buf(2 * 16384);
        X68Sound_GetPcm(buf.data(), 16384);
        std::vector<double> left(16384), right(16384);
        for (int i = 0; i < 16384; ++i) left[i] = buf[2 * i], right[i] = buf[2 * i + 1];
        EXPECT_EQ(sigtest::rms(left) > 100, k.left) << k.port_c;
        EXPECT_EQ(sigtest::rms(right) > 100, k.right) << k.port_c;
        if (k.rate > 0) {
            // The tone was coded at 3906.25 Hz: played at rate r it sounds 500 x r / 3906.25.
            EXPECT_NEAR(sigtest::peak_hz(k.left ? left : right, 44100), 500 * k.rate / 3906.25, 3) << k.port_c;
        }
    }
}

namespace {
struct ChainCase {
    const char* what;
    uint8_t ocr;
    uint32_t mtc, btc;
    uint8_t csr_before;
    uint32_t fault_from;
    uint8_t cer;     // 0: no error
    uint32_t bytes;  // bytes moved
};
}  // namespace

TEST(SoundLibDma, ChainsAndErrorCodes) {
    // Blocks: 0x30000 (40 bytes), 0x31000 (20 bytes), 0x32000 (30 bytes).
    // Array table at 0x33000; link table at 0x34000.
    const uint32_t blocks[3][2] = {{0x30000, 40}, {0x31000, 20}, {0x32000, 30}};
    for (int i = 0; i < 3; ++i) {
        put_be(0x33000 + 6 * i, blocks[i][0], 4);
        put_be(0x33004 + 6 * i, blocks[i][1], 2);
        put_be(0x34000 + 10 * i, blocks[i][0], 4);
        put_be(0x34004 + 10 * i, blocks[i][1], 2);
        put_be(0x34006 + 10 * i, i < 2 ? 0x34000 + 10 * (i + 1) : 0, 4);
    }
    put_be(0x35000, 0x30000, 4);  // an array entry of count 0
    put_be(0x35004, 0, 2);
    const ChainCase cases[] = {
        {"block", 0x32, 40, 0, 0, 0xFFFFFFFF, 0, 40},
        {"array of 3", 0x3A, 0, 3, 0, 0xFFFFFFFF, 0, 90},
        {"array of 2", 0x3A, 0, 2, 0, 0xFFFFFFFF, 0, 60},
        {"link of 3", 0x3E, 0, 0, 0, 0xFFFFFFFF, 0, 90},
        {"count 0", 0x32, 0, 0, 0, 0xFFFFFFFF, CER_COUNT, 0},
        {"array count 0", 0x3A, 0, 0, 0, 0xFFFFFFFF, CER_COUNT, 0},
        {"chain mode 1", 0x36, 40, 0, 0, 0xFFFFFFFF, CER_CONFIG, 0},
        {"CSR not cleared", 0x32, 40, 0, CSR_COC | CSR_BLC, 0xFFFFFFFF, CER_TIMING, 0},
        {"bus error in the data", 0x32, 40, 0, 0, 0x30010, CER_BUS, 16},
        {"bus error in the table", 0x3A, 0, 3, 0, 0x33000, CER_BUS, 0},
    };
    for (const auto& k : cases) {
        Lib lib;
        X68Sound_PpiPoke(0x08);
        lib.dma(DMA_OCR, k.ocr);
        lib.dma(DMA_SCR, 0x04);
        lib.dma(DMA_MAR, 0x30000, 4);
        lib.dma(DMA_MTC, k.mtc, 2);
        lib.dma(DMA_BAR, k.ocr == 0x3E ? 0x34000 : 0x33000, 4);
        lib.dma(DMA_BTC, k.btc, 2);
        if (k.csr_before) {  // finish a run first so that CSR shows it
            lib.dma(DMA_CSR, 0xFF);
        }
        g_fault_from = k.fault_from;
        if (k.csr_before) {
            lib.dma(DMA_MTC, 1, 2);
            lib.dma(DMA_OCR, 0x32);
            lib.dma(DMA_CCR, 0x80);
            X68Sound_AdpcmPoke(ADPCM_CMD_START);
            lib.pull(100);
            lib.dma(DMA_OCR, k.ocr);
            lib.dma(DMA_MTC, k.mtc, 2);
            lib.dma(DMA_MAR, 0x30000, 4);
            lib.dma(DMA_CCR, 0x00);
        }
        X68Sound_AdpcmPoke(ADPCM_CMD_START);
        lib.dma(DMA_CCR, 0x88);
        lib.pull(4410);
        uint32_t mar = uint32_t(X68Sound_DmaPeek(DMA_MAR + 1)) << 16 | X68Sound_DmaPeek(DMA_MAR + 2) << 8 |
                       X68Sound_DmaPeek(DMA_MAR + 3);
        if (k.cer) {
            EXPECT_EQ(X68Sound_DmaPeek(DMA_CSR), CSR_ERR) << k.what;
            EXPECT_EQ(X68Sound_DmaPeek(DMA_CER), k.cer) << k.what;
            EXPECT_EQ(g_dma_err_ints, 1) << k.what;
            EXPECT_EQ(g_dma_ints, 0) << k.what;
            if (k.bytes) { EXPECT_EQ(mar, 0x30000 + k.bytes) << k.what; }
        } else {
            EXPECT_EQ(X68Sound_DmaPeek(DMA_CSR), CSR_COC | CSR_BLC | CSR_NDT) << k.what;
            EXPECT_EQ(g_dma_ints, 1) << k.what;
            EXPECT_EQ(g_dma_err_ints, 0) << k.what;
            // The last block's end.
            uint32_t last =
                k.ocr == 0x32 ? 0x30000 + 40 : blocks[k.bytes == 60 ? 1 : 2][0] + blocks[k.bytes == 60 ? 1 : 2][1];
            EXPECT_EQ(mar, last) << k.what;
        }
    }
}

TEST(SoundLibDma, ContinueModeSoftAbortAndNoInterruptWithoutInt) {
    Lib lib;
    X68Sound_PpiPoke(0x08);
    // Continue: a block of 10 bytes, then the base block of 20; a
    // block-end interrupt, then the completion.
    lib.dma(DMA_BAR, 0x31000, 4);
    lib.dma(DMA_BTC, 20, 2);
    lib.adpcm_block(0x30000, 10, 0x32, 0x88 | CCR_CNT);
    X68Sound_AdpcmPoke(ADPCM_CMD_START);
    lib.pull(4410);
    EXPECT_EQ(g_dma_ints, 2);
    EXPECT_EQ(X68Sound_DmaPeek(DMA_MAR + 3), 20);
    EXPECT_EQ(X68Sound_DmaPeek(DMA_MAR + 2), 0x10);
    // Software abort: error $11.
    lib.adpcm_block(0x30000, 1000);
    lib.pull(100);
    lib.dma(DMA_CCR, 0x88 | CCR_SAB);
    EXPECT_EQ(X68Sound_DmaPeek(DMA_CER), CER_SOFT_ABORT);
    EXPECT_EQ(g_dma_err_ints, 1);
    // Without INT: the run ends with no callback.
    lib.adpcm_block(0x30000, 10, 0x32, 0x80);
    lib.pull(4410);
    EXPECT_EQ(X68Sound_DmaPeek(DMA_CSR), CSR_COC | CSR_BLC | CSR_NDT);
    EXPECT_EQ(g_dma_ints, 2);
    // A stopped voice moves nothing.
    X68Sound_AdpcmPoke(ADPCM_CMD_STOP);
    lib.adpcm_block(0x30000, 10);
    lib.pull(4410);
    EXPECT_EQ(X68Sound_DmaPeek(DMA_CSR), CSR_ACT);
}
