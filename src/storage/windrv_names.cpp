#include "storage/windrv_names.h"

#include <algorithm>
#include <cstring>

#include "host/sjis_text.h"
#include "storage/windrv.h"

namespace {

constexpr std::string_view ANY_NAME = "????????";
constexpr std::string_view ANY_EXT = "???";
constexpr std::string_view ANY_RUN = "*";
constexpr std::string_view DOT_ANY = ".*";
constexpr char WILD_RUN = '*', WILD_ONE = '?', DOT = '.', BLANK = ' ';
constexpr std::string_view PATTERN_ONLY = "*?\"<>|";
constexpr std::string_view NEVER_IN_NAMES = "/\\:";
constexpr std::string_view ILLEGAL_IN_LISTINGS = "[]=+";
constexpr size_t HOST_NAME_MAX_BYTES = 255;
constexpr size_t LONG_NAME_FIELD = 18;
constexpr size_t SHORT_NAME_FIELD = 8;

constexpr uint8_t FIRST_PRINTABLE = 0x20, DEL = 0x7F;

char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

// A field cut at its first blank or NUL.
std::string_view field_text(const uint8_t* field, size_t size) {
    return {reinterpret_cast<const char*>(field), windrv_field_length(field, size)};
}

// The characters of a Shift-JIS text, each as its byte offset.
std::vector<size_t> char_starts(std::string_view s) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < s.size(); i += sjis_char_length(s, i)) starts.push_back(i);
    starts.push_back(s.size());
    return starts;
}

}  // namespace

size_t windrv_field_length(const uint8_t* field, size_t size) {
    size_t n = 0;
    while (n < size && field[n] != 0 && field[n] != BLANK) n++;
    return n;
}

bool windrv_namests_path(const uint8_t* record, bool with_name2, GuestName& out) {
    const uint8_t* path = record + NAMESTS_PATH;
    const uint8_t* nul = static_cast<const uint8_t*>(std::memchr(path, 0, WINDRV_PATH_SIZE));
    if (!nul) return false;
    std::string_view text(reinterpret_cast<const char*>(path), size_t(nul - path));
    out = GuestName{};
    out.entry_path.assign(text);
    std::replace(out.entry_path.begin(), out.entry_path.end(), char(GUEST_PATH_SEPARATOR), char(GUEST_DIR_SEPARATOR));
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(char(GUEST_PATH_SEPARATOR), start);
        if (end == std::string_view::npos) end = text.size();
        if (end > start) {
            std::string host;
            if (!windrv_component_to_host(text.substr(start, end - start), false, host)) return false;
            out.dirs.push_back(std::move(host));
        }
        start = end + 1;
    }
    std::string_view name1 = field_text(record + NAMESTS_NAME1, WINDRV_NAME1_SIZE);
    std::string_view ext = field_text(record + NAMESTS_EXT, WINDRV_EXT_SIZE);
    if (name1 == ANY_NAME) {
        out.name = ANY_RUN;
    } else {
        out.name = name1;
        if (with_name2) out.name += field_text(record + NAMESTS_NAME2, WINDRV_NAME2_SIZE);
    }
    if (ext == ANY_EXT) {
        out.name += DOT_ANY;
    } else if (!ext.empty()) {
        out.name += DOT;
        out.name += ext;
    }
    return true;
}

bool windrv_component_to_host(std::string_view sjis, bool wildcards, std::string& utf8) {
    if (sjis.empty() || sjis == "." || sjis == "..") return false;
    for (size_t i = 0; i < sjis.size();) {
        uint8_t c = uint8_t(sjis[i]);
        if (sjis_is_lead(c)) {
            if (i + 1 >= sjis.size() || !sjis_is_trail(uint8_t(sjis[i + 1]))) return false;
            i += 2;
            continue;
        }
        if (c < FIRST_PRINTABLE || c == DEL || sjis_single_undefined(c)) return false;
        if (NEVER_IN_NAMES.find(char(c)) != std::string_view::npos) return false;
        if (!wildcards && PATTERN_ONLY.find(char(c)) != std::string_view::npos) return false;
        i++;
    }
    return sjis_to_utf8(sjis, utf8) && utf8.size() <= HOST_NAME_MAX_BYTES;
}

