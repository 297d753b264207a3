// Host-file-system drive, I/O slot 15 ($E9E000-$E9FFFF, byte accesses).
// The emulated system's remote-drive driver finds the port by a byte read
// of $E9F000-$E9FFFF ($57) and runs one command per byte write there: the
// command in D0.b, its request header at A5. Each unit is a host folder
// given by --host-drive; nothing outside it is ever reached.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "machine/memory_map.h"

inline constexpr uint32_t WINDRV_PORT_BASE = 0xE9F000;
inline constexpr uint8_t WINDRV_PORT_ID = 0x57;
inline constexpr unsigned WINDRV_MAX_UNITS = 26;
inline constexpr unsigned WINDRV_OPEN_FILES = 64;
inline constexpr unsigned WINDRV_SEARCHES = 128;
inline constexpr unsigned WINDRV_NAMESTS_SIZE = 88;
inline constexpr unsigned WINDRV_PATH_SIZE = 65;
inline constexpr unsigned WINDRV_NAME1_SIZE = 8, WINDRV_EXT_SIZE = 3, WINDRV_NAME2_SIZE = 10;
inline constexpr unsigned WINDRV_HOST_PATH_MAX = 512;

// Command codes (D0.b); $C0-$D8 act as $40-$58.
enum WinDrvCommand : uint8_t {
    WINDRV_CMD_INIT = 0x40,
    WINDRV_CMD_CHDIR = 0x41,
    WINDRV_CMD_MKDIR = 0x42,
    WINDRV_CMD_RMDIR = 0x43,
    WINDRV_CMD_RENAME = 0x44,
    WINDRV_CMD_DELETE = 0x45,
    WINDRV_CMD_ATTRIBUTE = 0x46,
    WINDRV_CMD_FILES = 0x47,
    WINDRV_CMD_NFILES = 0x48,
    WINDRV_CMD_CREATE = 0x49,
    WINDRV_CMD_OPEN = 0x4A,
    WINDRV_CMD_CLOSE = 0x4B,
    WINDRV_CMD_READ = 0x4C,
    WINDRV_CMD_WRITE = 0x4D,
    WINDRV_CMD_SEEK = 0x4E,
    WINDRV_CMD_FILEDATE = 0x4F,
    WINDRV_CMD_DSKFRE = 0x50,
    WINDRV_CMD_DRVCTRL = 0x51,
    WINDRV_CMD_GETDPB = 0x52,
    WINDRV_CMD_LAST = 0x58,
};
inline constexpr uint8_t WINDRV_CMD_ALIAS = 0x80;  // $C0-$D8

// Results at request offset 18.
inline constexpr int32_t WINDRV_OK = 0;
inline constexpr int32_t WINDRV_FAIL = -1;
inline constexpr int32_t WINDRV_NOT_FOUND = -2;
inline constexpr int32_t WINDRV_BAD_SEEK = -25;

// Request header offsets.
inline constexpr uint32_t REQ_UNIT = 1;
inline constexpr uint32_t REQ_BYTE13 = 13;  // attribute, mode, origin, control; unit count of init
inline constexpr uint32_t REQ_ARG1 = 14;
inline constexpr uint32_t REQ_ARG2 = 18;  // and the result
inline constexpr uint32_t REQ_ARG3 = 22;

// An open file: the name it was opened by and the host file found for it.
struct WinDrvOpenFile {
    uint16_t in_use;  // 0: free
    uint8_t filled;   // ever filled since the last init
    uint8_t unit;
    uint16_t drive;               // byte 1 of the name record
    uint32_t key;                 // path key
    uint32_t sequence;            // the open counter when it was filled
    char path[WINDRV_PATH_SIZE];  // name record path, TAB turned '\', NUL-terminated
    uint8_t name1[WINDRV_NAME1_SIZE], ext[WINDRV_EXT_SIZE], name2[WINDRV_NAME2_SIZE];
    char host_path[WINDRV_HOST_PATH_MAX];  // beneath the unit's folder, NUL-terminated
};

// A directory search, keyed by the address of its search buffer.
struct WinDrvSearch {
    uint32_t buffer;
    uint32_t match;  // number of the last match given
    uint8_t attribute;
    uint8_t unit;
    uint8_t used;
    uint8_t namests[WINDRV_NAMESTS_SIZE];
};

struct WinDrvState {
    WinDrvOpenFile files[WINDRV_OPEN_FILES];
    uint32_t open_counter;
    WinDrvSearch searches[WINDRV_SEARCHES];
    uint32_t ring_index;  // the entry the next search takes
    // Folders listed since power-on (each search-first, and each
    // search-next whose listing was no longer kept).
    uint64_t listings;
};
extern WinDrvState g_windrv;

// Power-on: no open file, no search. The reset line leaves it.
void windrv_power_on();
std::span<const uint8_t> windrv_state();

uint32_t windrv_io_peek_byte(uint32_t addr);
uint32_t windrv_io_read_byte(uint32_t addr);
void windrv_io_write_byte(uint32_t addr, uint32_t value);
// Slot 15 ($E9E000-$E9FFFF): only byte accesses reach the port; word and
// long accesses are bus errors.
inline constexpr BusDevice WINDRV_IO_BUS = {windrv_io_read_byte,  mem_bus_error_read_any,  mem_bus_error_read_any,
                                            windrv_io_write_byte, mem_bus_error_write_any, mem_bus_error_write_any,
                                            windrv_io_peek_byte};

// Runs the command in D0.b on the request header at A5; D0 is 0 after.
void windrv_dispatch();
