// MSM6258 4-bit ADPCM: the step and index tables and a decoder, shared by
// the WAV road and the sound library.
#pragma once

#include <cstdint>

inline constexpr int16_t ADPCM_STEP_TABLE[49] = {
    16,  17,  19,  21,  23,  25,  28,  31,  34,  37,  41,   45,   50,   55,   60,   66,  73,
    80,  88,  97,  107, 118, 130, 143, 157, 173, 190, 209,  230,  253,  279,  307,  337, 371,
    408, 449, 494, 544, 598, 658, 724, 796, 876, 963, 1060, 1166, 1282, 1411, 1552,
};
inline constexpr int8_t ADPCM_INDEX_ADJUST[8] = {-1, -1, -1, -1, 2, 4, 6, 8};
// The 12-bit output range of the MSM6258.
inline constexpr int ADPCM_OUT_MIN = -2048, ADPCM_OUT_MAX = 2047;

struct AdpcmDecoder {
    int32_t value = 0;  // last output, 12-bit
    int32_t index = 0;  // step table index, 0-48

    // One 4-bit code (bit 3 sign): the next output.
    int32_t decode(uint32_t code) {
        int32_t step = ADPCM_STEP_TABLE[index];
        int32_t diff = step / 8;
        if (code & 1) diff += step / 4;
        if (code & 2) diff += step / 2;
        if (code & 4) diff += step;
        value += (code & 8) ? -diff : diff;
        value = value < ADPCM_OUT_MIN ? ADPCM_OUT_MIN : value > ADPCM_OUT_MAX ? ADPCM_OUT_MAX : value;
        index += ADPCM_INDEX_ADJUST[code & 7];
        index = index < 0 ? 0 : index > 48 ? 48 : index;
        return value;
    }
};
