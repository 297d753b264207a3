// IOCS calls through TRAP #15 with the real core: the tables at start, the
// two switches, the pre-hooks, and what a call served on the host costs and
// leaves in the history.
#include <gtest/gtest.h>

#include "app/disk_panel.h"
#include "app/settings_apply.h"
#include "core/cpu_regs.h"
#include "core/trace.h"
#include "firmware/iocs.h"
#include "firmware/iocs_switches.h"
#include "firmware/rs232c.h"
#include "machine/settings.h"
#include "machine/ui_notice.h"
#include "sound/fm_card.h"
#include "sound/sndlib.h"
#include "sound/sound_models.h"
#include "support/flat_bus.h"
#include "support/powered_on.h"

namespace {

constexpr uint32_t kPc = 0x4000, kSsp = 0x8000, kIocsHandler = 0x9000;
constexpr uint16_t TRAP_15 = 0x4E4F, NOP = 0x4E71;
constexpr uint32_t VEC_IOCS = 47;
constexpr uint32_t NATIVE_CYCLES = 78;

class Iocs : public PoweredOnMachine {
protected:
    void SetUp() override {
        PoweredOnMachine::SetUp();
        flat_bus_install();
        flat_write_long(VEC_IOCS * 4, kIocsHandler);
        flat_write_words(kIocsHandler, {NOP});
        iocs_set_start_tables();
    }
    void TearDown() override {
        g_settings.key = saved_[0];
        g_settings.fm = saved_[1];
        g_settings.fmpcm8 = saved_[2];
        sound_models_select(g_settings.fm, g_settings.fmpcm8);
        g_fmcard.adpcm_calls_set = 0;
        iocs_set_start_tables();
    }
    void set(int key, int fm, int fmpcm8) {
        g_settings.key = key;
        g_settings.fm = fm;
        g_settings.fmpcm8 = fmpcm8;
        sound_models_select(g_settings.fm, g_settings.fmpcm8);
        trap_set_keyboard_calls();
        trap_set_adpcm_calls();
    }
    // TRAP #15 with D0 = call; the cycles it took.
    static uint32_t trap(uint32_t call, uint32_t d1 = 0) {
        cpu_test_reset(kPc, kSsp, 0x2700);
        flat_write_words(kPc, {TRAP_15});
        cpu_d(0) = call;
        cpu_d(1) = d1;
        return cpu_test_step();
    }
    static bool entered_rom() { return g_cpu_regs.pc == kIocsHandler; }

