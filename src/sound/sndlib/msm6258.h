// MSM6258 ADPCM voice: 4-bit codes, low nibble first, at the chip clock
// (8 or 4 MHz by the YM2151's CT1) divided by 1024, 768 or 512.
#pragma once

#include <cstdint>

#include "sound/adpcm_codec.h"

namespace sndlib {

inline constexpr uint8_t ADPCM_CMD_STOP = 0x01, ADPCM_CMD_START = 0x02;
inline constexpr uint8_t ADPCM_STATUS_PLAYING = 0x40, ADPCM_STATUS_IDLE = 0xC0;
// i8255 port C: bit 0 cuts the right side, bit 1 the left; bits 3-2 the divider.
inline constexpr uint8_t PPI_RIGHT_OFF = 0x01, PPI_LEFT_OFF = 0x02;
inline constexpr uint32_t ADPCM_CLOCK_8MHZ = 8000000, ADPCM_CLOCK_4MHZ = 4000000;

class Msm6258 {
public:
    void reset();
    void command(uint8_t cmd);
    uint8_t status() const { return playing_ ? ADPCM_STATUS_PLAYING : ADPCM_STATUS_IDLE; }
    bool playing() const { return playing_; }
    // Sample rate in Hz (0: divider 3, silent).
    double rate(uint8_t port_c, bool clock_4mhz) const;
    // The next sample: needs a byte every second sample from fetch.
    template <class Fetch> int32_t next(Fetch&& fetch) {
        if (!playing_) return 0;
        if (!(half_ & 1)) {
            uint8_t b;
            if (!fetch(b)) return dec_.value;  // no data: the output holds
            byte_ = b;
        }
        int32_t v = dec_.decode((half_ & 1) ? byte_ >> 4 : byte_ & 15);
        half_ ^= 1;
        return v;
    }

private:
    AdpcmDecoder dec_;
    bool playing_ = false;
    uint8_t byte_ = 0, half_ = 0;
};

}  // namespace sndlib
