// The virus warning: a question before a write to a boot area.
#pragma once

#include <cstdint>

extern int g_virus_warn_off;  // 1 after the user allowed and asked not to be asked again

// Kinds: 0-3 a floppy's IPL area (the drive), 4 the hard disk's, 5 and
// above the SRAM boot setting.
inline constexpr int32_t VIRUS_KIND_LAST_FLOPPY = 3, VIRUS_KIND_HARD_DISK = 4, VIRUS_KIND_SRAM = 5;
// The message of a kind.
const char* virus_warning_message(int32_t kind);

// Asks before a write of kind. Returns 0 to allow the write, 1 to refuse
// it: allow (ticking the check box asks no more until the settings are
// read again) or a question that could not be shown allows; the refuse
// button, Esc and the close box refuse.
int32_t disk_confirm_write(int32_t kind);