    int saved_[3] = {g_settings.key, g_settings.fm, g_settings.fmpcm8};
};

TEST_F(Iocs, TablesAtStart) {
    for (uint32_t call = 0; call < 256; call++) {
        bool led = call == 0x03 || call == 0x06 || call == 0x07 || call == 0x0D;
        EXPECT_EQ(g_iocs_hook_table[call], led ? trap_hook_led_refresh : nullptr) << std::hex << call;
    }
    for (uint32_t i = 0; i < IOCS_RS232C_CALLS; i++) EXPECT_NE(g_iocs_native_table[0x30 + i], nullptr);
    for (uint32_t call = 0x00; call <= 0x07; call++) EXPECT_EQ(g_iocs_native_table[call], nullptr);
    for (uint32_t call = 0x60; call <= 0x67; call++) EXPECT_EQ(g_iocs_native_table[call], nullptr);
}

TEST_F(Iocs, CallsGoToTheHostOrTheRomBySettings) {
    constexpr int LIB = FM_EXTERNAL_LIBRARY;
    struct Row {
        int key, fm, fmpcm8;
        uint32_t call;
        bool host, led_hook;
    } rows[] = {
        {0, LIB, 1, 0x00, true, false},  {1, LIB, 1, 0x00, false, false}, {0, LIB, 1, 0x03, true, true},
        {1, LIB, 1, 0x03, false, true},  {0, LIB, 1, 0x04, true, false},  {0, LIB, 1, 0x05, false, false},
        {0, LIB, 1, 0x06, false, true},  {0, LIB, 1, 0x07, false, true},  {1, 0, 0, 0x0D, false, true},
        {1, 0, 0, 0x30, true, false},    {1, 0, 0, 0x35, true, false},    {0, LIB, 1, 0x60, true, false},
        {0, LIB, 1, 0x61, false, false}, {0, LIB, 1, 0x66, true, false},  {0, LIB, 1, 0x67, false, false},
        {0, 0, 1, 0x60, false, false},   {0, LIB, 0, 0x60, false, false}, {0, 1, 1, 0x66, false, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "KEY " << r.key << " FM " << r.fm << " FMPCM8 " << r.fmpcm8 << " call $"
                                        << std::hex << r.call);
        set(r.key, r.fm, r.fmpcm8);
        g_ui_notice.panel_refresh_countdown = 0;
        trap(r.call);
        EXPECT_EQ(entered_rom(), !r.host);
        // Served on the host: no frame stacked.
        if (r.host) { EXPECT_EQ(cpu_sp(), kSsp); }
        EXPECT_EQ(g_ui_notice.panel_refresh_countdown, r.led_hook ? 2 : 0);
    }
    set(0, LIB, 1);
    EXPECT_EQ(g_iocs_hook_table[IOCS_ADPCMMOD], trap_adpcm_mod);
    EXPECT_EQ(g_fmcard.adpcm_calls_set, 1);
}

TEST_F(Iocs, ApplyingTheOptionsSwitchesTheGroupsOff) {
    set(0, FM_EXTERNAL_LIBRARY, 1);
    EXPECT_NE(g_iocs_native_table[0x00], nullptr);
    EXPECT_NE(g_iocs_native_table[0x60], nullptr);
    g_settings.key = 1;
    g_settings.fm = 0;
    opt_apply_settings();
    for (uint32_t call = 0x00; call <= 0x07; call++) EXPECT_EQ(g_iocs_native_table[call], nullptr);
    for (uint32_t call = 0x60; call <= 0x66; call++) EXPECT_EQ(g_iocs_native_table[call], nullptr);
    EXPECT_EQ(g_iocs_hook_table[IOCS_ADPCMMOD], nullptr);
    EXPECT_EQ(g_fmcard.adpcm_calls_set, 0);
    trap(0x67);
    EXPECT_TRUE(entered_rom());
}

// A native routine that adds cycles of its own.
void slow_routine() { g_cpu_regs.cycles += 100; }
// A hook that turns the call into $34 (OSNS232C).
void hook_to_osns() { cpu_d(0) = (cpu_d(0) & 0xFFFFFF00) | 0x34; }

TEST_F(Iocs, ServedCallCostsAndHistory) {
    constexpr uint32_t SLOW = 0x80, HOOKED = 0x81;
    g_iocs_native_table[SLOW] = slow_routine;
    EXPECT_EQ(trap(SLOW), NATIVE_CYCLES + 100);
    EXPECT_EQ(g_cpu_regs.pc, kPc + 2);
    // The entry after the instruction's own; the loop stands on the next.
    uint32_t e = (g_trace_index - 1) % TRACE_SIZE;
    EXPECT_EQ(g_trace_kind[e], TRACE_IOCS);
    EXPECT_EQ(g_trace_pc[e], kPc);
    EXPECT_EQ(g_trace_value[e], SLOW);

    // The hook's new D0.b picks the native routine.
    g_iocs_hook_table[HOOKED] = hook_to_osns;
    EXPECT_EQ(trap(0x12345600 | HOOKED), NATIVE_CYCLES);
    EXPECT_FALSE(entered_rom());
    EXPECT_EQ(cpu_d(0), RS232C_OUTPUT_READY);
    EXPECT_EQ(g_trace_value[(g_trace_index - 1) % TRACE_SIZE], 0x34u);
}

TEST_F(Iocs, Rs232cRingPositionsWrapUnsigned) {
    g_rs232c.rx_ring[255] = 0x11;
    g_rs232c.rx_ring[0] = 0x82;
    g_rs232c.rx_pos = 0xFFFFFFFF;
    g_rs232c.rx_count = 2;
    trap(0x32);
    EXPECT_EQ(cpu_d(0), 0x11u);
    trap(0x32);
    EXPECT_EQ(cpu_d(0), 0xFFFFFF82u);
    EXPECT_EQ(g_rs232c.rx_pos, 1u);
    EXPECT_EQ(g_rs232c.rx_count, 0u);

    g_rs232c.tx_len = 0xFFFFFFFF;
    trap(0x35, 0x1234A5);
    EXPECT_EQ(g_rs232c.tx_ring[255], 0xA5);
    EXPECT_EQ(g_rs232c.tx_len, 0u);
    g_rs232c.rx_pos = g_rs232c.tx_len = 0;
}

}  // namespace
