// RP5C15 real-time clock, I/O slot 5 ($E8A000-$E8BFFF). Its digits are
// filled from the host's local time; the emulated machine cannot set it.
#pragma once

#include <atomic>
#include <cstdint>
#include <span>

#include "machine/bus_device.h"

inline constexpr uint32_t RTC_BASE = 0xE8A000;

struct RtcState {
    // Folded register address of the previous read, or the raw address of a
    // read above the registers.
    uint32_t last_read_addr;
    uint8_t bank;  // 0 time registers, 1 alarm and control registers
    // Host timer ticks for which refreshes go on: 6 after a refresh, 0x40
    // after a change of second or a reset register write that starts the
    // second pulses. The host timer thread counts it down.
    std::atomic<uint32_t> holdoff;
    // Bank 0 registers at even indexes, bank 1 at odd; mode, test and reset
    // at 0x1A, 0x1C and 0x1E (mode and reset also at 0x1B and 0x1F).
    uint8_t regs[32];
};

extern RtcState g_rtc;

// Port handlers of I/O slot 5. Even addresses raise a bus error.
uint32_t rtc_read_byte(uint32_t addr);
void rtc_write_byte(uint32_t addr, uint32_t value);

// Writes the thirteen time digits from the host's local time. When the
// time moved and the 1 Hz output is on, starts a second pulse: GPIP bit 0
// drops and MFP channel 0 is raised 30 cycles later.
void rtc_update_from_host();
// Machine request 10 (a mode or reset register write): refreshes unless a
// hold-off runs, then keeps the refreshes going.
void rtc_access_request();
// Machine reset: bank 0, no hold-off. The registers keep their values.
void rtc_reset();
// Power-on: all 0 (the digits come from the host at the first refresh).
void rtc_power_on();
std::span<const uint8_t> rtc_state();
// The byte a read at addr gives, without moving the last-read address.
uint32_t rtc_peek_byte(uint32_t addr);
inline constexpr BusDevice RTC_BUS = bus_device_of_odd_bytes<rtc_read_byte, rtc_write_byte, rtc_peek_byte>();
// Host timer tick: counts a running hold-off down by one and returns true
// (a refresh is due), or returns false when none runs.
bool rtc_holdoff_tick();
