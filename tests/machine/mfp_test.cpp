#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <utility>

#include "core/bus.h"
#include "core/cpu_regs.h"
#include "input/keyboard.h"
#include "machine/mfp.h"
#include "machine/scheduler.h"
#include "machine/settings.h"
#include "video/crtc.h"

namespace {

constexpr uint32_t MFP = 0xE88000;
constexpr uint32_t CPF = 181818;

class Mfp : public ::testing::Test {
protected:
    void SetUp() override {
        std::fill(std::begin(g_mfp.regs), std::end(g_mfp.regs), 0);
        std::fill(std::begin(g_mfp.read_stamps), std::end(g_mfp.read_stamps), 0);
        std::fill(std::begin(g_scheduler.countdown), std::end(g_scheduler.countdown), 0);
        std::fill(std::begin(g_crtc.regs), std::end(g_crtc.regs), 0);
        g_scheduler.event_time_scale = 10;
        g_cpu_regs.cycles = 0;
        g_cpu_regs.cycles_in_frame = 0;
        g_cpu_regs.cycles_per_frame = CPF;
        g_mem_probe_mode = 0;
    }
    void TearDown() override { g_mem_probe_mode = 0; }
    static void write(uint32_t reg, uint32_t v) { MFP_BUS.write_byte(MFP + reg, v); }
    static uint32_t read(uint32_t reg) { return MFP_BUS.read_byte(MFP + reg); }
};

TEST_F(Mfp, PortAddressRules) {
    // Even addresses are bus errors, for reads and for writes.
    {
        ProbeScope probe;
        EXPECT_EQ(MFP_BUS.read_byte(MFP), 0u);
        EXPECT_EQ(probe.fault(), 3u);
    }
    {
        ProbeScope probe;
        MFP_BUS.write_byte(MFP + 0x16, 0x40);
        EXPECT_EQ(probe.fault(), 4u);
    }
    EXPECT_EQ(g_mfp.regs[MFP_VR], 0);
    EXPECT_EQ(g_mfp.regs[0x16], 0);

    // The 64-byte window repeats through the block.
    g_mfp.regs[MFP_GPIP] = 0x10;
    EXPECT_EQ(MFP_BUS.read_byte(MFP + 0x41) & 0x7F, 0x32u);
    write(MFP_VR, 0x48);
    EXPECT_EQ(MFP_BUS.read_byte(MFP + 0x1FD7), 0x48u);

    // $E88031 is stored; above it nothing is, and reads give 0.
    write(0x31, 0x5A);
    EXPECT_EQ(read(0x31), 0x5Au);
    for (uint32_t reg = 0x33; reg < 0x40; reg += 2) {
        write(reg, 0xFF);
        EXPECT_EQ(read(reg), 0u) << reg;
    }
    EXPECT_EQ(g_mfp.regs[MFP_KEY_LED], 0);

    // Word and long accesses take the odd byte of each word, the first word first.
    MFP_BUS.write_word(MFP + 0x16, 0x1240);
    EXPECT_EQ(g_mfp.regs[MFP_VR], 0x40);
    MFP_BUS.write_long(MFP + 0x12, 0x12AA34BB);
    EXPECT_EQ(g_mfp.regs[MFP_IMRA], 0xAA);
    EXPECT_EQ(g_mfp.regs[MFP_IMRB], 0xBB);
    EXPECT_EQ(MFP_BUS.read_word(MFP + 0x12), 0xAAu);
    EXPECT_EQ(MFP_BUS.read_long(MFP + 0x12), 0x00AA00BBu);
}

TEST_F(Mfp, GpipReadSetsFixedBitsAndEndsTheRasterAndSecondPulses) {
    g_cpu_regs.cycles_per_frame = 512 * 100;  // R04 = 0 counts as 512 lines: 100 cycles a line
    g_mfp.regs[MFP_GPIP] = 0x50;              // raster and V-DISP high, second pulse low
    g_cpu_regs.cycles = 10;
    EXPECT_EQ(read(MFP_GPIP), 0xF2u);
    g_cpu_regs.cycles = 50;
    EXPECT_EQ(read(MFP_GPIP), 0x33u);
    EXPECT_EQ(g_mfp.regs[MFP_GPIP], 0x11);
}

TEST_F(Mfp, HsyncIsHighForTheFirstFifthOfEachLine) {
    struct Case {
        uint32_t cpf;
        uint16_t r4;
        uint32_t cycles;
        uint32_t bit;
    };
    const Case cases[] = {
        // clang-format off
        {51200, 0, 0, 0x80}, {51200, 0, 19, 0x80}, {51200, 0, 20, 0}, {51200, 0, 99, 0},
        {51200, 0, 119, 0x80}, {56800, 568, 19, 0x80}, {56800, 568, 20, 0},
        // clang-format on
        // A frame of fewer cycles than lines has no line phase at all.
        {500, 568, 0, 0},
        {0, 0, 7, 0},
    };
    for (const Case& c : cases) {
        g_cpu_regs.cycles_per_frame = c.cpf;
        g_crtc.regs[4] = c.r4;
        g_cpu_regs.cycles = c.cycles;
        EXPECT_EQ(mfp_hsync_bit(), c.bit) << c.cpf << " " << c.r4 << " " << c.cycles;
        // IPRA shows it as channel 15 pending, and keeps what it showed.
        g_mfp.regs[MFP_IPRA] = 0xFF;
        EXPECT_EQ(read(MFP_IPRA), 0x7Fu | c.bit);
        EXPECT_EQ(g_mfp.regs[MFP_IPRA], 0x7Fu | c.bit);
    }
}

TEST_F(Mfp, TimerDataWritesSetCounterAndReload) {
    for (MfpReg reg : {MFP_TADR, MFP_TBDR, MFP_TCDR, MFP_TDDR}) {
        const std::pair<uint32_t, uint8_t> values[] = {{0, 255}, {1, 1}, {200, 200}, {255, 255}};
        for (auto [written, stored] : values) {
            write(reg, 0x100 | written);
            EXPECT_EQ(g_mfp.regs[reg], stored) << reg;
            EXPECT_EQ(mfp_reload(reg), stored) << reg;
        }
    }
}

TEST_F(Mfp, TimerPeriods) {
    // ((counter + 1) x cpf / 72724) x prescale, + 10 cycles (A, C) or + 1 (D).
    struct Case {
        const char* what;
        uint8_t iera, ierb, tacr, tcdcr;
        MfpReg data_reg;
        uint8_t data;
        int kind;
        int64_t due;
    };
    const Case cases[] = {
        {"A mode 1", 0x20, 0, 0x01, 0, MFP_TADR, 9, 13, 110},
        {"A mode 9 uses mode 1's prescale", 0x20, 0, 0x09, 0, MFP_TADR, 9, 13, 110},
        {"A mode 15 uses mode 7's prescale", 0x20, 0, 0x0F, 0, MFP_TADR, 9, 13, 5010},
        {"A event count", 0x20, 0, 0x08, 0, MFP_TADR, 9, 13, 0},
        {"A stopped", 0x20, 0, 0x00, 0, MFP_TADR, 9, 13, 0},
        {"A not enabled", 0xDF, 0, 0x01, 0, MFP_TADR, 9, 13, 0},
        {"C mode 4", 0, 0x20, 0, 0x40, MFP_TCDR, 99, 5, 12510},
        {"C not enabled", 0, 0xDF, 0, 0x40, MFP_TCDR, 99, 5, 0},
        {"D mode 7, data 0 is 256 steps", 0, 0x10, 0, 0x07, MFP_TDDR, 0, 4, 128001},
        {"D mode 3", 0, 0x10, 0, 0x03, MFP_TDDR, 1, 4, 81},
        {"D not enabled", 0, 0xEF, 0, 0x07, MFP_TDDR, 1, 4, 0},
    };
    for (const Case& c : cases) {
        SetUp();
        write(c.data_reg, c.data);
        write(MFP_TACR, c.tacr);
        write(MFP_TCDCR, c.tcdcr);
        write(MFP_IERA, c.iera);
        write(MFP_IERB, c.ierb);
        EXPECT_EQ(g_scheduler.countdown[c.kind], c.due) << c.what;
    }
}

TEST_F(Mfp, TimersCAndDRunOnAcrossRegisterWritesAndRestartWhenRaised) {
    struct Case {
        int kind;
        uint8_t ier;
        uint8_t tcdcr;
        MfpReg data_reg;
        void (*schedule)(int);
        int64_t period;
    };
    const Case cases[] = {
        {5, 0x20, 0x40, MFP_TCDR, mfp_schedule_timer_c, 12510},
        {4, 0x10, 0x04, MFP_TDDR, mfp_schedule_timer_d, 12501},
    };
    for (const Case& c : cases) {
        SetUp();
        write(c.data_reg, 99);
        write(MFP_TCDCR, c.tcdcr);
        write(MFP_IERB, c.ier);
        EXPECT_EQ(g_scheduler.countdown[c.kind], c.period);
        // Rewriting the registers with the timer still enabled does not restart it.
        g_cpu_regs.cycles = 1000;
        write(MFP_IERB, c.ier | 0x40);
        write(MFP_TCDCR, c.tcdcr);
        EXPECT_EQ(g_scheduler.countdown[c.kind], c.period - 1000);
        // The raise of its channel starts the next period.
        g_cpu_regs.cycles = 500;
        c.schedule(1);
        EXPECT_EQ(g_scheduler.countdown[c.kind], c.period);
        // Clearing the enable bit cancels it.
        write(MFP_IERB, 0x40);
        EXPECT_EQ(g_scheduler.countdown[c.kind], 0);
    }
}

TEST_F(Mfp, DataRegisterReadsCountOnlyInDelayModes) {
    struct Case {
        MfpReg data_reg, control_reg;
        uint8_t control;
        bool counts;
    };
    const Case cases[] = {
        {MFP_TADR, MFP_TACR, 0x01, true},   {MFP_TADR, MFP_TACR, 0x00, false},  {MFP_TADR, MFP_TACR, 0x08, false},
        {MFP_TADR, MFP_TACR, 0x09, false},  {MFP_TBDR, MFP_TBCR, 0x07, true},   {MFP_TBDR, MFP_TBCR, 0x0F, false},
        {MFP_TCDR, MFP_TCDCR, 0x70, true},  {MFP_TCDR, MFP_TCDCR, 0x07, false}, {MFP_TDDR, MFP_TCDCR, 0x07, true},
        {MFP_TDDR, MFP_TCDCR, 0x70, false},
    };
    for (const Case& c : cases) {
        std::fill(std::begin(g_mfp.read_stamps), std::end(g_mfp.read_stamps), 0);
        write(c.control_reg, c.control);
        write(c.data_reg, 5);
        g_cpu_regs.cycles = 100000;
        EXPECT_EQ(read(c.data_reg), c.counts ? 4u : 5u) << c.data_reg << " " << int(c.control);
        g_cpu_regs.cycles = 0;
        write(c.control_reg, 0);
    }
}

TEST_F(Mfp, ACountingReadStepsOncePerPrescaleFromTheWrittenValueToOne) {
    g_cpu_regs.cycles_per_frame = MFP_STEPS_PER_FRAME * 10;  // mode 1: a prescaler step is 40 cycles
    write(MFP_TCDR, 3);
    write(MFP_TCDCR, 0x10);
    struct Step {
        uint32_t cycles;
        uint32_t expected;
    };
    const Step steps[] = {
        {0, 3},    {40, 3},  // no step passed yet
        {41, 2},   {41, 2},  // one step: one count
        {5000, 1},           // many steps: still one count per read
        {5000, 3},           // from 1 it reloads instead of reaching 0
        {5000, 2}, {0, 1},   // a new frame has begun (now before the stamp)
        {0, 1},
    };
    for (const Step& s : steps) {
        g_cpu_regs.cycles = s.cycles;
        EXPECT_EQ(read(MFP_TCDR), s.expected) << s.cycles;
    }
}

TEST_F(Mfp, UsartKeyboardPath) {
    // A UDR read lets the keyboard move its next byte in first.
    key_power_on();
    g_settings.key = 1;
    key_send_to_mfp(0x5A);
    EXPECT_EQ(read(MFP_UDR), 0x5Au);
    EXPECT_EQ(read(MFP_UDR), 0u) << "nothing waits";

    // TSR: transmit buffer empty always, transmitter enabled with KEY on.
    for (int key : {0, 1}) {
        g_settings.key = key;
        EXPECT_EQ(read(MFP_TSR), key ? 0x81u : 0x80u);
    }
    g_settings.key = 0;

    // A UDR write with bit 7 set is an LED command: a cleared bit lights its LED.
    g_mfp.regs[MFP_KEY_LED] = 0x55;
    const std::pair<uint32_t, uint8_t> commands[] = {{0x7F, 0x55}, {0x80, 0x7F}, {0x00, 0x7F}, {0xFE, 0x01}};
    for (auto [command, led] : commands) {
        write(MFP_UDR, command);
        EXPECT_EQ(g_mfp.regs[MFP_KEY_LED], led) << command;
    }
}

}  // namespace
