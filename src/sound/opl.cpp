#include "sound/opl.h"

#include <algorithm>

#include "host/port_bus.h"
#include "machine/settings.h"
#include "sound/fm_card.h"
#include "sound/fm_fnum.h"
#include "sound/opm.h"
#include "sound/sound_models.h"

namespace {

FmCard& card() { return g_fmcard; }
const uint8_t* opm() { return g_fmcard.chip.opm_regs; }

constexpr uint32_t OPL_CHANNELS[8][2] = {{0x000, 0x003}, {0x001, 0x004}, {0x002, 0x005}, {0x100, 0x103},
                                         {0x101, 0x104}, {0x102, 0x105}, {0x006, 0x008}, {0x106, 0x108}};
constexpr uint32_t OPL_SLOTS[8][4] = {
    {0x00, 0x03, 0x08, 0x0B},     {0x01, 0x04, 0x09, 0x0C},     {0x02, 0x05, 0x0A, 0x0D}, {0x100, 0x103, 0x108, 0x10B},
    {0x101, 0x104, 0x109, 0x10C}, {0x102, 0x105, 0x10A, 0x10D}, {0x10, 0x13, 0x12, 0x15}, {0x110, 0x113, 0x112, 0x115}};

enum OpmOp : uint8_t { M1 = 0, M2 = 1, C1 = 2, C2 = 3 };
struct AlgoRow {
    uint8_t op[4];       // OPM operator per slot
    uint8_t used;        // bit per slot that sounds
    uint8_t connect[2];  // connection bit of the two OPL channels
    bool feedback[2];    // OPM feedback passed to the OPL channel
};
constexpr uint8_t ALL = 0x0F, FIRST_TWO = 0x03, LAST_THREE = 0x0E;
constexpr AlgoRow ROWS[13] = {
    {{M2, C2, M2, C2}, FIRST_TWO, {0, 0}, {false, false}},  {{M2, C2, M2, C2}, FIRST_TWO, {0, 0}, {false, false}},
    {{M1, C2, M2, C2}, ALL, {0, 0}, {true, false}},         {{C1, C2, M2, C2}, ALL, {0, 0}, {false, false}},
    {{M1, C1, M2, C2}, ALL, {0, 0}, {true, false}},         {{M1, C1, M1, C2}, ALL, {0, 0}, {true, true}},
    {{M1, C1, M2, C2}, ALL, {0, 1}, {true, false}},         {{M1, C1, M2, C2}, ALL, {1, 1}, {true, false}},
    {{M1, C1, M2, C2}, ALL, {0, 0}, {true, false}},         {{M1, M1, M2, C2}, LAST_THREE, {0, 0}, {false, false}},
    {{M1, C1, M2, C2}, LAST_THREE, {0, 0}, {false, false}}, {{M1, M1, C1, C2}, LAST_THREE, {0, 0}, {false, false}},
    {{M1, C1, M2, C2}, ALL, {0, 1}, {true, false}},
};
constexpr int32_t ROW_OF_CON[8] = {8, 9, 10, 11, 12, 5, 6, 7};
constexpr int32_t ROW_MASK_OF_CHANNEL[8] = {15, 15, 15, 15, 15, 15, 7, 7};
constexpr int32_t FOUR_OP_ROW = 8;

// Key code to F-number: base, octave add and step per 256 KF units, by note.
constexpr FnumRow OPL_FNUM[16] = {{408, 0, 24}, {432, 0, 26}, {458, 0, 27}, {472, 0, 14}, {485, 0, 29}, {514, 0, 30},
                                  {544, 0, 33}, {561, 0, 17}, {577, 0, 34}, {611, 0, 36}, {647, 0, 39}, {666, 0, 20},
                                  {686, 0, 40}, {363, 1, 22}, {385, 1, 23}, {397, 1, 11}};

constexpr uint32_t MAX_LEVEL = 63;
constexpr uint32_t OPL_BLOCK_DIVISOR = 4;  // the block above a 10-bit F-number
constexpr uint32_t OPM_OP_STRIDE = 8;

const AlgoRow& row_of(uint32_t channel) { return ROWS[card().chip.opl_channel_algo[channel]]; }
// The OPM register of block base for the operator slot i takes.
uint8_t opm_op(uint32_t base, uint32_t channel, int slot) {
    return opm()[base + channel + OPM_OP_STRIDE * row_of(channel).op[slot]];
}
bool keyed(uint32_t channel, uint32_t key_slots, int slot) {
    return (row_of(channel).used >> slot & 1) && (key_slots >> slot & 1);
}
void write_slot(uint32_t base, uint32_t channel, int slot, uint32_t value) {
    opl_write_register(base + OPL_SLOTS[channel][slot], value);
}

void opl_write_channel_pair(uint32_t channel, uint32_t base, uint32_t value) {
    opl_write_register(base + OPL_CHANNELS[channel][0], value);
    opl_write_register(base + OPL_CHANNELS[channel][1], value);
}

void opl_set_connection(uint32_t channel) {
    int32_t con = opm()[OPM_CONNECT + channel] & 7;
    int32_t row = ROW_OF_CON[con] & ROW_MASK_OF_CHANNEL[channel] & card().opl_channel_mask;
    card().chip.opl_channel_algo[channel] = row;
    uint16_t& four = card().chip.opl_shadow[OPL_FOUR_OP];
    uint16_t bit = uint16_t(1u << channel);
    uint32_t value = row >= FOUR_OP_ROW ? (four | bit) : (four & ~bit);
    opl_write_register(OPL_FOUR_OP, value & 0x3F);
    four = uint16_t(value);
}

void opl_set_feedback(uint32_t channel) {
    uint32_t d = opm()[OPM_CONNECT + channel] >> 2;
    const AlgoRow& r = row_of(channel);
    for (int k = 0; k < 2; k++)
        opl_write_register(OPL_FB_CNT + OPL_CHANNELS[channel][k],
                           (r.feedback[k] ? d & 0x0E : 0) | r.connect[k] | (d & 0x30));
}

void opl_set_operator_flags(uint32_t channel) {
    for (int i = 0; i < 4; i++) {
        uint32_t v = opm_op(OPM_DT1_MUL, channel, i) & 0x0F;
        if (opm_op(OPM_AMS_D1R, channel, i) & 0x80) v |= 0x80;
        if (opm_op(OPM_KS_AR, channel, i) & 0x80) v |= 0x10;
        if ((opm_op(OPM_DT2_D2R, channel, i) & 0x1F) == 0) v |= 0x20;
        write_slot(OPL_FLAGS_MUL, channel, i, v);
    }
}

void opl_set_levels(uint32_t channel, uint32_t key_slots, uint32_t op_mask) {
    for (int i = 0; i < 4; i++) {
        if (!(op_mask >> row_of(channel).op[i] & 1)) continue;
        uint32_t level =
            keyed(channel, key_slots, i) ? std::min<uint32_t>(opm_op(OPM_TL, channel, i) & 0x7F, MAX_LEVEL) : MAX_LEVEL;
        write_slot(OPL_KSL_TL, channel, i, level | 0x80);
    }
}

void opl_set_attack_decay(uint32_t channel, uint32_t key_slots) {
    for (int i = 0; i < 4; i++) {
        uint32_t attack = keyed(channel, key_slots, i) ? (opm_op(OPM_KS_AR, channel, i) & 0x1E) << 3 : 0;
        write_slot(OPL_AR_DR, channel, i, attack | ((opm_op(OPM_AMS_D1R, channel, i) >> 1) & 15));
    }
}

void opl_set_sustain_release(uint32_t channel) {
    for (int i = 0; i < 4; i++) {
        uint32_t e = opm_op(OPM_D1L_RR, channel, i);
        uint32_t d2r = opm_op(OPM_DT2_D2R, channel, i) & 0x1F;
        write_slot(OPL_SL_RR, channel, i, d2r >= 1 ? (e & 0xF0) + (d2r >> 1) : e);
    }
}

void opl_set_pitch(uint32_t channel, uint32_t key) {
    uint32_t f = opl_kc_to_fnum(channel);
    opl_write_channel_pair(channel, OPL_FNUM_LOW, f & 0xFF);
    opl_write_channel_pair(channel, OPL_KEY_BLOCK, (f >> 8) + key);
}

void opl_on_key_on(uint32_t value) {
    uint32_t channel = value & 7;
    int32_t& slots = card().chip.opl_key_slots[channel];
    slots = int32_t((value >> 3) & 15);
    if (slots) opl_load_voice(channel, uint32_t(slots));
    else opl_set_key(channel);
}

void opl_on_key_code(uint32_t reg) {
    uint32_t channel = reg & 7;
    if (card().chip.opl_shadow[OPL_KEY_BLOCK + OPL_CHANNELS[channel][0]] & OPL_KEY_ON_BIT)
        opl_load_voice(channel, uint32_t(card().chip.opl_key_slots[channel]));
}

void opl_on_total_level(uint32_t reg) {
    uint32_t channel = reg & 7;
    opl_set_levels(channel, uint32_t(card().chip.opl_key_slots[channel]), 1u << ((reg >> 3) & 3));
}

}  // namespace

