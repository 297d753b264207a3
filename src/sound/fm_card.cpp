#include "sound/fm_card.h"

#include <cstdio>

#include "firmware/iocs_switches.h"
#include "host/opl3_card.h"
#include "machine/log_lines.h"
#include "machine/settings.h"
#include "sound/opl.h"
#include "sound/opm.h"
#include "sound/opn.h"
#include "sound/opna_card.h"
#include "sound/sndlib.h"
#include "sound/sound_models.h"

FmCard g_fmcard;

namespace {

constexpr int32_t OPL3_MASK = 15, OPL2_MASK = 7;
constexpr int32_t OPL3_MIN_CHANNELS = 4;  // BLASTER T at least this: an OPL3

// The FM mode, and the sound models with it.
void set_fm(int32_t fm) {
    g_settings.fm = fm;
    sound_models_select(fm, g_settings.fmpcm8);
}

}  // namespace

void fmcard_select(FmCard& card, int32_t type) {
    if (type == card.running_type) {
        set_fm(g_settings.fm);  // FMPCM8 may have changed
        return;
    }
    fmcard_stop(card);
    fmcard_start(card, type);
}

void fmcard_start(FmCard& card, int32_t type) {
    set_fm(type);
    if (type == FM_OPL3 || type == FM_OPL2) {
        fmcard_parse_blaster(card);
        if (!card.card_found) {
            type = FM_NONE;
        } else {
            bool opl3 = card.channels >= OPL3_MIN_CHANNELS;
            card.opl_channel_mask = opl3 ? OPL3_MASK : OPL2_MASK;
            type = opl3 ? FM_OPL3 : FM_OPL2;
            // The card at the port BLASTER names is our emulated one.
            opl3_card_attach(uint16_t(card.port), card.pc98_layout != 0, !opl3);
        }
    } else if (type == FM_PC98) {
        // The card that answers the probe is our emulated one.
        opna_card_attach(OPN_CARD_PORTS[0]);
        opn_detect_card();
        if (!card.card_found) type = FM_NONE;
    } else if (g_sound_models.ym2151 == SoundModel::Library) {  // FM 4
        card.card_found = 0;                                    // the library sets it when it runs
        sndlib_ensure_started();
        if (!card.card_found) type = FM_NONE;
    } else {
        type = FM_NONE;
    }
    card.running_type = type;
    set_fm(type);
    if (g_sound_models.pcm8_calls != SoundModel::Library) trap_set_adpcm_calls();
    char line[32];
    std::snprintf(line, sizeof line, "fm type : %d", type);
    log_add_line(line);
}

void fmcard_stop(FmCard& card) {
    set_fm(card.running_type);
    fmcard_all_off(card);
    if (g_sound_models.ym2151 == SoundModel::Library) sndlib_stop();
    fmcard_reset(card);
    card.running_type = FM_NONE;
    set_fm(FM_NONE);
    opl3_card_detach();
    opna_card_detach();
}

void fmcard_reset(FmCard& card) {
    card.output_on = 1;
    if (g_settings.fm == FM_PC98) opn_reset();
    else if (g_settings.fm == FM_OPL3 || g_settings.fm == FM_OPL2) opl_init();
}

void fmcard_all_off(FmCard&) {
    if (g_settings.fm == FM_PC98) opn_all_off();
    else opl_all_off();
}

void fmcard_write_opm(uint32_t reg, uint32_t value) {
    if (g_sound_models.ym2151 == SoundModel::Library) {
        if (reg == OPM_TIMER_CONTROL) opm_timer_control(value);
        sndlib_write_opm(reg, value);
    } else if (g_settings.fm == FM_PC98) {
        opn_write_opm(reg, value);
    } else {
        opl_write_opm(reg, value);
    }
}
