#include "sound/opn.h"

#include <algorithm>

#include "host/message_box.h"
#include "host/port_bus.h"
#include "machine/settings.h"
#include "sound/fm_card.h"
#include "sound/fm_fnum.h"
#include "sound/opm.h"

namespace {

constexpr int WAIT_READY_READS = 50, READ_READY_READS = 10;
constexpr int32_t DELAY_WRITES = 12, DELAY_WRITES_MAX = 20;
constexpr uint32_t OPNA_CHANNELS = 6, OPN_CHANNELS = 3;
constexpr uint32_t OPN_BANK_STRIDE = 4;    // bank 1 ports at base + 4 and + 6
constexpr uint32_t OPN_BLOCK_DIVISOR = 2;  // the block above an 11-bit F-number
constexpr uint8_t CONTROL_MASK_BIT = 0x02, CONTROL_EXTENDED_BIT = 0x01;

constexpr FnumRow OPN_FNUM[16] = {{735, 0, 44},  {779, 0, 46},  {825, 0, 49},  {850, 0, 25},
                                  {874, 0, 52},  {926, 0, 55},  {981, 0, 59},  {1011, 0, 29},
                                  {1040, 0, 62}, {1102, 0, 65}, {1167, 0, 70}, {1202, 0, 35},
                                  {1237, 0, 73}, {655, 1, 39},  {694, 1, 41},  {714, 1, 21}};

FmCard& card() { return g_fmcard; }

uint32_t channel_offset(uint32_t ch) { return ch < 3 ? ch : 0x100 + (ch - 3); }
uint32_t key_code(uint32_t ch) { return ch < 3 ? ch : ch + 1; }

void opna_extended_mode() {
    opn_write_register(OPN_MODE, OPN_MODE_OPNA);
    uint8_t c = port_in(OPN_CONTROL_PORT);
    port_out(OPN_CONTROL_PORT, uint8_t((c & ~CONTROL_MASK_BIT) | CONTROL_EXTENDED_BIT));
}

void opn_on_key_on(uint32_t value) {
    uint32_t ch = value & 7;
    if (ch < uint32_t(card().channels)) opn_write_register(OPN_KEY_ON, key_code(ch) + 2 * (value & 0x78));
}

void opn_set_frequency(uint32_t ch) {
    uint32_t f = opn_kc_to_fnum(ch), c = channel_offset(ch);
    opn_write_register(OPN_BLOCK_FNUM + c, f >> 8);
    opn_write_register(OPN_FNUM_LOW + c, f & 0xFF);
}

// Operator registers: OPM block base (of 32) to OPN block base (of 16).
struct OperatorBlock {
    uint32_t opm, opn;
};
constexpr OperatorBlock OPERATOR_BLOCKS[] = {{OPM_DT1_MUL, OPN_DT_MUL}, {OPM_TL, OPN_TL},      {OPM_KS_AR, OPN_KS_AR},
                                             {OPM_AMS_D1R, OPN_AM_DR},  {OPM_DT2_D2R, OPN_SR}, {OPM_D1L_RR, OPN_SL_RR}};

}  // namespace

void opn_detect_card() {
    FmCard& c = card();
    c.card_found = 0;
    for (uint16_t p : OPN_CARD_PORTS) {
        if (port_in(p) == 0) {
            c.card_found = 1;
            c.port = p;
            break;
        }
    }
    if (!c.card_found) {
        host_message_box("PC9801系カードが検出出来ません。", "カードチェック", MB_INFO);
        return;
    }
    opna_extended_mode();
    uint8_t id = opn_read_register(OPN_ID);
    c.channels = id == 1 || id == 2 ? int32_t(OPNA_CHANNELS) : id == 0xFF ? int32_t(OPN_CHANNELS) : 0;
}

void opn_write_register(uint32_t reg, uint32_t value) {
    FmCard& c = card();
    if (!c.output_on || g_settings.fm != FM_PC98) return;
    uint16_t address = uint16_t(c.port + int32_t(OPN_BANK_STRIDE * ((reg >> 8) & 1)));
    opn_wait_ready(address);
    port_out(address, uint8_t(reg));
    opn_wait_ready(address);
    opn_delay();
    port_out(uint16_t(address + 2), uint8_t(value));
}

uint8_t opn_read_register(uint32_t reg) {
    uint16_t p = uint16_t(card().port);
    for (int i = 0; i < READ_READY_READS && (port_in(p) & OPN_STATUS_BUSY); i++) {}
    port_out(p, uint8_t(reg));
    opn_delay();
    return port_in(uint16_t(p + 2));
}

void opn_wait_ready(uint16_t port) {
    for (int i = 0; i < WAIT_READY_READS && (port_in(port) & OPN_STATUS_BUSY); i++) {}
}

void opn_delay() {
    int32_t w = g_settings.fmwait1;
    // -FMWAIT1 computed in 64 bits: INT_MIN asks for the most, not an overflow.
    int32_t n = w < 0 ? int32_t(std::min<int64_t>(-int64_t(w), DELAY_WRITES_MAX)) : DELAY_WRITES;
    for (int32_t i = 0; i < n; i++) port_out(OPN_WAIT_PORT, 0);
}

void opn_reset() {
    FmCard& c = card();
    if (g_settings.fm != FM_PC98) return;
    if (c.channels == int32_t(OPNA_CHANNELS)) opna_extended_mode();
    for (uint32_t ch = 0; ch < uint32_t(c.channels); ch++) {
        uint32_t off = channel_offset(ch);
        opn_write_register(OPN_KEY_ON, key_code(ch));
        for (uint32_t n = 0; n < 4; n++) opn_write_register(OPN_TL + 4 * n + off, 0x7F);
    }
}

void opn_all_off() {
    for (uint32_t ch = 0; ch < 6; ch++) opn_on_key_on(ch);
}

void opn_write_opm(uint32_t reg, uint32_t value) {
    if (reg == OPM_KEY_ON) {
        opn_on_key_on(value);
        return;
    }
    if (reg == OPM_TIMER_CONTROL) {
        opm_timer_control(value);  // the timers run the same on every road
        return;
    }
    if (reg < OPM_CONNECT) return;
    uint32_t ch = reg & 7;
    if (ch >= uint32_t(card().channels)) return;
    uint32_t c = channel_offset(ch), n = (reg >> 3) & 3;
    if (reg < OPM_KC) {
        opn_write_register(OPN_FB_ALGO + c, value);
        opn_write_register(OPN_LR_AMS_PMS + c, ((value & 0x40) << 1) | ((value & 0x80) >> 1));
    } else if (reg < OPM_KF + 8) {
        opn_set_frequency(ch);
    } else if (reg >= OPM_DT1_MUL) {
        uint32_t block = (reg - OPM_DT1_MUL) / 0x20;
        opn_write_register(OPERATOR_BLOCKS[block].opn + 4 * n + c, value);
    }
}

uint32_t opn_kc_to_fnum(uint32_t ch) { return fm_kc_to_fnum(OPN_FNUM, ch, OPN_BLOCK_DIVISOR); }
