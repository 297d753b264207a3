// Reading "AT2X.KEY": bounded text lines, key table entries and pad lines.
#include <cstring>
#include <string>
#include <string_view>

#include "host/paths.h"
#include "input/joystick.h"
#include "input/keymap.h"
#include "machine/rom_files.h"

namespace {

constexpr int TEXT_EOF = 0x1A;  // ends a text file
constexpr char OLD_PAD_TEXT[] = "PADの定義ファイルが変更になりました。\n\r新しいAT2X.KEYに差し替えてください。";
constexpr char OLD_PAD_CAPTION[] = "PAD定義変更のお知らせ";

enum class Section { NONE, SCA, ASC, TSCA, TASC, KEY, PAD };

struct SectionTag {
    const char* tag;  // matched without its final '.'
    Section section;
};
constexpr SectionTag SECTION_TAGS[] = {
    {"/sca", Section::SCA},   {"/asc", Section::ASC}, {"/tsca", Section::TSCA},
    {"/tasc", Section::TASC}, {"/key", Section::KEY}, {"/pad", Section::PAD},
};
constexpr char END_TAG[] = "/end";

// Reads one line of at most KEYMAP_LINE_MAX characters into line, as a
// text-mode read sees it: CR before LF dropped, 0x1A the end of the file.
// The rest of a longer line is read and dropped. False at the end.
bool read_line(std::FILE* f, std::string& line) {
    line.clear();
    bool any = false;
    for (;;) {
        int c = std::fgetc(f);
        if (c == EOF || c == TEXT_EOF) return any;
        any = true;
        if (c == '\n') return true;
        if (c == '\r') {
            int next = std::fgetc(f);
            if (next == '\n') return true;
            if (next != EOF) std::ungetc(next, f);
        }
        if (line.size() < KEYMAP_LINE_MAX) line.push_back(static_cast<char>(c));
    }
}

bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// A cursor over a line, with the conversions of scanf: "%x", "%d", a
// literal and the blanks a blank in the format matches.
struct Scanner {
    std::string_view text;
    size_t pos = 0;

