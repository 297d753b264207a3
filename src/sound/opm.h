// YM2151 port, I/O slot 8 ($E90000-$E91FFF): every read is the status
// byte; $E90001 latches a register number, $E90003 stores into it. The
// register image is the FM card's (sound/fm_card.h).
#pragma once

#include <cstdint>
#include <span>

inline constexpr uint32_t OPM_ADDRESS_PORT = 0xE90001, OPM_DATA_PORT = 0xE90003;
inline constexpr uint32_t OPM_STATUS = 0x00;       // image byte 0: the timer flags
inline constexpr uint32_t OPM_TIMER_CONTROL = 0x14; // bits 0-1 load A/B, 2-3 flag A/B

// Power-on: the chip's side of the FM card (register image, address latch)
// 0, the settings kept; registers the timer events. The reset line leaves it.
void opm_power_on();
std::span<const uint8_t> opm_state();

uint32_t opm_peek_byte(uint32_t addr);
uint32_t opm_read_byte(uint32_t addr);
uint32_t opm_read_word(uint32_t addr);
uint32_t opm_read_long(uint32_t addr);
void opm_write_byte(uint32_t addr, uint32_t value);
void opm_write_word(uint32_t addr, uint32_t value);
void opm_write_long(uint32_t addr, uint32_t value);

// Timer A or B ran out: reschedules the timer's event (the back end's).
void emu_opm_timer_a(int restart);
void emu_opm_timer_b(int restart);
