// The OPNA's FM part: pitch from F-number and block, the key-on register's
// channel codes over both banks, DT, and the card's ports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "host/port_bus.h"
#include "sound/opna_card.h"
#include "sound/sndlib/signal.h"
#include "sound/sndlib/ym2151_tables.h"
#include "sound/sndlib/ym2608.h"

using namespace sndlib;

namespace {

const double RATE = OPNA_DEFAULT_CLOCK / double(OPNA_CLOCKS_PER_SAMPLE);

struct Chip {
    Ym2608 opn;
    Chip() { opn.reset(); }
    // Channel ch (0-5), algorithm 7, only S4 audible, organ envelope.
    void voice(int ch, uint8_t dt_mul = 0x01) {
        uint16_t base = uint16_t(ch / 3 * OPN_BANK1 + ch % 3);
        opn.write(base + OPN_REG_FB_ALGO, 7);
        for (int op = 0; op < 4; ++op) {
            uint16_t s = uint16_t(base + 4 * op);
            opn.write(s + OPN_REG_DT_MUL, dt_mul);
            opn.write(s + OPN_REG_TL, op == OP_C2 ? 0 : 127);
            opn.write(s + OPN_REG_KS_AR, 31);
            opn.write(s + OPN_REG_SL_RR, 0x0F);
        }
    }
    void note(int ch, uint16_t fnum, uint8_t block) {
        uint16_t base = uint16_t(ch / 3 * OPN_BANK1 + ch % 3);
        opn.write(base + OPN_REG_BLOCK_FNUM, uint8_t(block << 3 | fnum >> 8));
        opn.write(base + OPN_REG_FNUM_LOW, uint8_t(fnum));
    }
    std::vector<double> run(size_t n, int side = 0) {
        std::vector<int32_t> buf(2 * n, 0);
        opn.render(buf.data(), uint32_t(n));
        std::vector<double> x(n);
        for (size_t i = 0; i < n; ++i) x[i] = buf[2 * i + side];
        return x;
    }
};

uint8_t key_code_for(int ch) { return uint8_t(ch < 3 ? ch : ch + 1); }

double played_hz(int ch, uint16_t fnum, uint8_t block, uint8_t dt_mul = 0x01) {
    Chip c;
    c.voice(ch, dt_mul);
    c.note(ch, fnum, block);
    c.opn.write(OPN_REG_KEY_ON, uint8_t(0x80 | key_code_for(ch)));
    return sigtest::peak_hz(c.run(65536), RATE);
}

}  // namespace

TEST(SoundLibYm2608, PitchFollowsFnumberBlockAndMul) {
    EXPECT_NEAR(opn_note_hz(1167, 4), 493.85, 0.01);
    struct Case {
        int ch;
        uint16_t fnum;
        uint8_t block, mul;
    } cases[] = {
        {0, 1167, 4, 1}, {5, 1167, 4, 1}, {3, 617, 3, 1},   {1, 2047, 2, 1},
        {2, 700, 5, 0},  {4, 900, 1, 3},  {0, 1000, 6, 15},
    };
    for (auto k : cases) {
        double want = opn_note_hz(k.fnum, k.block) * (k.mul ? k.mul : 0.5);
        EXPECT_NEAR(played_hz(k.ch, k.fnum, k.block, k.mul) / want, 1.0, 0.001)
            << "ch " << k.ch << " fnum " << k.fnum << " block " << int(k.block) << " mul " << int(k.mul);
    }
}

// The operator shares the YM2151's power table: peak 8168, TL 96 at -77.0 dB
// with the table's truncation, silent from TL 104.
TEST(SoundLibYm2608, LevelsComeFromTheSharedPowerTable) {
    auto level = [](int tl) {
        Chip c;
        c.voice(0);
        c.opn.write(OPN_REG_TL + 4 * OP_C2, uint8_t(tl));
        c.note(0, 1167, 4);
        c.opn.write(OPN_REG_KEY_ON, 0xF0);
        auto x = c.run(16384 + 64);
        return std::vector<double>(x.begin() + 64, x.end());
    };
    auto full = level(0);
    EXPECT_EQ(*std::max_element(full.begin(), full.end()), OPM_OUT_MAX);
    EXPECT_NEAR(sigtest::db(sigtest::rms(level(96)), sigtest::rms(full)), -77.0, 0.1);
    EXPECT_EQ(sigtest::rms(level(104)), 0.0);
}

