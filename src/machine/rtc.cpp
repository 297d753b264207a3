#include "machine/rtc.h"

#include "core/bus.h"
#include "host/local_time.h"
#include "machine/device.h"
#include "machine/machine.h"
#include "machine/mfp.h"
#include "machine/scheduler.h"

RtcState g_rtc;

namespace {

// Register offsets from RTC_BASE (odd addresses; the index is the offset
// with bit 0 cleared).
constexpr uint32_t RTC_ONE_SECOND = 0x01, RTC_MODE = 0x1B, RTC_RESET = 0x1F, RTC_END = 0x20;
// Below the mode register the index carries the bank in bit 0.
constexpr uint32_t RTC_BANKED_END = 0x1A;
// Reset register bit 3: the 1 Hz output is off.
constexpr uint8_t RTC_1HZ_OFF = 0x08;

constexpr uint32_t HOLDOFF_REFRESH = 6, HOLDOFF_SECOND = 0x40;
constexpr int EV_RTC_ALARM = EV_MFP_RTC_ALARM;

uint32_t block_offset(uint32_t addr) { return addr & 0x1FFF; }

// Index of a register offset (below RTC_END): bit 0 cleared, then the bank
// for the time and alarm registers.
uint32_t fold(uint32_t offset) {
    uint32_t f = offset & ~1u;
    if (f < RTC_BANKED_END) f |= g_rtc.bank;
    return f;
}

void holdoff_or(uint32_t bits) { g_rtc.holdoff.fetch_or(bits, std::memory_order_relaxed); }
uint32_t holdoff() { return g_rtc.holdoff.load(std::memory_order_relaxed); }

}  // namespace

void rtc_update_from_host() {
    uint8_t* r = g_rtc.regs;
    uint8_t second = r[0x00], minute = r[0x04], hour = r[0x08];
    HostLocalTime t = host_local_time();
    int year = t.year - 60;  // the digits count from 1980
    r[0x00] = uint8_t(t.second % 10);
    r[0x02] = uint8_t(t.second / 10);
    r[0x04] = uint8_t(t.minute % 10);
    r[0x06] = uint8_t(t.minute / 10);
    r[0x08] = uint8_t(t.hour % 10);
    r[0x0A] = uint8_t(t.hour / 10);
    r[0x0C] = uint8_t(t.weekday % 7);
    r[0x0E] = uint8_t(t.day % 10);
    r[0x10] = uint8_t(t.day / 10);
    r[0x12] = uint8_t(t.month % 10);
    r[0x14] = uint8_t(t.month / 10);
    r[0x16] = uint8_t(year % 10);
    // The whole quotient: its low four bits are the tens of (year - 1980).
    r[0x18] = uint8_t(year / 10);
    if (r[0x00] == second && r[0x04] == minute && r[0x08] == hour) return;
    if (r[RTC_RESET - 1] & RTC_1HZ_OFF) return;
    g_mfp.regs[MFP_GPIP] &= uint8_t(~GPIP_RTC_PULSE);
    sched_set_event(EV_RTC_ALARM, 30);
    holdoff_or(HOLDOFF_SECOND);
}

void rtc_access_request() {
    if (holdoff() == 0) rtc_update_from_host();
    holdoff_or(HOLDOFF_REFRESH);
}

void rtc_reset() {
    g_rtc.bank = 0;
    g_rtc.holdoff.store(0, std::memory_order_relaxed);
}

bool rtc_holdoff_tick() {
    uint32_t h = holdoff();
    while (h != 0 && !g_rtc.holdoff.compare_exchange_weak(h, h - 1, std::memory_order_relaxed)) {}
    return h != 0;
}

uint32_t rtc_peek_byte(uint32_t addr) {
    if (!(addr & 1)) return 0xFF;
    uint32_t offset = block_offset(addr);
    return offset >= RTC_END ? 0 : g_rtc.regs[fold(offset)];
}

uint32_t rtc_read_byte(uint32_t addr) {
    if (!(addr & 1)) {
        mem_bus_error_read(addr);
        return 0;
    }
    uint32_t offset = block_offset(addr);
    if (offset >= RTC_END) {
        g_rtc.last_read_addr = addr;
        return 0;
    }
    uint32_t f = fold(offset);
    uint32_t folded = RTC_BASE + f;
    // Reading the seconds twice in a row is how software waits for the
    // clock: refresh it then.
    if (f == (RTC_ONE_SECOND & ~1u) && g_rtc.last_read_addr == folded) {
        rtc_access_request();
        return g_rtc.regs[f];
    }
    g_rtc.last_read_addr = folded;
    return g_rtc.regs[f];
}

void rtc_write_byte(uint32_t addr, uint32_t value) {
    if (!(addr & 1)) {
        mem_bus_error_write(addr);
        return;
    }
    uint32_t offset = block_offset(addr);
    if (offset >= RTC_END) return;
    uint8_t v = uint8_t(value);
    g_rtc.regs[fold(offset)] = v;
    if (offset == RTC_MODE) {
        g_rtc.regs[RTC_MODE] = v;
        g_rtc.bank = v & 1;
        if (g_rtc.bank == 0) emu_post_request(REQ_RTC_ACCESS);
    } else if (offset == RTC_RESET) {
        g_rtc.regs[RTC_RESET] = v;
        if (!(v & RTC_1HZ_OFF)) {
            holdoff_or(HOLDOFF_SECOND);
            emu_post_request(REQ_RTC_ACCESS);
        }
    }
}

void rtc_power_on() { device_clear(g_rtc); }
std::span<const uint8_t> rtc_state() { return device_state_bytes(g_rtc); }
