// YM2151 sound generation: envelopes, LFO, noise, operators and the eight
// connections.
#include "sound/sndlib/fm_operator.h"
#include "sound/sndlib/ym2151.h"
#include "sound/sndlib/ym2151_tables.h"

namespace sndlib {

namespace {
// One step of a 17-bit shift register fed back from bits 0 and 3.
inline void lfsr17_step(uint32_t& r) {
    uint32_t bit = (r ^ (r >> 3)) & 1;
    r = (r >> 1) | (bit << 16);
}
// Noise on C2: the sign from the register, the amplitude linear in the
// attenuation, (1023 - attenuation) << 2, never through the power table.
inline int32_t noise_out(const OpmOperator& op, uint32_t lfsr) {
    int32_t v = FM_ENV_SILENT4 - op.att4;
    return (lfsr & 1) ? v : -v;
}
}  // namespace

void Ym2151::eg_tick() {
    const OpmTables& t = *t_;
    ++eg_counter_;
    for (auto& ch : ch_) {
        int am = ch.ams ? ((lfo_am_ * amd_) / 127) << (ch.ams - 1) : 0;
        for (auto& op : ch.op) fm_envelope_tick(t, op, eg_counter_, am);
    }
}

void Ym2151::lfo_step() {
    if (!(regs_[OPM_REG_TEST] & 0x02)) lfo_phase_ += lfo_inc_;
    int p = int(lfo_phase_ >> 24);
    switch (lfo_wave_) {
    case 0:  // saw
        lfo_am_ = 255 - p;
        lfo_pm_ = p < 128 ? p : p - 256;
        break;
    case 1:  // square
        lfo_am_ = p < 128 ? 255 : 0;
        lfo_pm_ = p < 128 ? 127 : -128;
        break;
    case 2:  // triangle
        lfo_am_ = p < 128 ? 255 - 2 * p : 2 * p - 256;
        lfo_pm_ = p < 64 ? 2 * p : p < 192 ? 256 - 2 * p : 2 * p - 512;
        if (lfo_pm_ > 127) lfo_pm_ = 127;
        break;
    default:  // noise: a new random value at each of the period's 256 steps
        if (p != lfo_last_step_) {
            for (int i = 0; i < 8; ++i) lfsr17_step(lfo_lfsr_);
            lfo_noise_ = uint8_t(lfo_lfsr_);
        }
        lfo_am_ = lfo_noise_;
        lfo_pm_ = lfo_noise_ - 128;
        break;
    }
    lfo_last_step_ = uint8_t(p);
}

int32_t Ym2151::channel_sample(OpmChannel& ch, int index) {
    const OpmTables& t = *t_;
    if (ch.pms && pmd_) {
        int u = (lfo_pm_ * pmd_) >> OPM_PMS_SHIFT[ch.pms];
        if (u != ch.pm_u) {
            ch.pm_u = u;
            float f = t.pm_factor[u + OPM_PM_MAX];
            for (auto& op : ch.op) op.inc_now = uint32_t(float(op.inc) * f);
        }
    }
    OpmOperator& c2 = ch.op[OP_C2];
    if (index == 7 && noise_enable_) {
        return fm_connect(t, ch, [&](int32_t) { return noise_out(c2, noise_lfsr_); });
    }
    return fm_connect(t, ch, [&](int32_t mod) { return fm_operator_out(t, c2, mod); });
}

void Ym2151::render(int32_t* out, uint32_t n) {
    const uint32_t nperiod = opm_noise_period(noise_freq_);
    for (uint32_t s = 0; s < n; ++s) {
        if (++eg_div_ == 3) {
            eg_div_ = 0;
            eg_tick();
        }
        lfo_step();
        // Noise: 2 / (32 - NFRQ) steps of the 17-bit shift register per sample.
        noise_acc_ += 2;
        while (noise_acc_ >= nperiod) {
            noise_acc_ -= nperiod;
            lfsr17_step(noise_lfsr_);
        }
        int32_t l = 0, r = 0;
        for (int c = 0; c < 8; ++c) {
            OpmChannel& ch = ch_[c];
            int32_t v = channel_sample(ch, c);
            if (ch.left) l += v;
            if (ch.right) r += v;
        }
        out[2 * s] += l;
        out[2 * s + 1] += r;
        timers_step();
    }
}

}  // namespace sndlib
