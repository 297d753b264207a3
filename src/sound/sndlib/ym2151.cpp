// YM2151 registers, key on/off, note steps and timers.
#include "sound/sndlib/ym2151.h"

#include <cmath>
#include <cstring>

#include "sound/sndlib/fm_operator.h"
#include "sound/sndlib/ym2151_tables.h"

namespace sndlib {

void Ym2151::reset(uint32_t clock) {
    auto irq = on_irq;
    void* ctx = irq_ctx;
    *this = Ym2151{};
    on_irq = irq;
    irq_ctx = ctx;
    clock_ = clock ? clock : OPM_DEFAULT_CLOCK;
    t_ = &opm_tables();
    for (auto& ch : ch_) {
        fm_channel_silence(ch);
        update_freq(ch);
    }
    noise_lfsr_ = 1;
}

void Ym2151::write(uint8_t r, uint8_t v) {
    regs_[r] = v;
    switch (r) {
    case OPM_REG_TEST:
        if (v & 0x02) lfo_phase_ = 0;
        return;
    case OPM_REG_KEY_ON: {
        OpmChannel& ch = ch_[v & 7];
        // Bits 3-6: M1, C1, M2, C2.
        static const int slot_op[4] = {OP_M1, OP_C1, OP_M2, OP_C2};
        for (int i = 0; i < 4; ++i) fm_key(ch, slot_op[i], (v >> (3 + i)) & 1, 1);
        return;
    }
    case OPM_REG_NOISE:
        noise_enable_ = v >> 7;
        noise_freq_ = v & 31;
        return;
    case OPM_REG_TIMER_A_HI:
    case OPM_REG_TIMER_A_LO:
        timer_a_ = (uint32_t(regs_[OPM_REG_TIMER_A_HI]) << 2) | (regs_[OPM_REG_TIMER_A_LO] & 3);
        return;
    case OPM_REG_TIMER_B: timer_b_ = v; return;
    case OPM_REG_TIMER_CTRL:
        // Bits 0/1 load and run A/B, 2/3 enable their flags, 4/5 reset them.
        if (v & 0x10) status_ &= ~OPM_STATUS_TIMER_A;
        if (v & 0x20) status_ &= ~OPM_STATUS_TIMER_B;
        return;
    case OPM_REG_LFRQ: lfo_inc_ = uint32_t(std::llround(opm_lfo_hz(v, clock_) / sample_rate() * 4294967296.0)); return;
    case OPM_REG_PMD_AMD:
        if (v & 0x80) {
            pmd_ = v & 0x7F;
            for (auto& ch : ch_) update_freq(ch);
        } else {
            amd_ = v & 0x7F;
        }
        return;
    case OPM_REG_CT_W: lfo_wave_ = v & 3; return;
    default: break;
    }
    if (r >= OPM_REG_RL_FB_CON && r < OPM_REG_DT1_MUL) write_channel(r, v);
    else if (r >= OPM_REG_DT1_MUL) write_operator(r, v);
}

void Ym2151::write_channel(uint8_t r, uint8_t v) {
    OpmChannel& ch = ch_[r & 7];
    switch (r & 0xF8) {
    case OPM_REG_RL_FB_CON:
        ch.left = v & 0x40;
        ch.right = v & 0x80;
        ch.fb = (v >> 3) & 7;
        ch.con = v & 7;
        return;
    case OPM_REG_KC: ch.kc = v & 0x7F; break;
    case OPM_REG_KF: ch.kf = v >> 2; break;
    case OPM_REG_PMS_AMS:
        ch.pms = (v >> 4) & 7;
        ch.ams = v & 3;
        break;
    }
    update_freq(ch);
}

void Ym2151::write_operator(uint8_t r, uint8_t v) {
    OpmChannel& ch = ch_[r & 7];
    OpmOperator& op = ch.op[(r >> 3) & 3];
    switch (r & 0xE0) {
    case OPM_REG_DT1_MUL:
        op.dt1 = (v >> 4) & 7;
        op.mul = v & 15;
        update_freq(ch);
        break;
    case OPM_REG_TL: op.tl = v & 0x7F; break;
    case OPM_REG_KS_AR:
        op.ks = v >> 6;
        op.ar = v & 31;
        op.ks_add = uint8_t((ch.kc >> 2) >> (3 - op.ks));
        break;
    case OPM_REG_AMSEN_D1R:
        op.amsen = v >> 7;
        op.d1r = v & 31;
        break;
    case OPM_REG_DT2_D2R:
        op.dt2 = v >> 6;
        op.d2r = v & 31;
        update_freq(ch);
        break;
    case OPM_REG_D1L_RR:
        op.d1l = v >> 4;
        op.rr = v & 15;
        break;
    }
    fm_refresh_rate(op);
}

// The note's step: octave, semitone (code minus code / 4) and fraction,
// raised by DT2, moved by DT1, times MUL (0 halves).
void Ym2151::update_freq(OpmChannel& ch) {
    const OpmTables& t = *t_;
    int oct = (ch.kc >> 4) & 7, code = ch.kc & 15;
    int note = (code - code / 4) * 64 + ch.kf;
    for (auto& op : ch.op) {
        int x = oct * OPM_NOTE_STEPS + note + OPM_DT2_STEPS[op.dt2];
        uint64_t inc = (t.note_inc[x % OPM_NOTE_STEPS] << (x / OPM_NOTE_STEPS)) >> 16;
        int64_t d = int64_t(OPM_DT1_TABLE[ch.kc >> 2][op.dt1 & 3]) << 12;
        int64_t stepped = int64_t(inc) + ((op.dt1 & 4) ? -d : d);
        if (stepped < 0) stepped = 0;
        uint64_t f = op.mul ? uint64_t(stepped) * op.mul : uint64_t(stepped) / 2;
        op.inc = op.inc_now = uint32_t(f);
        op.ks_add = uint8_t((ch.kc >> 2) >> (3 - op.ks));
        fm_refresh_rate(op);
    }
    ch.pm_u = PM_STALE;
}

// Counts one sample: timer A every sample, timer B every 16. With CSM an
// overflow of A keys every slot on for one sample.
void Ym2151::timers_step() {
    if (csm_keyed_) {
        csm_keyed_ = false;
        for (auto& ch : ch_)
            for (int i = 0; i < 4; ++i) fm_key(ch, i, false, 2);
    }
    uint8_t ctrl = regs_[OPM_REG_TIMER_CTRL];
    bool irq = false;
    if (!(ctrl & 0x01)) count_a_ = 0;
    else if (++count_a_ >= 1024 - timer_a_) {
        count_a_ = 0;
        if (ctrl & 0x04) {
            irq |= !(status_ & OPM_STATUS_TIMER_A);
            status_ |= OPM_STATUS_TIMER_A;
        }
        if (ctrl & 0x80) {
            for (auto& ch : ch_)
                for (int i = 0; i < 4; ++i) fm_key(ch, i, true, 2);
            csm_keyed_ = true;
        }
    }
    if (!(ctrl & 0x02)) count_b_ = 0;
    else if (++count_b_ >= 16u * (256 - timer_b_)) {
        count_b_ = 0;
        if (ctrl & 0x08) {
            irq |= !(status_ & OPM_STATUS_TIMER_B);
            status_ |= OPM_STATUS_TIMER_B;
        }
    }
    if (irq && on_irq) on_irq(irq_ctx);
}

double opm_note_hz(uint8_t kc, uint8_t kf, uint32_t clock) {
    int oct = (kc >> 4) & 7, code = kc & 15, s = code - code / 4;
    return 440.0 * std::exp2(oct - 4 + (s - 8) / 12.0 + (kf >> 2) / 768.0) * clock / 3579545.0;
}

}  // namespace sndlib
