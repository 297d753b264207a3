// Shift-JIS (CP932) text, the emulated system's file names, and its UTF-8
// form on the host, converted by iconv.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// False when the text holds a byte sequence the other side cannot show.
bool sjis_to_utf8(std::string_view sjis, std::string& utf8);
bool utf8_to_sjis(std::string_view utf8, std::string& sjis);

// A lead byte of a double-byte character.
inline bool sjis_is_lead(uint8_t c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
inline bool sjis_is_trail(uint8_t c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }
// Single bytes CP932 leaves undefined.
inline bool sjis_single_undefined(uint8_t c) { return c == 0x80 || c == 0xA0 || c >= 0xFD; }
// The length in bytes of the character at s[i] (1 or 2; 1 for a lead byte
// at the very end).
inline size_t sjis_char_length(std::string_view s, size_t i) {
    return sjis_is_lead(uint8_t(s[i])) && i + 1 < s.size() ? 2 : 1;
}
// The longest prefix of s of at most max bytes that ends on a character
// boundary.
size_t sjis_cut(std::string_view s, size_t max);
