// Character classes shared by the debugger's line readers (command lines,
// "comment.lst"): white space as isspace has it in the C locale, hex digits.
#pragma once

inline bool text_is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
// 0-15, or -1 for a character that is no hex digit.
inline int text_hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
