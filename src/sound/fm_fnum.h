// Key code and fraction to an F-number, by a table of the 16 notes of an
// octave: shared by the OPL and OPN translations.
#pragma once

#include <algorithm>
#include <cstdint>

#include "sound/fm_card.h"
#include "sound/opm.h"

struct FnumRow {
    uint16_t base;       // F-number of the note
    uint8_t octave_add;  // the note lies in the next octave
    uint8_t step;        // F-number distance per 256 units of KF
};

// The channel's KC and KF (low two bits of KF dropped): base + step x
// KF / 256, plus the octave (at most 7) as block << (F-number bits), the
// octave field $1000 x block divided by block_divisor.
inline uint32_t fm_kc_to_fnum(const FnumRow (&table)[16], uint32_t channel, uint32_t block_divisor) {
    const uint8_t* opm = g_fmcard.chip.opm_regs;
    uint32_t v = (uint32_t(opm[OPM_KC + channel]) * 256 + opm[OPM_KF + channel]) & 0x7FFC;
    const FnumRow& r = table[(v >> 8) & 15];
    uint32_t octave = std::min<uint32_t>(r.octave_add * 0x1000u + (v & 0x7000), 0x7000);
    return r.base + r.step * (v & 0xFF) / 256 + octave / block_divisor;
}