TEST(SoundLibYm2608, DtMovesByTheYm2151sTableAtTheOpnsKeyCode) {
    const double unit = RATE / 1048576.0;
    for (auto [fnum, block] : {std::pair<uint16_t, uint8_t>{1167, 4}, {600, 1}, {1800, 6}}) {
        uint8_t kc = opn_key_code(fnum, block);
        double base = played_hz(0, fnum, block, 0x01);
        for (int dt : {1, 3, 5, 7}) {
            double want = (dt & 4 ? -1 : 1) * OPM_DT1_TABLE[kc][dt & 3] * unit;
            EXPECT_NEAR(played_hz(0, fnum, block, uint8_t(dt << 4 | 1)) - base, want, 0.05 + std::fabs(want) * 0.02)
                << "fnum " << fnum << " dt " << dt;
        }
    }
}

// Codes 0-2 and 4-6 key channels 1-3 and 4-6; code 3 and 7 key nothing;
// the key off lets the channel fall silent.
TEST(SoundLibYm2608, KeyOnCodesReachBothBanks) {
    for (int code = 0; code < 8; ++code) {
        Chip c;
        for (int ch = 0; ch < OPNA_CHANNELS; ++ch) {
            c.voice(ch);
            c.note(ch, uint16_t(600 + 100 * ch), 4);
        }
        c.opn.write(OPN_REG_KEY_ON, uint8_t(0xF0 | code));
        double level = sigtest::rms(c.run(8192));
        if ((code & 3) == 3) {
            EXPECT_EQ(level, 0) << code;
            continue;
        }
        int ch = code < 3 ? code : code - 1;
        EXPECT_NEAR(sigtest::peak_hz(c.run(32768), RATE), opn_note_hz(uint16_t(600 + 100 * ch), 4), 0.5) << code;
        c.opn.write(OPN_REG_KEY_ON, uint8_t(code));
        c.run(20000);
        EXPECT_LT(sigtest::rms(c.run(4096)), 1) << code;
    }
}

// The card at $188: the probe reads 0, register $FF reads 1 through either
// bank's data port, bank 1's registers at +4 / +6, the control port keeps
// what is written, and register 14 reads the connector register 15 picks.
TEST(SoundLibYm2608, TheCardAnswersItsPorts) {
    ASSERT_TRUE(opna_card_attach(0x188));
    EXPECT_EQ(port_in(0x188), 0);
    EXPECT_EQ(port_in(0x18C), 0);
    port_out(0x188, OPN_REG_ID);
    EXPECT_EQ(port_in(0x18A), OPNA_ID);
    port_out(0x18C, 0xB4);
    port_out(0x18E, 0x40);
    EXPECT_EQ(port_in(0x18E), 0x40) << "bank 1's $B4";
    port_out(0x188, 0xB4);
    EXPECT_EQ(port_in(0x18A), 0xC0) << "bank 0's $B4 as reset left it";
    port_out(OPNA_CARD_CONTROL_PORT, 0x41);
    EXPECT_EQ(port_in(OPNA_CARD_CONTROL_PORT), 0x41);
    port_out(0x188, OPN_REG_IO_B);
    port_out(0x18A, 0x80);
    port_out(0x188, OPN_REG_IO_A);
    EXPECT_EQ(port_in(0x18A), opna_card_connector_byte(0));
    EXPECT_EQ(port_in(0x288), 0xFF) << "nothing at the other ports";
    opna_card_detach();
    EXPECT_EQ(port_in(0x188), 0xFF);
}