    char peek(size_t ahead = 0) const { return pos + ahead < text.size() ? text[pos + ahead] : '\0'; }
    void skip_blanks() {
        while (pos < text.size() && is_space(text[pos])) ++pos;
    }
    bool literal(char c) {
        if (peek() != c) return false;
        ++pos;
        return true;
    }
    // Blanks, a sign, then digits (for base 16 after an optional 0x). A
    // value beyond 32 bits fails; a negative one wraps as scanf stores it.
    bool number(int base, uint32_t& out) {
        skip_blanks();
        bool negative = peek() == '-';
        if (negative || peek() == '+') ++pos;
        if (base == 16 && peek() == '0' && ascii_lower(peek(1)) == 'x' && hex_digit(peek(2)) >= 0) pos += 2;
        uint64_t value = 0;
        size_t start = pos;
        for (int d; pos < text.size() && (d = hex_digit(text[pos])) >= 0 && d < base; ++pos) {
            value = value * base + d;
            if (value > UINT32_MAX) return false;
        }
        if (pos == start) return false;
        out = static_cast<uint32_t>(negative ? 0 - value : value);
        return true;
    }
};

// "%x = %x" (which takes "%x=%x" and "%x\t=\t%x" as well).
bool scan_entry(std::string_view line, uint32_t& v, uint32_t& i) {
    Scanner s{line};
    if (!s.number(16, v)) return false;
    s.skip_blanks();
    return s.literal('=') && s.number(16, i);
}

// "%d = %s": a table number, '=', and at least one more word.
bool scan_pad_head(std::string_view line, uint32_t& t) {
    Scanner s{line};
    if (!s.number(10, t)) return false;
    s.skip_blanks();
    if (!s.literal('=')) return false;
    s.skip_blanks();
    return s.pos < line.size();
}

void store_entry(Section section, uint32_t v, uint32_t i) {
    uint8_t low = static_cast<uint8_t>(v);
    bool ext = (v & KEYMAP_EXT_BIT) != 0;
    switch (section) {
    case Section::SCA:
        g_keymap.sca[i & 0xFF] = low;
        if (ext) g_keymap.ext[i & 0xFF] = low;
        break;
    case Section::ASC: g_keymap.asc[i & 0xFF] = low; break;
    case Section::TSCA:
        g_keymap.sca[KEYMAP_UPPER + (i & 0x7F)] = low;
        if (ext) g_keymap.ext[KEYMAP_UPPER + (i & 0x7F)] = low;
        break;
    case Section::TASC: g_keymap.asc[KEYMAP_UPPER + (i & 0x7F)] = low; break;
    case Section::KEY: g_keymap.key[i & 0xFF] = low & KEYMAP_KEY_MASK; break;
    case Section::NONE:
    case Section::PAD: break;
    }
}

bool is_old_pad_char(char c) {
    char l = ascii_lower(c);
    return l == 'x' || l == 'y' || l == 'z';
}

// A pad line: table t defined afresh, then 16 groups of sources for the
// output bits 15 down to 0.
void read_pad_line(std::string_view line) {
    uint32_t t;
    if (!scan_pad_head(line, t) || t >= static_cast<uint32_t>(JOY_PAD_TABLES)) return;
    uint32_t* table = g_joystick.pad_tables[t];
    for (int s = 0; s < JOY_SOURCES; ++s) table[s] = UINT32_MAX;
    size_t pos = KEYMAP_PAD_COLUMN;
    for (int bit = KEYMAP_PAD_BITS - 1; bit >= 0; --bit) {
        while (pos < line.size() && keymap_pad_char_index(line[pos]) < 0) {
            if (is_old_pad_char(line[pos])) g_keymap.old_pad_format = 1;
            ++pos;
        }
        if (pos >= line.size()) return;
        for (int s; pos < line.size() && (s = keymap_pad_char_index(line[pos])) >= 0 && s < JOY_SOURCES; ++pos)
            table[s] &= ~(uint32_t{1} << bit);
        if (pos < line.size()) ++pos;  // the character that ended the group
    }
}

bool starts_with(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

}  // namespace

int keymap_pad_char_index(char c) {
    switch (c) {
    case '1': return 0;
    case '2': return 1;
    case '4': return 2;
    case '8': return 3;
    case '*': return KEYMAP_PAD_STAR;
    default: break;
    }
    if (c >= 'A' && c <= 'L') return 4 + (c - 'A');
    if (c >= 'a' && c <= 'l') return 20 + (c - 'a');
    return -1;
}

void keymap_read(std::FILE* f) {
    std::memset(g_keymap.sca, 0, sizeof g_keymap.sca);
    std::memset(g_keymap.ext, 0, sizeof g_keymap.ext);
    std::memset(g_keymap.asc, 0, sizeof g_keymap.asc);
    std::memset(g_keymap.key, 0, sizeof g_keymap.key);
    Section section = Section::NONE;
    std::string raw, lower;
    raw.reserve(KEYMAP_LINE_MAX);
    while (read_line(f, raw)) {
        // A NUL ends the line as the C string functions see it.
        std::string_view line(raw.c_str());
        lower.assign(line);
        for (char& c : lower) c = ascii_lower(c);
        if (starts_with(lower, END_TAG)) break;
        bool tag = false;
        for (const SectionTag& s : SECTION_TAGS)
            if (starts_with(lower, s.tag)) {
                section = s.section;
                tag = true;
                break;
            }
        if (tag || line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (section == Section::PAD) {
            read_pad_line(line);
            continue;
        }
        uint32_t v, i;
        if (scan_entry(line, v, i)) store_entry(section, v, i);
    }
}

void keymap_load() {
    for (const std::string* folder : {&g_start_dir, &g_exe_dir}) {
        std::FILE* f = init_open_logged(KEYMAP_FILE_NAME, *folder);
        if (!f) continue;
        keymap_read(f);
        std::fclose(f);
        if (g_keymap.old_pad_format) {
            g_keymap.old_pad_format = 0;
            g_init_message_box(OLD_PAD_TEXT, OLD_PAD_CAPTION, MB_PLAIN);
        }
        return;
    }
}
