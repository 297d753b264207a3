// The workers of the disk IOCS calls $40-$4F: no arguments; they read the
// unit word D1.w, the position D2, the byte count D3 and the buffer A1,
// update D2, D3 and A1 after a transfer, and return the status for D0.
#pragma once

#include <cstdint>

// Status words.
inline constexpr uint32_t DISK_REFUSED = 0x08000000;       // position, image, short transfer, refused write
inline constexpr uint32_t DISK_NO_IMAGE = 0x48000000;      // floppy drive without an image
inline constexpr uint32_t DISK_HD_ERROR = 0xFFFFFFFF;      // hard disk: error or no image
inline constexpr uint32_t DISK_MEDIUM = 0x20000000;        // drive sense: a medium is in
inline constexpr uint32_t DISK_FLOPPY_EMPTY = 0x80000000;  // drive sense: floppy drive empty
inline constexpr uint32_t DISK_ID_SIZE_DIFFERS = 0x00040000;
inline constexpr uint32_t DISK_DRIVE_READY = 0x20, DISK_DRIVE_NOT_READY = 0x28, DISK_DRIVE_ABSENT = 0x30;  // << 24
inline constexpr uint32_t DISK_VERIFIED = 0x800, DISK_VERIFY_REFUSED = 0x08000400;
inline constexpr uint32_t DISK_HD_NO_UNIT = uint32_t(-216);  // + unit number
// Drive check: 2 writable, 10 read-only, 4 empty, OR the slot's flags.
inline constexpr uint32_t DISK_CHECK_WRITABLE = 2, DISK_CHECK_READ_ONLY = 10, DISK_CHECK_EMPTY = 4;
inline constexpr uint32_t DISK_CHECK_CHANGED = 0xFFFFFFFF, DISK_CHECK_UNCHANGED = 1;
// Drive check operations (D2).
inline constexpr uint32_t DRVCHK_EJECT = 1, DRVCHK_INHIBIT = 2, DRVCHK_ALLOW = 3, DRVCHK_BLINK = 4,
                          DRVCHK_MEDIA_CHANGE = 8, DRVCHK_STATUS_MASKED = 9;

uint32_t disk_iocs_b_seek();    // $40
uint32_t disk_iocs_b_verify();  // $41
uint32_t disk_iocs_b_readdi();  // $42: position only
uint32_t disk_iocs_b_drvsns();  // $44: drive sense
uint32_t disk_iocs_b_write();   // $45
uint32_t disk_iocs_b_read();    // $46
uint32_t disk_iocs_b_recali();  // $47: recalibrate
uint32_t disk_iocs_b_readid();  // $4A
uint32_t disk_iocs_b_readdl();  // $4C: read deleted data
uint32_t disk_iocs_b_format();  // $4D
uint32_t disk_iocs_b_drvchk();  // $4E: drive check
