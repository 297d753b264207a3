#include "firmware/iocs.h"

#include <algorithm>

#include "core/cpu_regs.h"
#include "firmware/disk_calls.h"
#include "firmware/iocs_switches.h"
#include "firmware/rs232c.h"
#include "input/keyboard.h"
#include "input/keyboard_iocs.h"
#include "machine/settings.h"
#include "machine/ui_notice.h"
#include "sound/adpcm_iocs.h"
#include "sound/fm_card.h"
#include "sound/sound_models.h"

FirmwareRoutine g_iocs_hook_table[256];
FirmwareRoutine g_iocs_native_table[256];
uint32_t g_iocs_call_again;

const FirmwareRoutine g_iocs_keyboard_set[IOCS_KEY_CALLS] = {
    key_iocs_b_keyinp, key_iocs_b_keysns, key_iocs_b_sftsns, key_iocs_key_init,
    key_iocs_bitsns,   nullptr,           nullptr,           nullptr,
};

const FirmwareRoutine g_iocs_adpcm_set[IOCS_ADPCM_CALLS + 1] = {
    trap_adpcm_out, nullptr, trap_adpcm_aot, nullptr, trap_adpcm_lot, nullptr, trap_adpcm_sns, trap_adpcm_mod,
};

namespace {

// Calls whose ROM code changes the keyboard LEDs the panel shows.
constexpr uint32_t LED_REFRESH_CALLS[] = {IOCS_KEY_INIT, IOCS_LEDCTRL, IOCS_LEDSET, IOCS_LEDMOD};
constexpr int PANEL_REFRESH_SLICES = 2;

const FirmwareRoutine RS232C_CALLS[IOCS_RS232C_CALLS] = {
    rs232c_iocs_set, rs232c_iocs_lof, rs232c_iocs_inp, rs232c_iocs_isns, rs232c_iocs_osns, rs232c_iocs_out,
};

// The tables hold their start contents before anything runs.
const bool g_start_tables_set = (iocs_set_start_tables(), true);

}  // namespace

void iocs_set_start_tables() {
    std::fill(std::begin(g_iocs_hook_table), std::end(g_iocs_hook_table), nullptr);
    std::fill(std::begin(g_iocs_native_table), std::end(g_iocs_native_table), nullptr);
    for (uint32_t call : LED_REFRESH_CALLS) g_iocs_hook_table[call] = trap_hook_led_refresh;
    std::copy(std::begin(RS232C_CALLS), std::end(RS232C_CALLS), g_iocs_native_table + IOCS_SET232C);
    trap_install_disk_calls();
}

// The paste text is typed on with every IOCS call but _B_KEYSNS.
void iocs_call_started(uint32_t call) {
    if (call != IOCS_B_KEYSNS && !g_paste_text.empty()) key_type_pump();
}

void trap_hook_led_refresh() { g_ui_notice.panel_refresh_countdown = PANEL_REFRESH_SLICES; }

void trap_set_keyboard_calls() {
    for (uint32_t i = 0; i < IOCS_KEY_CALLS; i++)
        g_iocs_native_table[IOCS_B_KEYINP + i] = g_settings.key ? nullptr : g_iocs_keyboard_set[i];
}

void trap_set_adpcm_calls() {
    bool on = g_sound_models.pcm8_calls == SoundModel::Library;
    g_fmcard.adpcm_calls_set = on ? 1 : 0;
    for (uint32_t i = 0; i < IOCS_ADPCM_CALLS; i++)
        g_iocs_native_table[IOCS_ADPCMOUT + i] = on ? g_iocs_adpcm_set[i] : nullptr;
    g_iocs_hook_table[IOCS_ADPCMMOD] = on ? g_iocs_adpcm_set[IOCS_ADPCM_CALLS] : nullptr;
}

void trap_adpcm_out() { adpcm_iocs_out(cpu_a(1), cpu_d(1), cpu_d(2)); }
void trap_adpcm_aot() { adpcm_iocs_array_out(cpu_a(1), cpu_d(1), cpu_d(2)); }
void trap_adpcm_lot() { adpcm_iocs_link_out(cpu_a(1), cpu_d(1)); }
void trap_adpcm_sns() { cpu_d(0) = adpcm_iocs_sense(); }
void trap_adpcm_mod() { adpcm_iocs_mode(cpu_d(1)); }
