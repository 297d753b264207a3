// The keyboard: host keys to MFP bytes and times (KEY 1), to the IOCS work
// area (KEY 0), the keyboard IOCS calls, focus loss and the paste pump.
#include "input/keyboard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/disk_panel.h"
#include "core/cpu_regs.h"
#include "firmware/iocs.h"
#include "input/keyboard_iocs.h"
#include "input/keymap.h"
#include "machine/machine.h"
#include "machine/mfp.h"
#include "machine/scheduler.h"
#include "machine/settings.h"
#include "machine/ui_notice.h"
#include "support/flat_bus.h"
#include "support/powered_on.h"

namespace {

constexpr uint32_t CPF = 181818;
constexpr uint32_t VK_A = 0x41, VK_SHIFT = 0x10, VK_B = 0x42;
constexpr uint32_t UDR = 0xE88000 + MFP_UDR;

WindowMessage down(uint32_t vk) { return {1, WM_KEYDOWN, vk, KEY_LPARAM_REPEAT_ONE}; }
WindowMessage up(uint32_t vk) { return {1, WM_KEYUP, vk, KEY_LPARAM_REPEAT_ONE | KEY_LPARAM_RELEASED}; }

class Keyboard : public PoweredOnMachine {
protected:
    void SetUp() override {
        PoweredOnMachine::SetUp();
        flat_bus_install();
        std::memset(g_mfp.regs, 0, sizeof g_mfp.regs);
        for (auto& c : g_scheduler.countdown) c = 0;
        g_scheduler.event_time_scale = 10;
        g_cpu_regs.cycles_per_frame = CPF;
        key_power_on();
        g_keymap.key[VK_A] = 0x1E;  // as "/key." 1e=41 gives
        g_keymap.sca[VK_A] = 0x1E;
        g_keymap.asc['a'] = 0x1E;
        g_settings.key = 1;
        g_paste_text.clear();
        g_keyboard.paste_delay = 0;
    }
    void TearDown() override {
        g_settings.key = 0;
        g_paste_text.clear();
        g_keyboard.paste_delay = KEY_PASTE_DELAY;
    }
    static int64_t rx_event() { return g_scheduler.countdown[EV_MFP_RX_FULL]; }
    static uint32_t udr() { return MFP_BUS.read_byte(UDR); }
    static uint32_t word(uint32_t a) { return flat_read_word(a); }
    static uint32_t count() { return word(KEY_WORK_COUNT); }
};

TEST_F(Keyboard, MfpRoadBytesAndTimes) {
    key_on_key_down(down(VK_A));
    EXPECT_EQ(rx_event(), 8) << "the first receive interrupt comes 8 cycles after the first byte";
    EXPECT_EQ(g_mfp.regs[MFP_RSR], 0x81);
    key_on_key_up(up(VK_A));
    EXPECT_EQ(g_keyboard.key_state[0x1E], KEY_BREAK);

    EXPECT_EQ(udr(), 0x1Eu);
    EXPECT_EQ(rx_event(), int64_t(CPF) * 46 / 182) << "the next byte is spaced";
    EXPECT_EQ(g_mfp.regs[MFP_RSR], 0x81);
    EXPECT_EQ(udr(), 0x9Eu);
    EXPECT_EQ(g_mfp.regs[MFP_RSR], 0x01) << "empty, receiver on";
    EXPECT_EQ(udr(), 0u);

    // Request 17 comes before the interrupt's byte is read: it schedules
    // only a byte behind that one, so no interrupt comes without a byte.
    for (int waiting : {0, 1, 2}) {
        for (int i = 0; i < waiting; i++) key_send_to_mfp(0x1E);
        g_scheduler.countdown[EV_MFP_RX_FULL] = 0;
        key_schedule_next_byte();
        EXPECT_EQ(rx_event(), waiting > 1 ? int64_t(CPF) * 46 / 182 : 0) << waiting;
        while (g_keyboard.ring_count) udr();
    }
}

TEST_F(Keyboard, UnmappedKeySendsNothingAndTheRingHolds127) {
    key_on_key_down(down(VK_B));
    key_on_key_up(up(VK_B));
    EXPECT_EQ(g_keyboard.ring_count, 0) << "scan code 0 is not sent";
    EXPECT_EQ(rx_event(), 0);

    for (int i = 0; i < 200; i++) key_on_key_down(down(VK_A));  // autorepeat
    EXPECT_EQ(g_keyboard.ring_count, 127);
    for (int i = 0; i < 127; i++) EXPECT_EQ(udr(), 0x1Eu);
    EXPECT_EQ(udr(), 0u);
}

TEST_F(Keyboard, FocusLossReleasesEveryHeldKey) {
    // KEY 1: SHIFT held sends its break byte $F0.
    key_on_key_down(down(VK_SHIFT));
    EXPECT_EQ(udr(), 0x70u);
    key_release_all();
    EXPECT_EQ(udr(), 0xF0u);
    EXPECT_EQ(udr(), 0u) << "sent once";
    EXPECT_EQ(g_keyboard.key_state[0x70], KEY_RELEASED);

    // KEY 0: the matrix bit and the shift byte go, the release is an entry.
    g_settings.key = 0;
    key_on_key_down(down(VK_SHIFT));
    EXPECT_EQ(flat_read_byte(0x80E), 0x01u);
    EXPECT_EQ(flat_read_byte(KEY_WORK_SHIFT), 0x01u);
    key_release_all();
    EXPECT_EQ(flat_read_byte(0x80E), 0x00u);
    EXPECT_EQ(flat_read_byte(KEY_WORK_SHIFT), 0x00u);
    EXPECT_EQ(key_pop_iocs(true), 0xF000u);
    EXPECT_EQ(count(), 0u);
}

TEST_F(Keyboard, IocsBufferInZeroedRam) {
    g_settings.key = 0;
    key_on_key_down(down(VK_A));
    EXPECT_EQ(count(), 1u);
    EXPECT_EQ(flat_read_byte(0x803), 0x40u) << "scan $1E is bit 6 of $803";
    for (uint32_t a = 0x800; a < 0x810; a++)
        EXPECT_EQ(flat_read_byte(a), a == 0x803 ? 0x40u : 0u) << "the entry landed in the matrix at " << a;
    uint32_t slot = word(KEY_WORK_WRITE);
    EXPECT_GE(slot, KEY_WORK_BUFFER);
    EXPECT_LT(slot, KEY_WORK_BUFFER + 2 * KEY_WORK_ENTRIES);
    EXPECT_EQ(word(slot), 0x1E00u);
    key_on_key_up(up(VK_A));
    EXPECT_EQ(count(), 1u) << "a plain key's release is no entry";
    EXPECT_EQ(flat_read_byte(0x803), 0u);

    // A character: the scan code of the key typing it, bit 15 for a release.
    // A half-width katakana keeps its byte ($B1: no key types it here).
    key_on_char({1, WM_CHAR, 'a', KEY_LPARAM_RELEASED});
    key_on_char({1, WM_CHAR, 0x100, 0});
    key_on_char({1, WM_CHAR, 0xB1, 0});
    EXPECT_EQ(key_pop_iocs(true), 0x1E00u);
    EXPECT_EQ(key_pop_iocs(false), 0x9E61u);
    EXPECT_EQ(key_pop_iocs(true), 0x9E61u);
    EXPECT_EQ(key_pop_iocs(true), 0x00B1u) << "character 0 is no entry; ｱ is";

    // 64 entries fit; the 65th is dropped, the oldest kept.
    for (uint32_t i = 0; i < 70; i++) key_push_iocs(uint16_t(0x100 + i));
    EXPECT_EQ(count(), 64u);
    for (uint32_t i = 0; i < 64; i++) ASSERT_EQ(key_pop_iocs(true), 0x100u + i);
    EXPECT_EQ(count(), 0u);
}

TEST_F(Keyboard, IocsCalls) {
    auto& d0 = g_cpu_regs.r[0];
    g_settings.key = 0;
    d0 = 0xABCD0000;
    key_iocs_b_keysns();
    EXPECT_EQ(d0, 0u);
    key_push_iocs(0x1E61);
    key_iocs_b_keysns();
    EXPECT_EQ(d0, 0x11E61u);
    EXPECT_EQ(count(), 1u) << "sensing leaves the entry";

    g_iocs_call_again = 0;
    key_iocs_b_keyinp();
    EXPECT_EQ(d0, 0x1E61u);
    EXPECT_EQ(g_iocs_call_again, 0u);
    d0 = 0x1234;
    key_iocs_b_keyinp();
    EXPECT_EQ(d0, 0x1234u) << "an empty buffer leaves D0";
    EXPECT_EQ(g_iocs_call_again, 1u) << "and the TRAP runs again";
    g_iocs_call_again = 0;

    // _BITSNS: matrix byte D1 & 15, the rest of D0 kept.
    flat_write_byte(0x802, 0x5A);
    d0 = 0x12345678;
    g_cpu_regs.r[1] = 0x12;
    key_iocs_bitsns();
    EXPECT_EQ(d0, 0x1234565Au);

    // _B_SFTSNS: the shift byte, INS, ひらがな and 全角, upper word kept.
    struct Case {
        uint32_t vk;
        uint8_t scan;
        uint32_t bits;
    };
    const Case cases[] = {{0x10, 0x70, 0x001}, {0x11, 0x71, 0x002}, {0x12, 0x5A, 0x010}, {0x14, 0x5D, 0x080},
                          {0x2D, 0x5E, 0x100}, {0x15, 0x5F, 0x200}, {0x19, 0x60, 0x400}};
    for (const Case& c : cases) {
        g_keymap.sca[c.vk] = c.scan;
        g_keymap.ext[c.vk] = c.scan;
        key_on_key_down(down(c.vk));
        d0 = 0xFFFF0000;
        key_iocs_b_sftsns();
        EXPECT_EQ(d0, 0xFFFF0000 | c.bits) << std::hex << int(c.scan);
        key_on_key_up(up(c.vk));
    }

    // _KEY_INIT: the matrix cleared, every key released.
    key_on_key_down(down(VK_A));
    g_keyboard.key_state[5] = 0;
    key_iocs_key_init();
    for (uint32_t a = 0x800; a < 0x810; a++) EXPECT_EQ(flat_read_byte(a), 0u);
    EXPECT_EQ(g_keyboard.key_state[5], KEY_RELEASED);
}

TEST_F(Keyboard, KeyinpWaitsOnTheTrap) {
    constexpr uint32_t PC = 0x4000;
    g_settings.key = 0;
    cpu_test_reset(PC, 0x3F00);
    flat_write_words(PC, {0x4E4F, 0x4E71});  // TRAP #15, NOP
    FirmwareRoutine saved = g_iocs_native_table[0];
    g_iocs_native_table[0] = key_iocs_b_keyinp;
    g_cpu_regs.r[0] = 0;
    cpu_test_step();
    EXPECT_EQ(g_cpu_regs.pc, PC) << "the PC stays on the TRAP";
    cpu_test_step();
    EXPECT_EQ(g_cpu_regs.pc, PC);
    key_push_iocs(0x1E61);
    cpu_test_step();
    EXPECT_EQ(g_cpu_regs.pc, PC + 2);
    EXPECT_EQ(g_cpu_regs.r[0], 0x1E61u);
    g_iocs_native_table[0] = saved;
}

TEST_F(Keyboard, PasteTypesOnlyWhenThereIsRoom) {
    // KEY 0, "ab;": three calls, three entries, after the delay.
    g_settings.key = 0;
    g_paste_text = "ab;";
    g_keyboard.paste_delay = 2;
    for (int i = 0; i < 2; i++) iocs_call_started(0x20);
    EXPECT_EQ(count(), 0u);
    iocs_call_started(IOCS_B_KEYSNS);
    EXPECT_EQ(count(), 0u) << "_B_KEYSNS does not type";
    for (int i = 0; i < 3; i++) iocs_call_started(0x00);
    EXPECT_EQ(key_pop_iocs(true), 0x1E61u);
    EXPECT_EQ(key_pop_iocs(true), 0x0062u);
    EXPECT_EQ(key_pop_iocs(true), 0x1D0Du) << "';' types a carriage return";

    // A full buffer keeps the text until there is room.
    for (int i = 0; i < 64; i++) key_push_iocs(0x0101);
    g_paste_text = "a";
    key_type_pump();
    EXPECT_EQ(g_paste_text, "a");
    key_pop_iocs(true);
    key_type_pump();
    EXPECT_EQ(g_paste_text, "");

    // KEY 1: make and break, never half a pair; unmapped characters vanish.
    g_settings.key = 1;
    g_paste_text = "ba";
    key_type_pump();
    EXPECT_EQ(g_keyboard.ring_count, 0);
    EXPECT_EQ(g_paste_text, "a");
    for (int i = 0; i < 126; i++) key_send_to_mfp(0x01);
    key_type_pump();
    EXPECT_EQ(g_paste_text, "a") << "no room for two bytes";
    udr();
    udr();
    key_type_pump();
    EXPECT_EQ(g_paste_text, "");
    EXPECT_EQ(g_keyboard.ring_count, 126);
}

TEST_F(Keyboard, ModeKeysRefreshThePanelLeds) {
    const uint32_t VK_KANA = 0x15;
    for (int key : {1, 0}) {
        g_settings.key = key;
        for (uint8_t scan : {uint8_t(0x59), uint8_t(0x5A), uint8_t(0x60), uint8_t(0x61)}) {
            g_keymap.key[VK_KANA] = g_keymap.sca[VK_KANA] = g_keymap.ext[VK_KANA] = scan;
            g_ui_notice.panel_refresh_countdown = 0;
            key_on_key_down(down(VK_KANA));
            EXPECT_EQ(g_ui_notice.panel_refresh_countdown, scan >= 0x5A && scan <= 0x60 ? 2 : 0)
                << key << " " << int(scan);
        }
    }
}

TEST_F(Keyboard, NoMainRamNoWorkArea) {
    uint8_t* ram = g_machine.main_ram;
    g_machine.main_ram = nullptr;
    g_settings.key = 0;
    key_on_key_down(down(VK_A));
    key_on_char({1, WM_CHAR, 'a', 0});
    key_iocs_b_sftsns();
    key_iocs_key_init();
    EXPECT_FALSE(key_push_iocs(1));
    EXPECT_EQ(key_pop_iocs(true), 0u);
    g_machine.main_ram = ram;
    EXPECT_EQ(count(), 0u);
}

}  // namespace
