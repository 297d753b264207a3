#include "sound_fm_fixture.h"

#include <climits>
#include <cstdlib>
#include <map>

#include "host/message_box.h"
#include "machine/settings.h"
#include "sound/opn.h"

namespace {

using SoundOpl = SoundFm;

// The OPL register writes a recording of an AT-layout card at base saw.
std::vector<std::pair<uint32_t, uint8_t>> opl_writes(const RecordingPorts& r, uint16_t base) {
    std::vector<std::pair<uint32_t, uint8_t>> out;
    uint32_t latch = 0;
    for (const auto& w : r.writes) {
        int off = w.port - base;
        if (off == 0 || off == 2) latch = uint32_t(off / 2) << 8 | w.value;
        else if (off == 1 || off == 3) out.push_back({latch, w.value});
    }
    return out;
}
std::map<uint32_t, uint8_t> last_values(const std::vector<std::pair<uint32_t, uint8_t>>& w) {
    std::map<uint32_t, uint8_t> m;
    for (auto& [r, v] : w) m[r] = v;
    return m;
}

// BLASTER texts and what the card makes of them.
TEST_F(SoundOpl, sound_blaster_table) {
    struct Case {
        const char* text;  // nullptr: not set
        int32_t fm;
        int32_t type, mask, port, pc98;
    };
    const Case cases[] = {
        {"A220 I5 D1 H5 P330 T6", FM_OPL2, FM_OPL3, 15, 0x220, 0},
        {"A220 I5 D1 T3", FM_OPL3, FM_OPL2, 7, 0x220, 0},
        {"A388 T6", FM_OPL3, FM_OPL3, 15, 0x388, 0},
        {"I5 D1 T6", FM_OPL3, FM_NONE, 0, 0, 0},
        {nullptr, FM_OPL2, FM_OPL3, 15, 0x220, 0},  // unset: the card at its usual $220
        {"", FM_OPL3, FM_NONE, 0, 0, 0},
        {"AD2 T6", FM_OPL3, FM_OPL3, 15, 0x20D2, 1},
        {"A2X0 T6", FM_OPL3, FM_OPL2, 7, 0x2, 0},     // stops at X: T never read
        {"a220 t6", FM_OPL3, FM_OPL3, 15, 0x220, 0},  // letters in any case
        {"A10000 T6", FM_OPL3, FM_NONE, 0, 0, 0},     // beyond $FFFF: no port
        {"AFFFFFFFFFFFFFFFFFF T6", FM_OPL3, FM_NONE, 0, 0, 0},
        {"AFFFF T99999999999", FM_OPL3, FM_OPL3, 15, 0xFFFF, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text ? c.text : "(unset)");
        if (c.text) setenv("BLASTER", c.text, 1);
        else unsetenv("BLASTER");
        g_fmcard.port = 0;
        fmcard_select(g_fmcard, c.fm);
        EXPECT_EQ(g_fmcard.running_type, c.type);
        EXPECT_EQ(g_settings.fm, c.type);
        if (c.type != FM_NONE) {
            EXPECT_EQ(g_fmcard.opl_channel_mask, c.mask);
            EXPECT_EQ(g_fmcard.port, c.port);
            EXPECT_EQ(g_fmcard.pc98_layout, c.pc98);
        }
        fmcard_select(g_fmcard, FM_NONE);
    }
    unsetenv("BLASTER");
}

// Port addresses in both layouts; no output without focus or with FM 0;
// FM 4 keeps the shadow only.
TEST_F(SoundOpl, sound_opl_port_layouts) {
    road(FM_OPL3, 0x20D2, 6);
    g_fmcard.pc98_layout = 1;
    opl_write_register(0x0B0, 0x31);
    opl_write_register(0x1B0, 0x32);
    using W = RecordingPorts::Write;
    EXPECT_EQ(ports.writes, (std::vector<W>{{0x20D2, 0xB0}, {0x21D2, 0x31}, {0x22D2, 0xB0}, {0x23D2, 0x32}}));
    ports.writes.clear();
    g_fmcard.pc98_layout = 0;
    g_fmcard.port = 0x220;
    g_settings.fmwait1 = 2;
    g_settings.fmwait2 = 1;
    ports.reads.clear();
    opl_write_register(0x105, 0x01);
    EXPECT_EQ(ports.writes, (std::vector<W>{{0x222, 0x05}, {0x223, 0x01}}));
    EXPECT_EQ(ports.reads, (std::vector<uint16_t>{0x220, 0x220, 0x220}));
    EXPECT_EQ(g_fmcard.chip.opl_shadow[0x105], 1);

    ports.writes.clear();
    g_fmcard.output_on = 0;
    opl_write_register(0x0A0, 0x44);
    g_fmcard.output_on = 1;
    g_settings.fm = FM_NONE;
    opl_write_register(0x0A0, 0x44);
    EXPECT_EQ(g_fmcard.chip.opl_shadow[0x0A0], 0);
    g_settings.fm = 4;
    sound_models_select(g_settings.fm, g_settings.fmpcm8);
    opl_write_register(0x0A0, 0x44);
    EXPECT_EQ(g_fmcard.chip.opl_shadow[0x0A0], 0x44);
    EXPECT_TRUE(ports.writes.empty());
}

// Initialisation writes every waveform select of both banks.
TEST_F(SoundOpl, sound_opl_init_clears_every_waveform) {
    road(FM_OPL3, 0x220, 6);
    opl_init();
    auto m = last_values(opl_writes(ports, 0x220));
    for (uint32_t bank : {0x000u, 0x100u})
        for (uint32_t slot = 0; slot < 0x16; slot++) EXPECT_TRUE(m.count(bank + 0xE0 + slot)) << bank + 0xE0 + slot;
    EXPECT_EQ(m[0x04], 0x60);
    EXPECT_EQ(m[0x105], 0x01);
    EXPECT_EQ(g_fmcard.chip.opl_shadow[0x105], 0);  // every shadow word cleared at the end
}

// Key code to F-number and block.
TEST_F(SoundOpl, sound_kc_to_fnum_table) {
    struct Case {
        uint8_t kc, kf;
        uint32_t opl_fnum, opl_block, opn_fnum, opn_block;
    };
    const Case cases[] = {
        {0x4A, 0, 647, 4, 1167, 4},
        {0x4D, 0, 363, 5, 655, 5},
        {0x7E, 0, 385, 7, 694, 7},  // the octave add is limited
        {0x40, 0x80, 408 + 24 * 0x80 / 256, 4, 735 + 44 * 0x80 / 256, 4},
        {0x40, 0x03, 408, 4, 735, 4},  // KF's low two bits dropped
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kc);
        g_fmcard.chip.opm_regs[OPM_KC + 2] = c.kc;
        g_fmcard.chip.opm_regs[OPM_KF + 2] = c.kf;
        uint32_t f = opl_kc_to_fnum(2);
        EXPECT_EQ(f & 0x3FF, c.opl_fnum);
        EXPECT_EQ(f >> 10, c.opl_block);
        uint32_t g = opn_kc_to_fnum(2);
        EXPECT_EQ(g & 0x7FF, c.opn_fnum);
        EXPECT_EQ(g >> 11, c.opn_block);
    }
}

