// Shared by the host drive's command files: the request being served, the
// units and the guest records.
#pragma once

#include <sys/stat.h>
#include <cstdint>
#include <string>

#include "host/confined_root.h"
#include "storage/windrv.h"
#include "storage/windrv_dir.h"

struct WinDrvRequest {
    uint32_t a5;
    uint8_t unit;
    uint8_t byte13;
    uint32_t arg1, arg2, arg3;  // L14, L18, L22
};

// The folder of a unit below windrv_unit_count().
const ConfinedRoot& windrv_root(unsigned unit);
bool windrv_longname();
// Writes byte 13 of the request header through the bus.
void windrv_put_byte13(const WinDrvRequest& r, uint8_t value);

// Guest records and buffers: reachable when the whole range lies in main
// RAM or a VRAM store. Copies go straight to main RAM and through the bus
// handlers for VRAM (its stores are not laid out by address, and writes
// mark the lines they change).
bool windrv_reachable(uint32_t addr, uint32_t length);
void windrv_guest_read(uint32_t addr, uint8_t* dst, uint32_t length);
void windrv_guest_write(uint32_t addr, const uint8_t* src, uint32_t length);
// Main RAM bytes of the range, or nullptr when it is not all main RAM.
uint8_t* windrv_guest_ram(uint32_t addr, uint32_t length);

int32_t windrv_cmd_chdir(const WinDrvRequest& r);
int32_t windrv_cmd_mkdir(const WinDrvRequest& r);
int32_t windrv_cmd_rmdir(const WinDrvRequest& r);
int32_t windrv_cmd_rename(const WinDrvRequest& r);
int32_t windrv_cmd_delete(const WinDrvRequest& r);
int32_t windrv_cmd_attribute(const WinDrvRequest& r);
int32_t windrv_cmd_files(const WinDrvRequest& r);
int32_t windrv_cmd_nfiles(const WinDrvRequest& r);
int32_t windrv_cmd_create(const WinDrvRequest& r);
int32_t windrv_cmd_open(const WinDrvRequest& r);
int32_t windrv_cmd_close(const WinDrvRequest& r);
int32_t windrv_cmd_read(const WinDrvRequest& r);
int32_t windrv_cmd_write(const WinDrvRequest& r);
int32_t windrv_cmd_seek(const WinDrvRequest& r);
int32_t windrv_cmd_filedate(const WinDrvRequest& r);
int32_t windrv_cmd_dskfre(const WinDrvRequest& r);

// Search snapshots are dropped with the searches (power-on).
void windrv_drop_snapshots();

// A name record's last component in its folder.
enum class Locate { Found, Missing, NoFolder, Refused, Unreachable };
struct Located {
    HostDir dir;
    std::string host;     // the host name found, or the guest's spelling (UTF-8) when missing
    std::string sjis;     // the name as the emulated system sees it
    std::string spelled;  // the guest's spelling, UTF-8 (exact names only)
    std::string asked;    // the guest's spelling, Shift-JIS
    std::string entry_path;
    uint8_t drive;
};
// Reads the record at addr, checks it and looks its last component up:
// with wildcards, the first match in name order; otherwise the name as
// spelled, else its first ASCII-case-insensitive match.
Locate windrv_locate(const WinDrvRequest& r, uint32_t addr, bool with_name2, bool wildcards, Located& out);
// The host's view of rel beneath the unit's folder (symlinks followed
// while they stay inside); false when missing.
bool windrv_stat(const WinDrvRequest& r, const std::string& rel, struct stat& st);
