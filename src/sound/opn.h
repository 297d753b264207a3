// The PC-98 OPN card road (FM 3): a YM2203 (3 FM channels) or YM2608 (6)
// on a PC-9801 sound card, reached through the port bus. OPM writes are
// translated at once into OPN registers.
#pragma once

#include <cstdint>

inline constexpr uint16_t OPN_CARD_PORTS[3] = {0x188, 0x288, 0x88};  // probed in this order
inline constexpr uint16_t OPN_WAIT_PORT = 0x5F;                      // each write waits about 0.6 us
inline constexpr uint16_t OPN_CONTROL_PORT = 0xA460;                 // bit 0: OPNA extended mode, bit 1: mask
inline constexpr uint32_t OPN_KEY_ON = 0x28, OPN_MODE = 0x29, OPN_ID = 0xFF;
inline constexpr uint32_t OPN_MODE_OPNA = 0x83;  // six channels, IRQ mask
inline constexpr uint32_t OPN_DT_MUL = 0x30, OPN_TL = 0x40, OPN_KS_AR = 0x50, OPN_AM_DR = 0x60;
inline constexpr uint32_t OPN_SR = 0x70, OPN_SL_RR = 0x80, OPN_FNUM_LOW = 0xA0, OPN_BLOCK_FNUM = 0xA4;
inline constexpr uint32_t OPN_FB_ALGO = 0xB0, OPN_LR_AMS_PMS = 0xB4;
inline constexpr uint32_t OPN_STATUS_BUSY = 0x80;

// Probes the three ports; sets card_found, port and channels. No card:
// the message box "カードチェック" and card_found 0.
void opn_detect_card();
// Register 0-$1FF, while output is on and FM is 3.
void opn_write_register(uint32_t reg, uint32_t value);
// Register read (the i8255 reads its joystick through it); whatever FM is.
uint8_t opn_read_register(uint32_t reg);
void opn_wait_ready(uint16_t port);
void opn_delay();
void opn_reset();
void opn_all_off();
void opn_write_opm(uint32_t reg, uint32_t value);
// F-number (bits 10-0) and block (bits 13-11) for an OPM channel's KC, KF.
uint32_t opn_kc_to_fnum(uint32_t channel);
