// The host drive's letter table, built from the settings.
#pragma once

// Builds the letter table after the settings are read (WINFD keeps the
// floppy letters free). No table is built yet: nothing happens.
inline void windrv_scan_drives() {}
