// The disk IOCS calls $40-$4F served on the host: each lights the drive's
// access LED where it should, runs its worker, leaves the status in D0 and
// charges the slow operations extra cycles.
#pragma once

#include <cstdint>

inline constexpr uint32_t IOCS_DISK_FIRST = 0x40, IOCS_DISK_LAST = 0x4F;
// Access-LED countdowns set by an access.
inline constexpr int32_t FD_ACCESS_LED = 20, HD_ACCESS_LED = 6;

// Installs the sixteen routines in g_iocs_native_table.
void trap_install_disk_calls();

// The access-LED step: floppy drive 0-3 (when it holds an image) or the
// hard-disk LED; the panel is refreshed at once when the LED was idle.
void trap_disk_access_led();

void trap_b_seek();    // $40
void trap_b_verify();  // $41
void trap_b_readdi();  // $42
void trap_b_dskini();  // $43
void trap_b_drvsns();  // $44
void trap_b_write();   // $45
void trap_b_read();    // $46
void trap_b_recali();  // $47
void trap_b_assign();  // $48
void trap_b_writed();  // $49
void trap_b_readid();  // $4A
void trap_b_badfmt();  // $4B
void trap_b_readdl();  // $4C
void trap_b_format();  // $4D
void trap_b_drvchk();  // $4E
void trap_b_eject();   // $4F
