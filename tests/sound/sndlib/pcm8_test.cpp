// PCM8 voices: blocks, arrays, links, modes and the rest counter.
#include <gtest/gtest.h>

#include "sound/sndlib/lib_fixture.h"
#include "sound/sndlib/signal.h"

using namespace libtest;
using namespace sndlib;

namespace {
std::vector<double> side(const std::vector<int16_t>& buf, int s) {
    std::vector<double> x(buf.size() / 2);
    for (size_t i = 0; i < x.size(); ++i) x[i] = buf[2 * i + s];
    return x;
}
std::vector<int16_t> pull(size_t frames) {
    std::vector<int16_t> buf(2 * frames);
    X68Sound_GetPcm(buf.data(), int32_t(frames));
    return buf;
}
}  // namespace

TEST(SoundLibPcm8, TwoChannelsMixWithTheirPansAndRates) {
    auto a = adpcm_encode(sine(440, 15625, 15625));
    auto b = adpcm_encode(sine(700, 7812.5, 7812));
    std::copy(a.begin(), a.end(), memory().begin() + 0x40000);
    std::copy(b.begin(), b.end(), memory().begin() + 0x50000);
    Lib lib;
    EXPECT_EQ(X68Sound_Pcm8_Out(0, 0x40000, 0x080401, int32_t(a.size())), 0);  // left, 15.6 kHz
    EXPECT_EQ(X68Sound_Pcm8_Out(1, 0x50000, 0x080202, int32_t(b.size())), 0);  // right, 7.8 kHz
    auto buf = pull(22050);
    auto l = side(buf, 0), r = side(buf, 1);
    EXPECT_NEAR(sigtest::peak_hz(l, 44100), 440, 1);
    EXPECT_NEAR(sigtest::peak_hz(r, 44100), 700, 1);
    EXPECT_LT(sigtest::line_db(l, 44100, 690, 710), -40);
    EXPECT_LT(sigtest::line_db(r, 44100, 430, 450), -40);
    // GetRest falls at the rate: 15625 samples a second = 7812.5 bytes.
    int32_t rest0 = X68Sound_Pcm8_GetRest(0);
    pull(4410);
    EXPECT_NEAR(rest0 - X68Sound_Pcm8_GetRest(0), 781, 3);
    int32_t rest1 = X68Sound_Pcm8_GetRest(1);
    pull(4410);
    EXPECT_NEAR(rest1 - X68Sound_Pcm8_GetRest(1), 390, 3);
    // Length 0 stops a channel; Abort stops all.
    EXPECT_EQ(X68Sound_Pcm8_Out(0, 0, -1, 0), 0);
    EXPECT_EQ(X68Sound_Pcm8_GetRest(0), 0);
    EXPECT_GT(X68Sound_Pcm8_GetRest(1), 0);
    X68Sound_Pcm8_Abort();
    EXPECT_EQ(X68Sound_Pcm8_GetRest(1), 0);
    pull(2000);
    EXPECT_LT(sigtest::rms(side(pull(4410), 0)), 1.0);
}

TEST(SoundLibPcm8, ModeFieldsKeptByMinusOneAndBadChannels) {
    Lib lib;
    struct Case {
        int32_t set;
        int32_t want;
    } cases[] = {
        {0x0C0302, 0x0C0302}, {-1, 0x0C0302},       {0xFF0401, 0x0C0401}, {0x05FFFF, 0x050401},
        {0x10FF03, 0x050403}, {0xFF07FF, 0x050403}, {0xFFFF04, 0x050403},
    };
    for (auto k : cases) {
        EXPECT_EQ(X68Sound_Pcm8_SetMode(2, k.set), 0);
        EXPECT_EQ(X68Sound_Pcm8_GetMode(2), k.want) << std::hex << k.set;
    }
    EXPECT_EQ(X68Sound_Pcm8_GetMode(3), int32_t(PCM8_DEFAULT_MODE));
    for (int ch : {8, 15, -1}) {
        EXPECT_EQ(X68Sound_Pcm8_Out(ch, 0x40000, -1, 100), PCM8_BAD_CHANNEL);
        EXPECT_EQ(X68Sound_Pcm8_GetRest(ch), PCM8_BAD_CHANNEL);
    }
}