// Voice loads on the recording bus: levels, attack, key on, connection.
TEST_F(SoundOpl, sound_opl_voice_load) {
    road(FM_OPL3, 0x220, 6);
    uint8_t* r = g_fmcard.chip.opm_regs;
    r[OPM_CONNECT + 0] = 0xC7 | (5 << 3);  // RL on, FB 5, CON 7
    r[OPM_KC + 0] = 0x4A;
    for (int op = 0; op < 4; op++) {
        r[OPM_TL + 8 * op] = op == 3 ? 100 : 20;  // C2 with TL 100
        r[OPM_KS_AR + 8 * op] = 0x1F;
        r[OPM_AMS_D1R + 8 * op] = 0x08;
        r[OPM_D1L_RR + 8 * op] = 0x37;
        r[OPM_DT2_D2R + 8 * op] = 0x04;
        r[OPM_DT1_MUL + 8 * op] = 0x01;
    }
    opm(OPM_KEY_ON, 0x78);  // channel 0, every slot
    auto m = last_values(opl_writes(ports, 0x220));
    EXPECT_EQ(g_fmcard.chip.opl_channel_algo[0], 7);
    EXPECT_EQ(m[0x104], 0x00);  // two-operator pair
    EXPECT_EQ(m[0xC0], (0x0A & 0x0E) | 1 | 0x30);
    EXPECT_EQ(m[0xC3], 1 | 0x30);
    EXPECT_EQ(m[0x40 + 0x00], 20 | 0x80);  // M1
    EXPECT_EQ(m[0x40 + 0x0B], 63 | 0x80);  // C2: TL 100 gives 63
    EXPECT_EQ(m[0x60 + 0x00], (0x1E << 3) | 4);
    EXPECT_EQ(m[0x80 + 0x00], 0x30 + 2);
    EXPECT_EQ(m[0x20 + 0x00], 0x01);
    EXPECT_EQ(m[0xA0], 647 & 0xFF);
    EXPECT_EQ(m[0xB0], (647 >> 8) + (4 << 2) + 0x20);
    EXPECT_EQ(m[0xB3], m[0xB0]);

    // A KC write while keyed on reloads and keys on again; keyed off it changes nothing.
    ports.writes.clear();
    opm(OPM_KC + 0, 0x4D);
    EXPECT_EQ(last_values(opl_writes(ports, 0x220))[0xB0], (363 >> 8) + (5 << 2) + 0x20);
    opm(OPM_KEY_ON, 0x00);
    EXPECT_EQ(last_values(opl_writes(ports, 0x220))[0xB0], (363 >> 8) + (5 << 2));
    ports.writes.clear();
    opm(OPM_KC + 0, 0x4A);
    EXPECT_TRUE(ports.writes.empty());

    // CON 4 on channel 1: four-operator row 12; an unkeyed slot gets level 63 and attack 0.
    r[OPM_CONNECT + 1] = 0xC4;
    opm(OPM_KEY_ON, 0x09);  // channel 1, slot 0 only
    m = last_values(opl_writes(ports, 0x220));
    EXPECT_EQ(g_fmcard.chip.opl_channel_algo[1], 12);
    EXPECT_EQ(m[0x104], 0x02);
    EXPECT_EQ(m[0x40 + 0x04], 63 | 0x80);
    EXPECT_EQ(m[0x60 + 0x04], 0);
    // A TL write re-levels that operator only.
    ports.writes.clear();
    opm(OPM_TL + 1, 10);
    auto w = opl_writes(ports, 0x220);
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0], (std::pair<uint32_t, uint8_t>{0x40 + 0x01, 10 | 0x80}));
    // The same connection on an OPL2 is two-operator.
    g_fmcard.opl_channel_mask = 7;
    opm(OPM_KEY_ON, 0x09);
    EXPECT_EQ(g_fmcard.chip.opl_channel_algo[1], 4);
}

