// The firmware-call ROMs of tests/roms/ run in the whole machine: IOCS calls
// through TRAP #15 by the settings, the RS-232C calls, and the FE-calls with
// FPU off and on. Each leaves its results in RAM (tests/roms/report.inc).
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "core/cpu_regs.h"
#include "firmware/fe_calls.h"
#include "firmware/iocs.h"
#include "firmware/iocs_switches.h"
#include "firmware/rs232c.h"
#include "machine/host_timer.h"
#include "machine/machine.h"
#include "machine/settings.h"
#include "machine/startup.h"
#include "sound/fm_card.h"
#include "sound/sndlib.h"
#include "sound/sound_models.h"
#include "support/rom_folder.h"

namespace {

constexpr uint32_t MARK_START = 0x1000, MARK_DONE = 0x1004, STRAY_VECTOR = 0x1008, RESULTS = 0x1100;
constexpr uint32_t LINEF_MAP = 0x1400;
constexpr uint32_t BUS_ERROR = 2, ADDRESS_ERROR = 3;

uint32_t be32(const std::vector<uint8_t>& ram, uint32_t addr) {
    if (addr + 4 > ram.size()) return 0xDEADDEAD;
    return uint32_t(ram[addr]) << 24 | uint32_t(ram[addr + 1]) << 16 | uint32_t(ram[addr + 2]) << 8 | ram[addr + 3];
}
uint32_t result(const std::vector<uint8_t>& ram, int slot) { return be32(ram, RESULTS + 4 * uint32_t(slot)); }
uint64_t result_pair(const std::vector<uint8_t>& ram, int slot) {
    return uint64_t(result(ram, slot)) << 32 | result(ram, slot + 1);
}

// Starts the machine on the ROM, lets setup change what it wants, and runs
// it on the virtual clock to its power-off; returns main RAM as left.
std::vector<uint8_t> run_rom(const char* rom, const std::function<void()>& setup) {
    RomFolder folder(rom);
    EXPECT_TRUE(folder.ok());
    clock_set_pacing(ClockPacing::Virtual);
    if (init_start() != 0) {
        ADD_FAILURE() << "the machine did not start";
        return {};
    }
    setup();
    clock_start_timer();
    bool stopped = false;
    for (int slice = 0; slice < 2000 && !stopped; slice++) {
        init_run_slice(0);
        if (g_machine.requests.event_request == REQ_END_SLICE) emu_take_request();
        clock_virtual_poll();
        stopped = (run_flags() & RUN_BREAK) != 0;
    }
    clock_stop_timer();
    std::vector<uint8_t> ram(g_machine.main_ram, g_machine.main_ram + RESULTS + 0x1000);
    init_stop();
    EXPECT_TRUE(stopped) << "no power-off";
    EXPECT_EQ(be32(ram, MARK_START), 0x5A4F4C4Du) << "the ROM did not start";
    EXPECT_EQ(be32(ram, STRAY_VECTOR), 0u) << "stray exception";
    EXPECT_EQ(be32(ram, MARK_DONE), 0x444F4E45u) << "the ROM did not finish";
    return ram;
}

// Settings the tests change, put back when they end.
class FirmwareRom : public ::testing::Test {
protected:
    void TearDown() override {
        g_settings.key = saved_[0];
        g_settings.fm = saved_[1];
        g_settings.fmpcm8 = saved_[2];
        sound_models_select(g_settings.fm, g_settings.fmpcm8);
        g_settings.fpu = saved_[3];
        iocs_set_start_tables();
    }
    int saved_[4] = {g_settings.key, g_settings.fm, g_settings.fmpcm8, g_settings.fpu};
};

TEST_F(FirmwareRom, IocsCallsReachTheRomByTheSettings) {
    // The ROM's list of calls, in its result order.
    constexpr uint32_t CALLS[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x0D, 0x30, 0x31, 0x32,
                                  0x33, 0x34, 0x35, 0x60, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67};
    struct Row {
        int key, fm, fmpcm8;
    } rows[] = {
        {0, FM_EXTERNAL_LIBRARY, 1}, {1, FM_EXTERNAL_LIBRARY, 1}, {0, FM_EXTERNAL_LIBRARY, 0}, {1, 0, 1}, {0, 1, 1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "KEY " << row.key << " FM " << row.fm << " FMPCM8 " << row.fmpcm8);
        std::vector<uint8_t> ram = run_rom("iocs_road", [&] {
            g_settings.key = row.key;
            g_settings.fm = row.fm;
            g_settings.fmpcm8 = row.fmpcm8;
            sound_models_select(g_settings.fm, g_settings.fmpcm8);
            trap_set_keyboard_calls();
            trap_set_adpcm_calls();
        });
        bool adpcm_host = row.fmpcm8 && row.fm == FM_EXTERNAL_LIBRARY;
        for (size_t i = 0; i < std::size(CALLS); i++) {
            uint32_t call = CALLS[i];
            bool host = (call <= 0x04 && row.key == 0) || (call >= 0x30 && call <= 0x35) ||
                        (call >= 0x60 && call <= 0x66 && call % 2 == 0 && adpcm_host);
            EXPECT_EQ(result(ram, int(i)), host ? 0u : 1u) << "call $" << std::hex << call;
        }
    }
}

TEST_F(FirmwareRom, Rs232cCallsThroughTrap15) {
    std::vector<uint8_t> ram = run_rom("rs232c_calls", [] {
        g_rs232c.mode = 0;
        g_rs232c.rx_ring[7] = 0x80;
        g_rs232c.rx_pos = 7;
        g_rs232c.rx_count = 1;
        g_rs232c.tx_len = 0;
    });
    const uint32_t want[] = {0, 0, 0x1234, 1, 0xFFFFFF80, 0xFFFFFF80, 0, 0, 0x32, RS232C_OUTPUT_READY, 300};
    for (size_t i = 0; i < std::size(want); i++) EXPECT_EQ(result(ram, int(i)), want[i]) << "result " << i;
    EXPECT_EQ(g_rs232c.rx_pos, 8u);
    EXPECT_EQ(g_rs232c.tx_len, 300u);
    EXPECT_EQ(g_rs232c.tx_ring[299 % 256], 299 % 256) << "the last byte, over the oldest";
}

// Bits of a double operand as the ROM gives it.
double dbl(uint64_t bits) { return std::bit_cast<double>(bits); }
uint64_t bits(double v) { return std::bit_cast<uint64_t>(v); }
uint32_t bits(float v) { return std::bit_cast<uint32_t>(v); }

TEST_F(FirmwareRom, FeCallsTakeLineFWithFpuOff) {
    std::vector<uint8_t> ram = run_rom("fe_calls", [] { g_settings.fpu = 0; });
    for (uint32_t n = 0; n < 256; n++) EXPECT_EQ(ram[LINEF_MAP + n], 1) << "$FE" << std::hex << n;
    EXPECT_EQ(result(ram, 1), 0u) << "line F with the PC past the opcode";
    // 256 from the sweep, 29 from the table, $FEE0 and $FEED.
    EXPECT_EQ(result(ram, 0), 256u + 29 + 2);
    EXPECT_EQ(result(ram, 89), 0u) << "no address error without the FPU setting";
    EXPECT_EQ(result(ram, 91), 0u);
    EXPECT_EQ(result(ram, 92), 0u) << "no bus error without the FPU setting";
}

TEST_F(FirmwareRom, FeCallsServedWithFpuOn) {
    std::vector<uint8_t> ram = run_rom("fe_calls", [] { g_settings.fpu = 1; });
    for (uint32_t n = 0; n < 256; n++)
        EXPECT_EQ(ram[LINEF_MAP + n], g_fe_call_table[n] ? 0 : 1) << "$FE" << std::hex << n;
    EXPECT_EQ(ram[LINEF_MAP + 0x04] + ram[LINEF_MAP + 0x05] + ram[LINEF_MAP + 0x07], 3);
    EXPECT_EQ(result(ram, 0), 256u - 87);
    EXPECT_EQ(result(ram, 1), 0u);

    // Exact operations: D0, D1 (or (A7), (A7+4)) and the CCR with X set before.
    struct Exact {
        int slot;
        uint32_t d0, d1, ccr;
        const char* what;
    } exact[] = {
        {2, 0, 0x00010000, 0x11, "lmul overflow"},
        {5, uint32_t(-3), uint32_t(-2), 0x10, "ldiv 7 / -2"},
        {8, 14, 2, 0x10, "idiv 100 / 7"},
        {11, 0xB2D05E00, 0xC0000000, 0x10, "dtol 3e9"},
        {14, 0x40080000, 0, 0x10, "dadd 1 + 2"},
        {17, 0x7FF00000, 0, 0x15, "ddiv 1 / 0"},
        {20, 0xFFC00000, 0, 0x10, "fdiv 0 / 0"},
        {23, 0x40000000, 0, 0x10, "dsqr 4"},
        {26, 0xBFF00000, 0, 0x10, "dsgn -0.5"},
        {29, 0x80000000, 0xFFFFFFFF, 0x10, "cldiv $80000000 / -1"},
        {32, 0x7FF00000, 0, 0x13, "cdadd max + max"},
        {35, 0xFFC00000, 0, 0x15, "cfmod 1 % 0"},
        {38, 0xBFF00000, 0, 0x15, "dlog -1 kept"},
        {41, 0x3FF80000, 0, 0x10, "ftod 1.5"},
        {44, 0x3F800000, 0, 0x10, "cdtof 1.0"},
        {47, 0, 0, 0x11, "dexp -1000"},
    };
    for (const Exact& e : exact) {
        SCOPED_TRACE(e.what);
        EXPECT_EQ(result(ram, e.slot), e.d0);
        EXPECT_EQ(result(ram, e.slot + 1), e.d1);
        EXPECT_EQ(result(ram, e.slot + 2), e.ccr);
    }

    // Transcendental operations: bit for bit the host's libm.
    struct Libm {
        int slot;
        uint64_t want;
        const char* what;
    } libm[] = {
        {50, bits(std::sin(0.5)), "dsin 0.5"},
        {53, bits(std::cos(1.0)), "dcos 1"},
        {56, bits(std::tan(1.0)), "dtan 1"},
        {59, bits(std::atan(1.0)), "datan 1"},
        {62, bits(std::log(2.0)), "dlog 2"},
        {65, bits(std::exp(1.0)), "dexp 1"},
        {68, bits(std::pow(2.0, 0.5)), "dpower 2 ^ 0.5"},
        {86, bits(std::sin(dbl(0x4D6E2D8BE9CFE4A3))), "dsin 1e65"},
    };
    for (const Libm& l : libm) EXPECT_EQ(result_pair(ram, l.slot), l.want) << l.what;
    struct LibmFloat {
        int slot;
        uint32_t want;
        const char* what;
    } libm_float[] = {
        {71, bits(float(std::sin(double(0.5f)))), "fsin 0.5"}, {74, bits(float(std::cos(double(1.0f)))), "fcos 1"},
        {77, bits(float(std::tan(double(1.0f)))), "ftan 1"},   {80, bits(float(std::log(double(2.0f)))), "flog 2"},
        {83, bits(float(std::exp(double(1.0f)))), "fexp 1"},
    };
    for (const LibmFloat& l : libm_float) EXPECT_EQ(result(ram, l.slot), l.want) << l.what;

    // $FEE0 with A7 odd in user mode: an address error on the read of
    // (A7+4), and the guard area is as it was.
    EXPECT_EQ(result(ram, 89), ADDRESS_ERROR << 24 | 0x007005);
    EXPECT_EQ(result(ram, 90), 0x11u) << "user data read";
    EXPECT_EQ(result(ram, 91), 0u) << "longs changed";
    // A stack running past the end of RAM: a bus error from within the call.
    EXPECT_EQ(result(ram, 92), BUS_ERROR << 24 | 0x400000);
    EXPECT_EQ(result(ram, 93), 0u) << "the first double was written";
}

}  // namespace
