// The OPL road of the FM card (FM 0, 1, 2): OPM register writes turned into
// OPL3/OPL2 register writes on the card's ports. Each OPM channel takes two
// OPL channels and four operator slots; a voice is loaded whole at key on.
#pragma once

#include <cstdint>

// OPL registers used (bank 1 at + $100).
inline constexpr uint32_t OPL_TEST = 0x01, OPL_TIMER_CONTROL = 0x04, OPL_CSM_SEL = 0x08;
inline constexpr uint32_t OPL_FOUR_OP = 0x104, OPL_NEW = 0x105, OPL_RHYTHM = 0xBD;
inline constexpr uint32_t OPL_FLAGS_MUL = 0x20, OPL_KSL_TL = 0x40, OPL_AR_DR = 0x60, OPL_SL_RR = 0x80;
inline constexpr uint32_t OPL_FNUM_LOW = 0xA0, OPL_KEY_BLOCK = 0xB0, OPL_FB_CNT = 0xC0, OPL_WAVE = 0xE0;
inline constexpr uint32_t OPL_KEY_ON_BIT = 0x20;

// One register (0-$1FF) to the card's ports, then the shadow; nothing
// without output or with FM 0; with FM 4 the shadow only.
void opl_write_register(uint32_t reg, uint32_t value);
// n dummy reads of the card's base port.
void opl_delay(int32_t n);
void opl_init();
void opl_all_off();

void opl_write_opm(uint32_t reg, uint32_t value);
void opl_load_voice(uint32_t channel, uint32_t key_slots);
void opl_set_key(uint32_t channel);
// F-number (bits 9-0) and block (bits 12-10) for the channel's KC and KF.
uint32_t opl_kc_to_fnum(uint32_t channel);
