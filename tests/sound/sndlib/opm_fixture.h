// A YM2151 at 4 MHz for the chip tests: channel voices, notes and rendered
// samples of one side.
#pragma once

#include <cstdint>
#include <vector>

#include "sound/sndlib/ym2151.h"

namespace opmtest {

using namespace sndlib;

constexpr double RATE = 62500.0;

struct Chip {
    Ym2151 opm;
    Chip() { opm.reset(); }
    void w(int r, int v) { opm.write(uint8_t(r), uint8_t(v)); }
    // Channel ch with connection con, only C2 audible unless asked, an organ
    // envelope: instant attack, no decay.
    void voice(int ch = 0, int con = 7, int rl = 0xC0) {
        w(OPM_REG_RL_FB_CON + ch, rl | con);
        for (int op = 0; op < 4; ++op) {
            int s = op * 8 + ch;
            w(OPM_REG_DT1_MUL + s, 0x01);
            w(OPM_REG_TL + s, op == OP_C2 ? 0 : 127);
            w(OPM_REG_KS_AR + s, 31);
            w(OPM_REG_AMSEN_D1R + s, 0);
            w(OPM_REG_DT2_D2R + s, 0);
            w(OPM_REG_D1L_RR + s, 0x0F);
        }
    }
    void note(int ch, int kc, int kf = 0) {
        w(OPM_REG_KC + ch, kc);
        w(OPM_REG_KF + ch, kf);
    }
    void key_on(int ch = 0, int slots = 0x78) { w(OPM_REG_KEY_ON, slots | ch); }
    // n samples of one side (0 left, 1 right).
    std::vector<double> run(size_t n, int side = 0) {
        std::vector<int32_t> buf(2 * n, 0);
        opm.render(buf.data(), uint32_t(n));
        std::vector<double> x(n);
        for (size_t i = 0; i < n; ++i) x[i] = buf[2 * i + side];
        return x;
    }
};

}  // namespace opmtest
