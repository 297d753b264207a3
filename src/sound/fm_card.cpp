#include "sound/fm_card.h"

#include <cstring>

FmCard g_fmcard;

void device_clear(FmCard& card) {
    std::memset(card.opm_regs, 0, sizeof card.opm_regs);
    std::memset(card.opl_shadow, 0, sizeof card.opl_shadow);
    card.opm_latch = 0;
}

void fmcard_select(FmCard&, int32_t) {}
