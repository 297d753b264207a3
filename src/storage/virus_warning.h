// The virus warning: a question before a write to a boot area.
#pragma once

#include <cstdint>

extern int g_cfg_warnvirus;   // WARNVIRUS: 0 switches the question off
extern int g_virus_warn_off;  // 1 after the user allowed and asked not to be asked again

// Kinds: 0-3 a floppy's IPL area, 4 the hard disk's, 5 the SRAM boot setting.
// Returns 0 to allow the write, 1 to refuse it.
int32_t disk_confirm_write(int32_t kind);
