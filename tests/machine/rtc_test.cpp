#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "core/bus.h"
#include "core/cpu_regs.h"
#include "host/local_time.h"
#include "machine/machine.h"
#include "machine/mfp.h"
#include "machine/rtc.h"
#include "machine/scheduler.h"

namespace {

constexpr uint32_t RTC = RTC_BASE;
constexpr int EV_RTC_ALARM = 0;

class Rtc : public ::testing::Test {
protected:
    void SetUp() override {
        std::fill(std::begin(g_rtc.regs), std::end(g_rtc.regs), 0);
        g_rtc.bank = 0;
        g_rtc.last_read_addr = 0;
        g_rtc.holdoff = 0;
        std::fill(std::begin(g_mfp.regs), std::end(g_mfp.regs), 0);
        std::fill(std::begin(g_scheduler.countdown), std::end(g_scheduler.countdown), 0);
        g_scheduler.event_time_scale = 10;
        g_cpu_regs.cycles = 0;
        g_mem_probe_mode = 0;
        emu_clear_requests();
        set_time({2026, 3, 14, 6, 12, 34, 56});
    }
    void TearDown() override {
        host_local_time_set(nullptr);
        g_mem_probe_mode = 0;
        emu_clear_requests();
    }
    void set_time(HostLocalTime t) {
        now_ = t;
        host_local_time_set(&now_);
    }
    // Forgets a second pulse so that the next one shows.
    static void clear_pulse() {
        g_mfp.regs[MFP_GPIP] = 0x01;
        g_scheduler.countdown[EV_RTC_ALARM] = 0;
        g_rtc.holdoff = 0;
    }
    static bool pulsed() {
        return g_scheduler.countdown[EV_RTC_ALARM] == 30 && !(g_mfp.regs[MFP_GPIP] & 0x01) && (g_rtc.holdoff & 0x40);
    }
    HostLocalTime now_{};
};

TEST_F(Rtc, RefreshWritesTheTimeDigitsOfBankZero) {
    struct Case {
        HostLocalTime t;
        uint8_t digits[13];
    };
    const Case cases[] = {
        // The year digits count from 1980; the 10-year byte keeps the whole quotient.
        {{2026, 12, 31, 4, 23, 59, 58}, {8, 5, 9, 5, 3, 2, 4, 1, 3, 2, 1, 6, 0xC4}},
        {{1980, 1, 1, 2, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 2, 1, 0, 1, 0, 0, 0xC0}},
        {{1999, 7, 4, 0, 9, 5, 7}, {7, 0, 5, 0, 9, 0, 0, 4, 0, 7, 0, 9, 0xC1}},
    };
    for (const Case& c : cases) {
        std::fill(std::begin(g_rtc.regs), std::end(g_rtc.regs), 0xEE);
        set_time(c.t);
        rtc_update_from_host();
        for (int i = 0; i < 13; i++) {
            EXPECT_EQ(g_rtc.regs[2 * i], c.digits[i]) << c.t.year << " digit " << i;
            EXPECT_EQ(g_rtc.regs[2 * i + 1], 0xEE) << "bank 1 register " << i;
        }
    }
}

TEST_F(Rtc, AChangeOfTimeStartsASecondPulseWhileThe1HzOutputIsOn) {
    struct Case {
        uint8_t reset_reg;
        bool time_moves;
        bool pulse;
    };
    const Case cases[] = {
        {0x00, true, true},
        {0x00, false, false},  // two refreshes within one second
        {0x08, true, false},   // 1 Hz output off
    };
    for (const Case& c : cases) {
        SetUp();
        g_rtc.regs[0x1E] = c.reset_reg;
        rtc_update_from_host();
        clear_pulse();
        if (c.time_moves) set_time({2026, 3, 14, 6, 12, 34, 57});
        rtc_update_from_host();
        EXPECT_EQ(pulsed(), c.pulse) << int(c.reset_reg) << c.time_moves;
        if (!c.pulse) {
            EXPECT_EQ(g_scheduler.countdown[EV_RTC_ALARM], 0);
            EXPECT_EQ(g_mfp.regs[MFP_GPIP], 0x01);
            EXPECT_EQ(g_rtc.holdoff.load(), 0u);
        }
    }
}

TEST_F(Rtc, ReadingTheSecondsTwiceInARowRefreshesTheClock) {
    EXPECT_EQ(RTC_BUS.read_byte(RTC + 1), 0u);  // first read: the stored digit
    EXPECT_EQ(RTC_BUS.read_byte(RTC + 1), 6u);  // second: refreshed
    EXPECT_EQ(g_rtc.regs[0x02], 5);
    EXPECT_TRUE(g_rtc.holdoff & 6);

    // While the hold-off runs, repeated reads do not refresh.
    set_time({2026, 3, 14, 6, 12, 34, 58});
    EXPECT_EQ(RTC_BUS.read_byte(RTC + 1), 6u);

    // A read of another register in between makes the next one ordinary.
    g_rtc.holdoff = 0;
    EXPECT_EQ(RTC_BUS.read_byte(RTC + 3), 5u);
    EXPECT_EQ(RTC_BUS.read_byte(RTC + 1), 6u);
    EXPECT_EQ(g_rtc.holdoff.load(), 0u);
    EXPECT_EQ(RTC_BUS.read_byte(RTC + 1), 8u);

    // In bank 1 the address holds another register: no refresh.
    g_rtc.holdoff = 0;
    g_rtc.bank = 1;
    g_rtc.regs[0x01] = 0x0A;
    set_time({2026, 3, 14, 6, 12, 34, 59});
    EXPECT_EQ(RTC_BUS.read_byte(RTC + 1), 0x0Au);
    EXPECT_EQ(RTC_BUS.read_byte(RTC + 1), 0x0Au);
    EXPECT_EQ(g_rtc.regs[0x00], 8);
}

TEST_F(Rtc, RegisterAddresses) {
    for (uint32_t i = 0; i < 32; i++) g_rtc.regs[i] = uint8_t(0x80 + i);
    struct Case {
        uint8_t bank;
        uint32_t addr;
        uint32_t value;
    };
    const Case cases[] = {
        {0, RTC + 0x01, 0x80},
        {1, RTC + 0x01, 0x81},
        {0, RTC + 0x19, 0x98},
        {1, RTC + 0x19, 0x99},
        // Mode, test and reset registers are the same in both banks.
        {0, RTC + 0x1B, 0x9A},
        {1, RTC + 0x1B, 0x9A},
        {1, RTC + 0x1D, 0x9C},
        {1, RTC + 0x1F, 0x9E},
        // Nothing lives above the registers.
        {0, RTC + 0x21, 0},
        {0, RTC + 0x1FFF, 0},
    };
    for (const Case& c : cases) {
        g_rtc.bank = c.bank;
        g_rtc.last_read_addr = 0;
        EXPECT_EQ(RTC_BUS.read_byte(c.addr), c.value) << std::hex << c.addr << " bank " << int(c.bank);
    }
    g_rtc.bank = 0;
    EXPECT_EQ(RTC_BUS.read_word(RTC + 0x0E), 0x8Eu);
    EXPECT_EQ(RTC_BUS.read_long(RTC + 0x0C), 0x008C008Eu);

    uint8_t before[32];
    std::copy(std::begin(g_rtc.regs), std::end(g_rtc.regs), before);
    RTC_BUS.write_byte(RTC + 0x21, 0x55);
    RTC_BUS.write_byte(RTC + 0x1FFF, 0x55);
    EXPECT_TRUE(std::equal(std::begin(before), std::end(before), g_rtc.regs));

    // Even addresses are bus errors.
    {
        ProbeScope probe;
        EXPECT_EQ(RTC_BUS.read_byte(RTC), 0u);
        EXPECT_EQ(probe.fault(), 3u);
    }
    {
        ProbeScope probe;
        RTC_BUS.write_byte(RTC + 0x02, 0x55);
        EXPECT_EQ(probe.fault(), 4u);
    }
    EXPECT_TRUE(std::equal(std::begin(before), std::end(before), g_rtc.regs));

    // A time digit written by the machine holds only until the next refresh.
    RTC_BUS.write_word(RTC + 0x00, 0x0009);
    EXPECT_EQ(g_rtc.regs[0x00], 9);
    rtc_update_from_host();
    EXPECT_EQ(g_rtc.regs[0x00], 6);
}

TEST_F(Rtc, ModeAndResetRegisterWrites) {
    // Selecting bank 1 asks for nothing; back in bank 0 the clock is refreshed.
    RTC_BUS.write_byte(RTC + 0x1B, 0x09);
    EXPECT_EQ(g_rtc.bank, 1);
    EXPECT_EQ(g_rtc.regs[0x1A], 0x09);
    EXPECT_EQ(g_rtc.regs[0x1B], 0x09);
    EXPECT_EQ(g_machine.requests.event_request, uint32_t(REQ_NONE));
    RTC_BUS.write_byte(RTC + 0x1B, 0x08);
    EXPECT_EQ(g_rtc.bank, 0);
    EXPECT_EQ(g_machine.requests.event_request, uint32_t(REQ_RTC_ACCESS));
    EXPECT_TRUE(run_flags() & RUN_REQUEST);
    emu_clear_requests();

    // The reset register with the 1 Hz output on starts the second pulses.
    RTC_BUS.write_long(RTC + 0x1C, 0x00000008);
    EXPECT_EQ(g_rtc.regs[0x1E], 0x08);
    EXPECT_EQ(g_rtc.regs[0x1F], 0x08);
    EXPECT_EQ(g_machine.requests.event_request, uint32_t(REQ_NONE));
    EXPECT_EQ(g_rtc.holdoff.load(), 0u);
    RTC_BUS.write_byte(RTC + 0x1F, 0x00);
    EXPECT_EQ(g_machine.requests.event_request, uint32_t(REQ_RTC_ACCESS));
    EXPECT_EQ(g_rtc.holdoff.load(), 0x40u);
}

TEST_F(Rtc, HoldOffKeepsTheRefreshesGoing) {
    // An access request refreshes only when no hold-off runs.
    g_rtc.holdoff = 1;
    rtc_access_request();
    EXPECT_EQ(g_rtc.regs[0x00], 0);
    EXPECT_EQ(g_rtc.holdoff.load(), 7u);
    g_rtc.holdoff = 0;
    rtc_access_request();
    EXPECT_EQ(g_rtc.regs[0x00], 6);
    EXPECT_EQ(g_rtc.holdoff.load(), 0x46u);

    // Each host tick counts it down; at 0 no refresh is due.
    g_rtc.holdoff = 2;
    EXPECT_TRUE(rtc_holdoff_tick());
    EXPECT_TRUE(rtc_holdoff_tick());
    EXPECT_FALSE(rtc_holdoff_tick());
    EXPECT_EQ(g_rtc.holdoff.load(), 0u);

    g_rtc.bank = 1;
    g_rtc.holdoff = 0x46;
    rtc_reset();
    EXPECT_EQ(g_rtc.bank, 0);
    EXPECT_EQ(g_rtc.holdoff.load(), 0u);
    EXPECT_EQ(g_rtc.regs[0x00], 6);
}

}  // namespace
