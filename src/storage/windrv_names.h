// Host drive names: name records taken apart and checked, wildcard
// patterns, and the name fields of file control blocks. Names are handled
// in their Shift-JIS form; a component reaches the host only as UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Name record offsets.
inline constexpr uint32_t NAMESTS_DRIVE = 1;
inline constexpr uint32_t NAMESTS_PATH = 2;
inline constexpr uint32_t NAMESTS_NAME1 = 67;
inline constexpr uint32_t NAMESTS_EXT = 75;
inline constexpr uint32_t NAMESTS_NAME2 = 78;

inline constexpr uint8_t GUEST_PATH_SEPARATOR = '\t';
inline constexpr uint8_t GUEST_DIR_SEPARATOR = '\\';

// A name record taken apart.
struct GuestName {
    std::vector<std::string> dirs;  // the folders, UTF-8, checked
    std::string name;               // the last component, Shift-JIS, unchecked
    std::string entry_path;         // the path with TAB turned '\' (for open files)
};

// Takes the record apart: the path (which must hold a NUL) split at TAB,
// empty parts skipped, each folder checked; the name from name1 (with
// name2 when with_name2) and the extension. False when the path is refused.
bool windrv_namests_path(const uint8_t* record, bool with_name2, GuestName& out);

// A component checked and turned UTF-8: refused when it is not valid
// Shift-JIS, is "." or "..", holds $00-$1F, $7F or a single-byte '/', '\'
// or ':', or (unless wildcards) one of *?"<>|, or its UTF-8 form is over
// 255 bytes.
bool windrv_component_to_host(std::string_view sjis, bool wildcards, std::string& utf8);

bool windrv_has_wildcards(std::string_view sjis);
// Wildcard match of a Shift-JIS name, ASCII letters in either case: '*'
// any run, '?' one character or none before '.' or the end, a final ".*"
// also matches the end of a name without a dot.
bool windrv_wild_match(std::string_view pattern, std::string_view name);
bool windrv_ascii_iequal(std::string_view a, std::string_view b);

// A name of at most 18 characters before its last '.', at most 3 after it
// and without blanks.
bool windrv_name_fits(std::string_view name);
// False when the name holds one of "[]=+".
bool windrv_name_is_legal(std::string_view name);

// Name fields of a file control block from a host name: with LONGNAME the
// name (up to 18 bytes) before the last '.', name2 its bytes 9-18 blank-
// padded; without, up to 8 before the first '.', name2 all NUL. Names are
// cut on character boundaries.
struct FcbNameFields {
    uint8_t name1[8], name2[10], ext[3];
};
FcbNameFields windrv_host_name_fields(std::string_view name, bool longname);
// The length of the field up to its first NUL or blank.
size_t windrv_field_length(const uint8_t* field, size_t size);
