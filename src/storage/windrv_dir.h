// Host drive folders: a guest path resolved beneath a unit's folder (each
// component as spelled, else its first ASCII-case-insensitive match in byte
// order) and folder listings in the emulated system's terms.
#pragma once

#include <sys/stat.h>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/confined_root.h"
#include "host/dos_time.h"

inline constexpr uint8_t DOS_ATTR_READ_ONLY = 0x01;
inline constexpr uint8_t DOS_ATTR_HIDDEN = 0x02;
inline constexpr uint8_t DOS_ATTR_SYSTEM = 0x04;
inline constexpr uint8_t DOS_ATTR_VOLUME = 0x08;
inline constexpr uint8_t DOS_ATTR_DIRECTORY = 0x10;
inline constexpr uint8_t DOS_ATTR_ARCHIVE = 0x20;

// A file or folder as a listing shows it.
struct HostEntry {
    std::string sjis;  // the name, Shift-JIS
    std::string host;  // the name on the host
    uint8_t attribute;
    DosTime time;
    uint32_t size;  // low 32 bits; 0 for a folder
};

// The emulated system's attribute of a file or folder: $10 or $20, and
// $01 when the owner may not write.
uint8_t windrv_host_attribute(const struct stat& st);
HostEntry windrv_entry_of(std::string sjis, std::string host, const struct stat& st);

// A folder resolved beneath the root: its path ("" for the root) and an
// open descriptor. False when a component is missing, is no folder or
// lies outside.
struct HostDir {
    std::string rel;
    UniqueFd fd;
};
bool windrv_resolve_dir(const ConfinedRoot& root, const std::vector<std::string>& dirs, HostDir& out);

// The name in the folder that stands for utf8: itself when present, else
// the first ASCII-case-insensitive match; "" when none.
std::string windrv_find_name(const HostDir& dir, const std::string& utf8);

// The entries of the folder whose Shift-JIS names match the pattern, files
// and folders only (symlinks followed while they stay beneath the root,
// names Shift-JIS cannot show left out), sorted by name with "." and ".."
// (never in the root) first. False when the folder cannot be read.
bool windrv_list_dir(const ConfinedRoot& root, const HostDir& dir, std::string_view pattern,
                     std::vector<HostEntry>& out);

// rel/name, or name when rel is the root.
std::string windrv_join(const std::string& rel, const std::string& name);
