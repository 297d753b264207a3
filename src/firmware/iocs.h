// IOCS call tables (TRAP #15 served on the host): a pre-hook and a native
// routine slot per call number.
#pragma once

#include <cstdint>

#include "core/boundary.h"  // FirmwareRoutine, g_iocs_hook_table, g_iocs_native_table

// Call numbers (D0.b) the tables name.
inline constexpr uint32_t IOCS_B_KEYINP = 0x00;
inline constexpr uint32_t IOCS_B_KEYSNS = 0x01;  // only senses; the paste text waits over it
inline constexpr uint32_t IOCS_KEY_INIT = 0x03;
inline constexpr uint32_t IOCS_LEDCTRL = 0x06;
inline constexpr uint32_t IOCS_LEDSET = 0x07;
inline constexpr uint32_t IOCS_KEY_CALLS = 8;  // $00-$07: the keyboard group
inline constexpr uint32_t IOCS_LEDMOD = 0x0D;
inline constexpr uint32_t IOCS_SET232C = 0x30;  // $30-$35: RS-232C
inline constexpr uint32_t IOCS_RS232C_CALLS = 6;
inline constexpr uint32_t IOCS_ADPCMOUT = 0x60;  // $60-$66: ADPCM
inline constexpr uint32_t IOCS_ADPCM_CALLS = 7;
inline constexpr uint32_t IOCS_ADPCMMOD = 0x67;  // hooked, then the ROM's call

// The keyboard group for $00-$07 (the last three empty), installed while
// KEY is 0.
extern const FirmwareRoutine g_iocs_keyboard_set[IOCS_KEY_CALLS];
// The ADPCM group for $60-$66 (odd calls empty), then the hook of $67;
// installed with FMPCM8 on the sound library (FM 4).
extern const FirmwareRoutine g_iocs_adpcm_set[IOCS_ADPCM_CALLS + 1];

// Both tables as the program starts: the panel-refresh hooks, RS-232C and
// the disk calls; no keyboard or ADPCM routine.
void iocs_set_start_tables();

// Pre-hook of the calls that change the keyboard LEDs: the disk
// panel is refreshed two slices later.
void trap_hook_led_refresh();

// The ADPCM group, forwarded to the sound library's IOCS routines.
void trap_adpcm_out();  // $60: A1, D1, D2
void trap_adpcm_aot();  // $62: A1, D1, D2
void trap_adpcm_lot();  // $64: A1, D1
void trap_adpcm_sns();  // $66: D0 := the sense
void trap_adpcm_mod();  // $67 hook: D1
