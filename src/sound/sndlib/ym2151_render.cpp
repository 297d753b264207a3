// YM2151 sound generation: envelopes, LFO, noise, operators and the eight
// connections.
#include "sound/sndlib/ym2151.h"
#include "sound/sndlib/ym2151_tables.h"

namespace sndlib {

static constexpr int ENV_SILENT4 = OPM_ENV_MAX * 4;

void Ym2151::eg_tick() {
    const OpmTables& t = *t_;
    ++eg_counter_;
    for (auto& ch : ch_) {
        int am = ch.ams ? ((lfo_am_ * amd_) / 127) << (ch.ams - 1) : 0;
        for (auto& op : ch.op) {
            int r = op.rate_now;
            uint32_t shift = t.eg_shift[r];
            if ((eg_counter_ & ((1u << shift) - 1)) == 0) {
                int step = t.eg_step[r][(eg_counter_ >> shift) & 7];
                int env = op.env;
                if (op.phase_env == ENV_ATTACK) {
                    if (r >= 62) env = 0;
                    else env += (~env * step) >> 4;
                    if (env <= 0) {
                        env = 0;
                        op.phase_env = ENV_DECAY1;
                        refresh_rate(op);
                    }
                } else {
                    env += step;
                    if (env > OPM_ENV_MAX) env = OPM_ENV_MAX;
                }
                // D1L 15 is 93 dB (31 x 3 dB).
                int d1l = (op.d1l == 15 ? 31 : op.d1l) << 5;
                if (op.phase_env == ENV_DECAY1 && env >= d1l) {
                    op.phase_env = ENV_DECAY2;
                    refresh_rate(op);
                }
                op.env = uint16_t(env);
            }
            int total = op.env + (op.tl << 3) + (op.amsen ? am : 0);
            op.att4 = (total > OPM_ENV_MAX ? OPM_ENV_MAX : total) * 4;
        }
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
    default:  // noise, a new value each period
        if (p < lfo_last_step_) lfo_noise_ = uint8_t(noise_lfsr_ ^ (noise_lfsr_ >> 8));
        lfo_am_ = lfo_noise_;
        lfo_pm_ = lfo_noise_ - 128;
        break;
    }
    lfo_last_step_ = uint8_t(p);
}

int32_t Ym2151::channel_sample(OpmChannel& ch, int index) {
    const OpmTables& t = *t_;
    if (ch.pms && pmd_) {
        int u = lfo_pm_ * pmd_ * OPM_PMS_CENTS[ch.pms] * OPM_PM_UNITS_PER_CENT_X100 / (128 * 127 * 100);
        if (u != ch.pm_u) {
            ch.pm_u = u;
            float f = t.pm_factor[u + 1792];
            for (auto& op : ch.op) op.inc_now = uint32_t(float(op.inc) * f);
        }
    }
    auto gen = [&t](OpmOperator& op, int32_t mod) -> int32_t {
        op.phase += op.inc_now;
        if (op.att4 >= ENV_SILENT4) return 0;
        uint16_t ls = t.logsin[((op.phase >> 22) + uint32_t(mod)) & 1023];
        int32_t v = t.exp[(ls & 0x7FFF) + op.att4];
        return (ls & OPM_LOGSIN_NEG) ? -v : v;
    };
    OpmOperator* o = ch.op;
    int32_t fb = ch.fb ? (ch.fb_prev[0] + ch.fb_prev[1]) >> (10 - ch.fb) : 0;
    int32_t m1 = gen(o[OP_M1], fb);
    ch.fb_prev[1] = ch.fb_prev[0];
    ch.fb_prev[0] = m1;
    int32_t c1, m2, c2, out;
    bool noise = index == 7 && noise_enable_;
    auto last = [&](int32_t mod) -> int32_t {
        if (!noise) return gen(o[OP_C2], mod);
        int32_t v = o[OP_C2].att4 >= ENV_SILENT4 ? 0 : t.exp[o[OP_C2].att4];
        return (noise_lfsr_ & 1) ? v : -v;
    };
    switch (ch.con) {
    case 0: c1 = gen(o[OP_C1], m1 >> 1); m2 = gen(o[OP_M2], c1 >> 1); out = last(m2 >> 1); break;
    case 1: c1 = gen(o[OP_C1], 0); m2 = gen(o[OP_M2], (m1 + c1) >> 1); out = last(m2 >> 1); break;
    case 2: c1 = gen(o[OP_C1], 0); m2 = gen(o[OP_M2], c1 >> 1); out = last((m1 + m2) >> 1); break;
    case 3: c1 = gen(o[OP_C1], m1 >> 1); m2 = gen(o[OP_M2], 0); out = last((c1 + m2) >> 1); break;
    case 4: c1 = gen(o[OP_C1], m1 >> 1); m2 = gen(o[OP_M2], 0); c2 = last(m2 >> 1); out = c1 + c2; break;
    case 5:
        c1 = gen(o[OP_C1], m1 >> 1); m2 = gen(o[OP_M2], m1 >> 1); c2 = last(m1 >> 1);
        out = c1 + m2 + c2;
        break;
    case 6: c1 = gen(o[OP_C1], m1 >> 1); m2 = gen(o[OP_M2], 0); c2 = last(0); out = c1 + m2 + c2; break;
    default: c1 = gen(o[OP_C1], 0); m2 = gen(o[OP_M2], 0); c2 = last(0); out = m1 + c1 + m2 + c2; break;
    }
    return out;
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
            uint32_t bit = (noise_lfsr_ ^ (noise_lfsr_ >> 3)) & 1;
            noise_lfsr_ = (noise_lfsr_ >> 1) | (bit << 16);
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
