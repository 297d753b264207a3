// YM2151 port, I/O slot 8 ($E90000-$E91FFF): every read is the status
// byte; $E90001 latches a register number, $E90003 stores into it. The
// register image is the FM card's (sound/fm_card.h).
#pragma once

#include <cstdint>
#include <span>

#include "machine/bus_device.h"

inline constexpr uint32_t OPM_ADDRESS_PORT = 0xE90001, OPM_DATA_PORT = 0xE90003;
inline constexpr uint32_t OPM_STATUS = 0x00;     // image byte 0: the timer flags
inline constexpr uint32_t OPM_KEY_ON = 0x08;     // bits 6-3 slots, 2-0 channel
inline constexpr uint32_t OPM_CLKA_HIGH = 0x10;  // timer A bits 9-2
inline constexpr uint32_t OPM_CLKA_LOW = 0x11;   // timer A bits 1-0
inline constexpr uint32_t OPM_CLKB = 0x12;
inline constexpr uint32_t OPM_TIMER_CONTROL = 0x14;
inline constexpr uint32_t OPM_CT_RATE = 0x1B;  // bit 7: the ADPCM clock halved
inline constexpr uint32_t OPM_CONNECT = 0x20;  // $20-$27: RL, FB, CON
inline constexpr uint32_t OPM_KC = 0x28;       // $28-$2F: key code
inline constexpr uint32_t OPM_KF = 0x30;       // $30-$37: key fraction
inline constexpr uint32_t OPM_DT1_MUL = 0x40;  // operator blocks of 32 from here
inline constexpr uint32_t OPM_TL = 0x60;
inline constexpr uint32_t OPM_KS_AR = 0x80;
inline constexpr uint32_t OPM_AMS_D1R = 0xA0;
inline constexpr uint32_t OPM_DT2_D2R = 0xC0;
inline constexpr uint32_t OPM_D1L_RR = 0xE0;
// Register $14 bits.
inline constexpr uint32_t OPM_LOAD_A = 0x01, OPM_LOAD_B = 0x02;
inline constexpr uint32_t OPM_IRQ_A = 0x04, OPM_IRQ_B = 0x08;
inline constexpr uint32_t OPM_RESET_A = 0x10, OPM_RESET_B = 0x20;
// Timer steps in one emulated frame.
inline constexpr int64_t OPM_TIMER_A_STEPS = 1136, OPM_TIMER_B_STEPS = 70;

// Power-on: the chip's side of the FM card (register image, address latch,
// the OPL road's rows and key slots) 0, the settings kept; registers the
// timer events. The reset line leaves the image and resets the FM card's
// back end (fmcard_reset).
void opm_power_on();
void opm_reset();
std::span<const uint8_t> opm_state();

uint32_t opm_peek_byte(uint32_t addr);
uint32_t opm_read_byte(uint32_t addr);
uint32_t opm_read_word(uint32_t addr);
uint32_t opm_read_long(uint32_t addr);
void opm_write_byte(uint32_t addr, uint32_t value);
inline constexpr BusDevice OPM_BUS = {opm_read_byte,
                                      opm_read_word,
                                      opm_read_long,
                                      opm_write_byte,
                                      io_word_to_bytes<opm_write_byte>,
                                      io_long_to_bytes<opm_write_byte>,
                                      opm_peek_byte};

// The status byte: the timer flags, bits 0-1.
uint32_t fmcard_status();
// (Re)arms timer A or B from the register image; restart 0 from a register
// write (a pending countdown not above the period is kept), 1 at expiry.
void emu_opm_timer_a(int restart);
void emu_opm_timer_b(int restart);
// Register $14: clears the flags its bits 4-5 ask for, then starts or
// cancels each timer by its LOAD bit.
void opm_timer_control(uint32_t value);
