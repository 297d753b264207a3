#include "sound_fm_fixture.h"

#include "core/boundary.h"
#include "machine/mfp.h"
#include "machine/settings.h"

namespace {

using SoundOpm = SoundFm;

int64_t pending(int kind) { return g_scheduler.countdown[kind]; }

// The status read anywhere in the block; writes through byte, word and long.
TEST_F(SoundOpm, sound_port_reads_and_writes) {
    g_fmcard.chip.opm_regs[OPM_STATUS] = 0x83;
    for (uint32_t a : {0xE90003u, 0xE90000u, 0xE91FFFu}) EXPECT_EQ(OPM_BUS.read_byte(a), 3u) << std::hex << a;
    EXPECT_EQ(OPM_BUS.read_word(0xE90002), 3u);
    EXPECT_EQ(OPM_BUS.read_long(0xE90000), 0x00030003u);
    opm(0x00, 0x02);  // register 0 is the status byte
    EXPECT_EQ(OPM_BUS.read_byte(0xE90001), 2u);

    OPM_BUS.write_word(0xE90000, 0x0038);  // latch $38
    EXPECT_EQ(g_fmcard.chip.opm_latch, 0x38);
    OPM_BUS.write_word(0xE90002, 0x0077);  // data, low byte
    EXPECT_EQ(g_fmcard.chip.opm_regs[0x38], 0x77);
    OPM_BUS.write_long(0xE90000, 0x00390055);
    EXPECT_EQ(g_fmcard.chip.opm_regs[0x39], 0x55);
    OPM_BUS.write_byte(0xE90005, 0x11);  // neither port
    EXPECT_EQ(g_fmcard.chip.opm_latch, 0x39);
}

// Timer periods and arming, as register $14 writes and expiries see them.
TEST_F(SoundOpm, sound_timer_arming_table) {
    opm(OPM_CLKA_HIGH, 0xFF);
    opm(OPM_CLKA_LOW, 3);  // CLKA 1023: one step
    opm(OPM_CLKB, 0xFF);   // CLKB 255: one step
    opm(OPM_TIMER_CONTROL, 0x03);
    EXPECT_EQ(pending(EV_OPM_TIMER_A), TEST_CPF / 1136);
    EXPECT_EQ(pending(EV_OPM_TIMER_B), TEST_CPF / 70);

    opm(OPM_CLKA_HIGH, 0x00);
    opm(OPM_CLKA_LOW, 0);          // CLKA 0: 1024 steps
    g_cpu_regs.cycles = 50;        // time passes
    opm(OPM_TIMER_CONTROL, 0x15);  // keeps A's countdown (below the new period); B cancelled
    EXPECT_EQ(pending(EV_OPM_TIMER_A), TEST_CPF / 1136 - 50);
    EXPECT_EQ(pending(EV_OPM_TIMER_B), 0);

    opm(OPM_CLKA_HIGH, 0xFF);  // period shorter than what is pending: restarted
    opm(OPM_CLKA_LOW, 3);
    sched_set_event(EV_OPM_TIMER_A, 5000);
    opm(OPM_TIMER_CONTROL, 0x05);
    EXPECT_EQ(pending(EV_OPM_TIMER_A), TEST_CPF / 1136);

    // Expiry with LOAD and IRQ enable clear: re-armed, no flag, no GPIP3.
    g_fmcard.chip.opm_regs[OPM_TIMER_CONTROL] = 0x01;
    sched_set_event(EV_MFP_OPM, 0);
    sched_dispatch(EV_OPM_TIMER_A);
    EXPECT_EQ(pending(EV_OPM_TIMER_A), TEST_CPF / 1136);
    EXPECT_EQ(fmcard_status(), 0u);
    EXPECT_EQ(pending(EV_MFP_OPM), 0);
    // With IRQ enable: the flag and GPIP3 after 2 cycles.
    g_fmcard.chip.opm_regs[OPM_TIMER_CONTROL] = 0x05;
    sched_dispatch(EV_OPM_TIMER_A);
    EXPECT_EQ(fmcard_status(), 1u);
    EXPECT_EQ(pending(EV_MFP_OPM), 2);
    // Expiry with LOAD clear: stopped.
    g_fmcard.chip.opm_regs[OPM_TIMER_CONTROL] = 0x04;
    sched_dispatch(EV_OPM_TIMER_A);
    EXPECT_EQ(pending(EV_OPM_TIMER_A), 0);

    g_fmcard.chip.opm_regs[OPM_STATUS] = 3;
    opm(OPM_TIMER_CONTROL, 0x03);
    opm(OPM_TIMER_CONTROL, 0x30);  // flags cleared, both timers cancelled
    EXPECT_EQ(fmcard_status(), 0u);
    EXPECT_EQ(pending(EV_OPM_TIMER_A), 0);
    EXPECT_EQ(pending(EV_OPM_TIMER_B), 0);
}

// The timers run the same on every road, FM 0 included.
TEST_F(SoundOpm, sound_timers_on_every_road) {
    for (int32_t fm : {FM_NONE, FM_OPL3, FM_PC98}) {
        SCOPED_TRACE(fm);
        g_settings.fm = fm;
        sound_models_select(g_settings.fm, g_settings.fmpcm8);
        g_fmcard.channels = 3;
        opm(OPM_CLKB, 0x80);
        opm(OPM_TIMER_CONTROL, 0x02);
        EXPECT_EQ(pending(EV_OPM_TIMER_B), 128 * TEST_CPF / 70);
        opm(OPM_TIMER_CONTROL, 0x00);
        EXPECT_EQ(pending(EV_OPM_TIMER_B), 0);
    }
}

}  // namespace