// The PC-98 card's road on a fake card: detection, translation, delays.
TEST_F(SoundOpl, sound_opn_card_on_a_fake_card) {
    ports.answer = [](RecordingPorts& r, uint16_t p) -> uint8_t {
        if (p == 0x188) return 0;                                     // found, and never busy
        if (p == 0x18A) return r.to(0x188).back() == OPN_ID ? 1 : 0;  // id 1: an OPNA
        return 0xFF;
    };
    ports.attach();
    g_settings.fmwait1 = 1;
    fmcard_select(g_fmcard, FM_PC98);
    EXPECT_EQ(g_fmcard.running_type, FM_PC98);
    EXPECT_EQ(g_fmcard.port, 0x188);
    EXPECT_EQ(g_fmcard.channels, 6);

    struct Case {
        uint32_t reg, value;
        std::vector<std::pair<uint32_t, uint8_t>> want;  // OPN register writes
    };
    const Case cases[] = {
        {OPM_KEY_ON, 0x78, {{0x28, 0xF0}}},
        {OPM_KEY_ON, 0x7C, {{0x28, 0xF5}}},
        {0xE2, 0x5A, {{0x82, 0x5A}}},
        {0xE4, 0x5A, {{0x181, 0x5A}}},
        {0x26, 0x00, {}},  // channel 6: not played
        {0x20, 0xC5, {{0xB0, 0xC5}, {0xB4, 0xC0}}},
        {0x22, 0x40, {{0xB2, 0x40}, {0xB6, 0x80}}},
        {0x38, 0x11, {}},
        {0x10, 0x11, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reg);
        ports.writes.clear();
        opm(c.reg, c.value);
        std::vector<std::pair<uint32_t, uint8_t>> got;
        uint32_t latch = 0;
        for (const auto& w : ports.writes) {
            if (w.port == 0x188 || w.port == 0x18C) latch = uint32_t(w.port == 0x18C) << 8 | w.value;
            else if (w.port == 0x18A || w.port == 0x18E) got.push_back({latch, w.value});
        }
        EXPECT_EQ(got, c.want);
    }
    // KC $4A: F-number 1167 in block 4.
    ports.writes.clear();
    g_fmcard.chip.opm_regs[OPM_KF] = 0;
    opm(OPM_KC, 0x4A);
    EXPECT_EQ(ports.to(0x18A), (std::vector<uint8_t>{0x24, 0x8F}));
    // 12 waits per data write; FMWAIT1 below 0 asks for up to 20, INT_MIN too.
    for (auto [wait, n] : {std::pair{1, 12}, {-30, 20}, {-5, 5}, {INT_MIN, 20}}) {
        g_settings.fmwait1 = wait;
        ports.writes.clear();
        opn_write_register(0x30, 1);
        EXPECT_EQ(ports.to(OPN_WAIT_PORT).size(), size_t(n)) << wait;
    }
    // Three channels: channel 3 and $E3 are dropped.
    g_fmcard.channels = 3;
    ports.writes.clear();
    opm(0xE3, 0x11);
    opm(0xE4, 0x11);
    EXPECT_TRUE(ports.to(0x18A).empty());
}

// FM 3 where no card answers the probe (something else reads $FF at all
// three ports): the card-check box, and FM falls back to 0.
TEST_F(SoundOpl, sound_opn_card_missing_falls_back) {
    ports.answer = [](RecordingPorts&, uint16_t) -> uint8_t { return 0xFF; };
    ports.attach();
    std::vector<std::string> boxes;
    static std::vector<std::string>* seen;
    seen = &boxes;
    MessageBoxBackend before = g_message_box_backend;
    g_message_box_backend = [](const char* text, const char* caption, MessageBoxKind) {
        seen->push_back(std::string(caption) + "|" + text);
        return MB_ANSWER_OK;
    };
    fmcard_select(g_fmcard, FM_PC98);
    host_message_box_flush();
    g_message_box_backend = before;
    EXPECT_EQ(g_settings.fm, FM_NONE);
    EXPECT_EQ(g_fmcard.running_type, FM_NONE);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "カードチェック|PC9801系カードが検出出来ません。");
}

}  // namespace