TEST(SoundLibPcm8, ArraysLinksAndPcmSamples) {
    // 16-bit PCM, big-endian: a 1 kHz square of +-8000 in two array blocks.
    for (int i = 0; i < 15625; ++i) put_be(0x60000 + 2 * i, uint16_t(((i / 8) & 1) ? -8000 : 8000), 2);
    put_be(0x70000, 0x60000, 4);
    put_be(0x70004, 15624, 2);
    put_be(0x70006, 0x60000 + 15624, 4);
    put_be(0x7000A, 15626, 2);
    // The same as a link chain of two.
    put_be(0x71000, 0x60000, 4);
    put_be(0x71004, 15624, 2);
    put_be(0x71006, 0x71010, 4);
    put_be(0x71010, 0x60000 + 15624, 4);
    put_be(0x71014, 15626, 2);
    put_be(0x71016, 0, 4);
    for (int lot = 0; lot < 2; ++lot) {
        Lib lib;
        if (lot) X68Sound_Pcm8_Lot(4, 0x71000, 0x080503);
        else X68Sound_Pcm8_Aot(4, 0x70000, 0x080503, 2);
        auto x = side(pull(44100 * 6 / 10), 0);
        EXPECT_NEAR(sigtest::peak_hz(x, 44100), 976.5, 2) << lot;
        EXPECT_NEAR(sigtest::rms(x, 1000, 20000), 8000 / 16 * ADPCM_MIX_GAIN, 100) << lot;
        // 0.6 s of 2-byte samples at 15625 Hz: the first block gone, 3125 bytes of the second.
        EXPECT_NEAR(X68Sound_Pcm8_GetRest(4), 15626 - 3125, 100) << lot;
        pull(44100 * 5 / 10);
        EXPECT_EQ(X68Sound_Pcm8_GetRest(4), 0) << lot;
    }
    // A table entry past the end of memory ends the voice at once.
    Lib lib;
    g_fault_from = 0x72000;
    X68Sound_Pcm8_Aot(0, 0x72000, -1, 1);
    EXPECT_EQ(X68Sound_Pcm8_GetRest(0), 0);
}

// Empty entries are passed over; a chain that loops on them ends as at the
// end of its table, while a loop that plays bytes goes on.
TEST(SoundLibPcm8, EmptyEntriesAndLoopingChains) {
    auto tone = adpcm_encode(sine(976.5625, 15625, 1600));  // 100 periods, 800 bytes
    std::copy(tone.begin(), tone.end(), memory().begin() + 0x80000);
    auto link = [](uint32_t at, uint32_t addr, uint32_t count, uint32_t next) {
        put_be(at, addr, 4);
        put_be(at + 4, count, 2);
        put_be(at + 6, next, 4);
    };
    struct Case {
        const char* name;
        uint32_t table;
        bool plays_on;  // still playing after 0.5 s, longer than the tone's 800 bytes
    } cases[] = {
        {"an empty entry linked to itself", 0x81000, false},
        {"two empty entries linked to each other after the tone", 0x81100, false},
        {"empty entries before the tone, which links back to itself", 0x81200, true},
        {"the tone and an empty entry in a loop", 0x81300, true},
    };
    link(0x81000, 0x80000, 0, 0x81000);
    link(0x81100, 0x80000, 800, 0x81110);
    link(0x81110, 0x80000, 0, 0x81120);
    link(0x81120, 0x80000, 0, 0x81110);
    link(0x81200, 0x80000, 0, 0x81210);
    link(0x81210, 0x80000, 0, 0x81220);
    link(0x81220, 0x80000, 800, 0x81220);
    link(0x81300, 0x80000, 800, 0x81310);
    link(0x81310, 0x80000, 0, 0x81300);
    for (const Case& k : cases) {
        Lib lib;
        EXPECT_EQ(X68Sound_Pcm8_Lot(0, int32_t(k.table), 0x080403), 0) << k.name;
        auto x = side(pull(44100 / 2), 0);
        EXPECT_EQ(X68Sound_Pcm8_GetRest(0) > 0, k.plays_on) << k.name;
        if (k.plays_on)
            EXPECT_NEAR(sigtest::peak_hz(std::vector<double>(x.begin() + 4410, x.end()), 44100), 976.5, 2) << k.name;
        else EXPECT_LT(sigtest::rms(side(pull(4410), 0)), 1.0) << k.name;
    }
    // An array of 65535 empty entries plays nothing and ends.
    for (uint32_t i = 0; i < 0xFFFF; ++i) put_be(0x90000 + 6 * i, 0x80000, 4), put_be(0x90004 + 6 * i, 0, 2);
    Lib lib;
    EXPECT_EQ(X68Sound_Pcm8_Aot(1, 0x90000, 0x080403, 0xFFFF), 0);
    EXPECT_EQ(X68Sound_Pcm8_GetRest(1), 0);
    EXPECT_LT(sigtest::rms(side(pull(4410), 0)), 1.0);
}
