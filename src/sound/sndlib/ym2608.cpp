// YM2608 FM registers, key on and off, F-number pitch and rendering.
#include "sound/sndlib/ym2608.h"

#include "sound/sndlib/fm_operator.h"
#include "sound/sndlib/ym2151_tables.h"

namespace sndlib {

namespace {

constexpr int CHANNELS_PER_BANK = 3;
constexpr uint8_t LR_BOTH = 0xC0;  // bits 7 (left) and 6 (right), set at reset
// $28 bits 4-7 key S1, S2, S3, S4; the operator arrays hold M1 (S1),
// M2 (S3), C1 (S2), C2 (S4), as the registers are laid out.
constexpr int KEY_SLOT_OP[4] = {OP_M1, OP_C1, OP_M2, OP_C2};
constexpr int FNUM_BITS = 11;

}  // namespace

uint8_t opn_key_code(uint16_t fnum, uint8_t block) {
    bool f11 = fnum & 0x400, f10 = fnum & 0x200, f9 = fnum & 0x100, f8 = fnum & 0x80;
    bool n3 = (f11 && (f10 || f9 || f8)) || (!f11 && f10 && f9 && f8);
    return uint8_t((block & 7) << 2 | f11 << 1 | n3);
}

double opn_note_hz(uint16_t fnum, uint8_t block, uint32_t clock) {
    double rate = double(clock) / OPNA_CLOCKS_PER_SAMPLE;
    return double((uint32_t(fnum) << (block & 7)) >> 1) * rate / double(1u << 20);
}

void Ym2608::reset(uint32_t clock) {
    auto reader = read_port_a;
    void* ctx = port_ctx;
    *this = Ym2608{};
    read_port_a = reader;
    port_ctx = ctx;
    clock_ = clock ? clock : OPNA_DEFAULT_CLOCK;
    t_ = &opm_tables();
    for (int c = 0; c < OPNA_CHANNELS; ++c) {
        OpmChannel& ch = ch_[c];
        fm_channel_silence(ch);
        ch.left = ch.right = true;
        regs_[(c / CHANNELS_PER_BANK) * OPN_BANK1 + OPN_REG_LR_AMS_PMS + c % CHANNELS_PER_BANK] = LR_BOTH;
        update_freq(ch, c);
    }
}

uint8_t Ym2608::read(uint16_t reg) const {
    reg &= 0x1FF;
    if (reg == OPN_REG_ID) return OPNA_ID;
    if (reg == OPN_REG_IO_A && read_port_a) return read_port_a(port_ctx, regs_[OPN_REG_IO_B]);
    return regs_[reg];
}

void Ym2608::write(uint16_t reg, uint8_t v) {
    reg &= 0x1FF;
    regs_[reg] = v;
    int bank = reg >> 8;
    uint8_t r = uint8_t(reg);
    if (bank == 0 && r == OPN_REG_KEY_ON) {
        int sel = v & 7;
        if ((sel & 3) == 3) return;  // no channel there
        OpmChannel& ch = ch_[(sel >> 2) * CHANNELS_PER_BANK + (sel & 3)];
        for (int i = 0; i < 4; ++i) fm_key(ch, KEY_SLOT_OP[i], (v >> (4 + i)) & 1, 1);
        return;
    }
    if (r < OPN_REG_DT_MUL || (r & 3) == 3) return;
    int index = bank * CHANNELS_PER_BANK + (r & 3);
    OpmChannel& ch = ch_[index];
    if (r < OPN_REG_FNUM_LOW) {
        write_operator(ch, (r >> 2) & 3, uint8_t(r & 0xF0), v);
        if ((r & 0xF0) == OPN_REG_DT_MUL || (r & 0xF0) == OPN_REG_KS_AR) update_freq(ch, index);
        return;
    }
    switch (r & 0xFC) {
    case OPN_REG_BLOCK_FNUM: fnum_high_latch_[bank] = v & 0x3F; return;
    case OPN_REG_FNUM_LOW:
        fnum_[index] = uint16_t((fnum_high_latch_[bank] & 7) << 8 | v);
        block_[index] = uint8_t(fnum_high_latch_[bank] >> 3);
        update_freq(ch, index);
        return;
    case OPN_REG_FB_ALGO:
        ch.fb = (v >> 3) & 7;
        ch.con = v & 7;
        return;
    case OPN_REG_LR_AMS_PMS:
        ch.left = v & 0x80;
        ch.right = v & 0x40;
        return;
    default: return;  // channel 3's special mode and the rest: not made
    }
}

void Ym2608::write_operator(OpmChannel& ch, int slot, uint8_t block, uint8_t v) {
    OpmOperator& op = ch.op[slot];
    switch (block) {
    case OPN_REG_DT_MUL:
        op.dt1 = (v >> 4) & 7;
        op.mul = v & 15;
        break;
    case OPN_REG_TL: op.tl = v & 0x7F; break;
    case OPN_REG_KS_AR:
        op.ks = v >> 6;
        op.ar = v & 31;
        break;
    case OPN_REG_AM_DR:
        op.amsen = v >> 7;
        op.d1r = v & 31;
        break;
    case OPN_REG_SR: op.d2r = v & 31; break;
    case OPN_REG_SL_RR:
        op.d1l = v >> 4;
        op.rr = v & 15;
        break;
    default: return;  // SSG-EG: not made
    }
    fm_refresh_rate(op);
}

// The phase step: (F-number << block) / 2 in 20-bit phase units per
// sample, moved by DT (the YM2151's DT1 table by the OPN's key code), times
// MUL (0 halves); key scaling from the same key code.
void Ym2608::update_freq(OpmChannel& ch, int index) {
    uint8_t kc = opn_key_code(fnum_[index], block_[index]);
    int64_t base = int64_t((uint32_t(fnum_[index] & ((1u << FNUM_BITS) - 1)) << (block_[index] & 7)) >> 1) << 12;
    for (auto& op : ch.op) {
        int64_t d = int64_t(OPM_DT1_TABLE[kc][op.dt1 & 3]) << 12;
        int64_t stepped = base + ((op.dt1 & 4) ? -d : d);
        if (stepped < 0) stepped = 0;
        uint64_t f = op.mul ? uint64_t(stepped) * op.mul : uint64_t(stepped) / 2;
        op.inc = op.inc_now = uint32_t(f);
        op.ks_add = uint8_t(kc >> (3 - op.ks));
        fm_refresh_rate(op);
    }
}

void Ym2608::eg_tick() {
    ++eg_counter_;
    for (auto& ch : ch_)
        for (auto& op : ch.op) fm_envelope_tick(*t_, op, eg_counter_, 0);
}

void Ym2608::render(int32_t* out, uint32_t n) {
    const OpmTables& t = *t_;
    for (uint32_t s = 0; s < n; ++s) {
        if (++eg_div_ == 3) {
            eg_div_ = 0;
            eg_tick();
        }
        int32_t l = 0, r = 0;
        for (auto& ch : ch_) {
            OpmOperator& c2 = ch.op[OP_C2];
            int32_t v = fm_connect(t, ch, [&](int32_t mod) { return fm_operator_out(t, c2, mod); });
            if (ch.left) l += v;
            if (ch.right) r += v;
        }
        out[2 * s] += l;
        out[2 * s + 1] += r;
    }
}

}  // namespace sndlib
