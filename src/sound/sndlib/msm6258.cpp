#include "sound/sndlib/msm6258.h"

namespace sndlib {

void Msm6258::reset() { *this = Msm6258{}; }

void Msm6258::command(uint8_t cmd) {
    if (cmd & ADPCM_CMD_STOP) playing_ = false;
    else if (cmd & ADPCM_CMD_START) {
        if (!playing_) {
            dec_ = AdpcmDecoder{};
            half_ = 0;
        }
        playing_ = true;
    }
}

double Msm6258::rate(uint8_t port_c, bool clock_4mhz) const {
    static const uint32_t divider[4] = {1024, 768, 512, 0};
    uint32_t d = divider[(port_c >> 2) & 3];
    return d ? double(clock_4mhz ? ADPCM_CLOCK_4MHZ : ADPCM_CLOCK_8MHZ) / d : 0.0;
}

}  // namespace sndlib