void opl_write_register(uint32_t reg, uint32_t value) {
    FmCard& c = card();
    if (!c.output_on || g_settings.fm == FM_NONE) return;
    uint32_t bank = (reg >> 8) & 1;
    if (g_sound_models.ym2151 != SoundModel::Library) {
        uint32_t address = c.pc98_layout ? uint32_t(c.port) + 0x200 * bank : uint32_t(c.port) + 2 * bank;
        uint32_t data = c.pc98_layout ? address + 0x100 : address + 1;
        port_out(uint16_t(address), uint8_t(reg));
        opl_delay(g_settings.fmwait1);
        port_out(uint16_t(data), uint8_t(value));
        opl_delay(g_settings.fmwait2);
    }
    c.chip.opl_shadow[bank * 256 + (reg & 0xFF)] = uint16_t(value);
}

void opl_delay(int32_t n) {
    for (int32_t i = 0; i < n; i++) port_in(uint16_t(card().port));
}

void opl_init() {
    opl_write_register(OPL_TIMER_CONTROL, 0x60);
    opl_write_register(OPL_CSM_SEL, 0x40);
    opl_write_register(OPL_FOUR_OP, 0x00);
    opl_write_register(OPL_NEW, 0x01);
    opl_write_register(OPL_RHYTHM, 0x00);
    for (uint32_t i = 0; i < 9; i++) {
        opl_write_register(OPL_KEY_BLOCK + i, 0);
        opl_write_register(0x100 + OPL_KEY_BLOCK + i, 0);
        opl_write_register(OPL_FB_CNT + i, 0);
        opl_write_register(0x100 + OPL_FB_CNT + i, 0);
    }
    // Every operator's waveform select back to the sine.
    for (uint32_t slot = 0; slot < 0x16; slot++) {
        opl_write_register(OPL_WAVE + slot, 0);
        opl_write_register(0x100 + OPL_WAVE + slot, 0);
    }
    std::fill(std::begin(card().chip.opl_shadow), std::end(card().chip.opl_shadow), uint16_t(0));
}

void opl_all_off() {
    for (uint32_t ch = 0; ch < 8; ch++) opl_set_key(ch);
}

void opl_write_opm(uint32_t reg, uint32_t value) {
    if (reg == OPM_KEY_ON) opl_on_key_on(value);
    else if (reg == OPM_TIMER_CONTROL) opm_timer_control(value);
    else if (reg >= OPM_KC && reg < OPM_KC + 8) opl_on_key_code(reg);
    else if (reg >= OPM_TL && reg < OPM_TL + 0x20) opl_on_total_level(reg);
}

void opl_load_voice(uint32_t channel, uint32_t key_slots) {
    opl_set_connection(channel);
    opl_set_feedback(channel);
    opl_set_operator_flags(channel);
    opl_set_levels(channel, key_slots, 15);
    opl_set_attack_decay(channel, key_slots);
    opl_set_sustain_release(channel);
    opl_set_pitch(channel, OPL_KEY_ON_BIT);
}

void opl_set_key(uint32_t channel) { opl_set_pitch(channel, 0); }

uint32_t opl_kc_to_fnum(uint32_t channel) { return fm_kc_to_fnum(OPL_FNUM, channel, OPL_BLOCK_DIVISOR); }