bool windrv_has_wildcards(std::string_view sjis) {
    for (size_t i = 0; i < sjis.size(); i += sjis_char_length(sjis, i))
        if (sjis[i] == WILD_RUN || sjis[i] == WILD_ONE) return true;
    return false;
}

bool windrv_ascii_iequal(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); i++)
        if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
    return true;
}

// The pattern runs as a set of positions (bit p: pattern character p
// reached), so no pattern costs more than its length per name character.
bool windrv_wild_match(std::string_view pattern, std::string_view name) {
    std::vector<size_t> pat = char_starts(pattern), nm = char_starts(name);
    const size_t m = pat.size() - 1;  // characters in the pattern
    if (m >= 64) return false;
    auto pchar = [&](size_t p) { return pattern.substr(pat[p], pat[p + 1] - pat[p]); };
    const bool final_dot_any = pattern.ends_with(DOT_ANY);
    // Positions reachable without reading a character, before name
    // character i (i == number of characters: the end).
    auto closure = [&](uint64_t set, size_t i) {
        bool at_end = i + 1 >= nm.size();
        bool at_dot = !at_end && name[nm[i]] == DOT;
        for (size_t p = 0; p < m; p++) {
            if (!(set >> p & 1)) continue;
            char c = pattern[pat[p]];
            if (c == WILD_RUN || (c == WILD_ONE && (at_end || at_dot))) set |= uint64_t(1) << (p + 1);
            if (at_end && final_dot_any && p + 2 == m && c == DOT) set |= uint64_t(1) << m;
        }
        return set;
    };
    uint64_t set = closure(1, 0);
    for (size_t i = 0; i + 1 < nm.size() && set; i++) {
        std::string_view ch = name.substr(nm[i], nm[i + 1] - nm[i]);
        uint64_t next = 0;
        for (size_t p = 0; p < m; p++) {
            if (!(set >> p & 1)) continue;
            std::string_view pc = pchar(p);
            if (pc.size() == 1 && pc[0] == WILD_RUN) next |= uint64_t(1) << p;
            else if ((pc.size() == 1 && pc[0] == WILD_ONE) || windrv_ascii_iequal(pc, ch))
                next |= uint64_t(1) << (p + 1);
        }
        set = closure(next, i + 1);
    }
    return (set >> m) & 1;
}

bool windrv_name_fits(std::string_view name) {
    if (name.find(BLANK) != std::string_view::npos) return false;
    size_t dot = name.rfind(DOT);
    if (dot == std::string_view::npos) return name.size() <= LONG_NAME_FIELD;
    return dot <= LONG_NAME_FIELD && name.size() - dot - 1 <= WINDRV_EXT_SIZE;
}

bool windrv_name_is_legal(std::string_view name) {
    for (size_t i = 0; i < name.size(); i += sjis_char_length(name, i))
        if (ILLEGAL_IN_LISTINGS.find(name[i]) != std::string_view::npos) return false;
    return true;
}

FcbNameFields windrv_host_name_fields(std::string_view name, bool longname) {
    FcbNameFields f;
    uint8_t field[LONG_NAME_FIELD];
    std::memset(field, BLANK, sizeof field);
    std::memset(f.ext, BLANK, sizeof f.ext);
    size_t dot = longname ? name.rfind(DOT) : name.find(DOT);
    std::string_view base = name.substr(0, dot), ext;
    if (dot != std::string_view::npos) ext = name.substr(dot + 1);
    base = base.substr(0, sjis_cut(base, longname ? LONG_NAME_FIELD : SHORT_NAME_FIELD));
    ext = ext.substr(0, sjis_cut(ext, WINDRV_EXT_SIZE));
    std::memcpy(field, base.data(), base.size());
    std::memcpy(f.ext, ext.data(), ext.size());
    std::memcpy(f.name1, field, sizeof f.name1);
    if (longname) std::memcpy(f.name2, field + sizeof f.name1, sizeof f.name2);
    else std::memset(f.name2, 0, sizeof f.name2);
    return f;
}
