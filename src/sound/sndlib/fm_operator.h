// The four-operator FM voice that the YM2151 and the OPN family share:
// key on and off, the envelope generator's step, one operator's output
// and the eight connections. Each chip keeps its own register front end
// and pitch; both run their channels through these.
#pragma once

#include <cstdint>

#include "sound/sndlib/ym2151.h"
#include "sound/sndlib/ym2151_tables.h"

namespace sndlib {

inline constexpr int FM_ENV_SILENT4 = OPM_ENV_MAX * 4;

// A channel as reset leaves it: every operator released and silent, MUL 1.
inline void fm_channel_silence(OpmChannel& ch) {
    for (auto& op : ch.op) {
        op.env = OPM_ENV_MAX;
        op.phase_env = ENV_RELEASE;
        op.att4 = OPM_ENV_MAX * 4;
        op.mul = 1;
    }
}

inline int fm_effective_rate(const OpmOperator& op, int rate) {
    if (rate == 0) return 0;
    int r = 2 * rate + op.ks_add;
    return r > 63 ? 63 : r;
}

inline void fm_refresh_rate(OpmOperator& op) {
    int rate;
    switch (op.phase_env) {
    case ENV_ATTACK: rate = op.ar; break;
    case ENV_DECAY1: rate = op.d1r; break;
    case ENV_DECAY2: rate = op.d2r; break;
    default: rate = op.rr * 2 + 1; break;
    }
    op.rate_now = uint8_t(fm_effective_rate(op, rate));
}

// source: bit 0 the key-on register, bit 1 the YM2151's CSM.
inline void fm_key(OpmChannel& ch, int index, bool on, uint8_t source) {
    OpmOperator& op = ch.op[index];
    uint8_t was = op.key;
    op.key = on ? (op.key | source) : (op.key & ~source);
    if (!was && op.key) {
        op.phase = 0;
        if (fm_effective_rate(op, op.ar) >= 62) {
            op.env = 0;
            op.phase_env = ENV_DECAY1;
        } else {
            op.phase_env = ENV_ATTACK;
        }
        if (index == OP_M1) ch.fb_prev[0] = ch.fb_prev[1] = 0;
    } else if (was && !op.key) {
        op.phase_env = ENV_RELEASE;
    }
    fm_refresh_rate(op);
}

// One tick of the envelope clock for an operator, then its attenuation
// with the LFO's amplitude modulation am.
inline void fm_envelope_tick(const OpmTables& t, OpmOperator& op, uint32_t eg_counter, int am) {
    int r = op.rate_now;
    uint32_t shift = t.eg_shift[r];
    if ((eg_counter & ((1u << shift) - 1)) == 0) {
        int step = t.eg_step[r][(eg_counter >> shift) & 7];
        int env = op.env;
        if (op.phase_env == ENV_ATTACK) {
            if (r >= 62) env = 0;
            else env += (~env * step) >> 4;
            if (env <= 0) {
                env = 0;
                op.phase_env = ENV_DECAY1;
                fm_refresh_rate(op);
            }
        } else {
            env += step;
            if (env > OPM_ENV_MAX) env = OPM_ENV_MAX;
        }
        // D1L 15 is 93 dB (31 x 3 dB).
        int d1l = (op.d1l == 15 ? 31 : op.d1l) << 5;
        if (op.phase_env == ENV_DECAY1 && env >= d1l) {
            op.phase_env = ENV_DECAY2;
            fm_refresh_rate(op);
        }
        op.env = uint16_t(env);
    }
    int total = op.env + (op.tl << 3) + (op.amsen ? am : 0);
    op.att4 = (total > OPM_ENV_MAX ? OPM_ENV_MAX : total) * 4;
}

// One operator's output for the sample, its phase moved on; mod is the
// modulation in sine-table steps.
inline int32_t fm_operator_out(const OpmTables& t, OpmOperator& op, int32_t mod) {
    op.phase += op.inc_now;
    if (op.att4 >= FM_ENV_SILENT4) return 0;
    uint16_t ls = t.logsin[((op.phase >> 22) + uint32_t(mod)) & 1023];
    int32_t v = t.exp[(ls & 0x7FFF) + op.att4];
    return (ls & OPM_LOGSIN_NEG) ? -v : v;
}

// The channel's sample through its connection (0-7) with M1's feedback;
// last(mod) gives the C2 slot's output (the YM2151 puts its noise there).
template <class Last> inline int32_t fm_connect(const OpmTables& t, OpmChannel& ch, Last last) {
    OpmOperator* o = ch.op;
    int32_t fb = ch.fb ? (ch.fb_prev[0] + ch.fb_prev[1]) >> (10 - ch.fb) : 0;
    int32_t m1 = fm_operator_out(t, o[OP_M1], fb);
    ch.fb_prev[1] = ch.fb_prev[0];
    ch.fb_prev[0] = m1;
    auto gen = [&t](OpmOperator& op, int32_t mod) { return fm_operator_out(t, op, mod); };
    int32_t c1, m2, c2;
    switch (ch.con) {
    // clang-format off
    case 0: c1 = gen(o[OP_C1], m1 >> 1); m2 = gen(o[OP_M2], c1 >> 1); return last(m2 >> 1);
    case 1: c1 = gen(o[OP_C1], 0); m2 = gen(o[OP_M2], (m1 + c1) >> 1); return last(m2 >> 1);
    case 2: c1 = gen(o[OP_C1], 0); m2 = gen(o[OP_M2], c1 >> 1); return last((m1 + m2) >> 1);
    case 3: c1 = gen(o[OP_C1], m1 >> 1); m2 = gen(o[OP_M2], 0); return last((c1 + m2) >> 1);
    case 4: c1 = gen(o[OP_C1], m1 >> 1); m2 = gen(o[OP_M2], 0); c2 = last(m2 >> 1); return c1 + c2;
    case 5:
        c1 = gen(o[OP_C1], m1 >> 1); m2 = gen(o[OP_M2], m1 >> 1); c2 = last(m1 >> 1);
        return c1 + m2 + c2;
    case 6: c1 = gen(o[OP_C1], m1 >> 1); m2 = gen(o[OP_M2], 0); c2 = last(0); return c1 + m2 + c2;
    default: c1 = gen(o[OP_C1], 0); m2 = gen(o[OP_M2], 0); c2 = last(0); return m1 + c1 + m2 + c2;
    }
    // clang-format on
}

}  // namespace sndlib
