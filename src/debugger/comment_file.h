// "comment.lst": names for addresses and address ranges (section 1) and for
// IOCS call numbers (section 2), shown after the listing lines.
//
//   [fe0000 fe03ff] ;IPL_START      a range, first and last address
//   [e88001] ;GPIP                  one address
//   #                               ends section 1
//   [23] ;B_PRINT                   a value
//   #                               ends section 2
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr size_t DIS_COMMENT_LINE_SIZE = 256;  // a line: 255 characters and the terminator
inline constexpr size_t DIS_COMMENT_WORD_SIZE = 128;  // a comment word: 127 and the terminator
inline constexpr size_t DIS_COMMENT_OUT_SIZE = 128;   // the comments of one listing line

// The comments gathered for the current listing line, joined by ",".
extern char g_dis_comment_out[DIS_COMMENT_OUT_SIZE];

// Reads "comment.lst" from the current folder; when it cannot be opened or
// read, the text loaded before stays.
void dis_load_comments();
bool dis_load_comments_from(const char* path);
void dis_free_comments();
bool dis_comments_loaded();

// Section-1 comment of address; nothing while the history form is on.
void dis_comment_for_address(uint32_t address);
// The same lookup in any form (the I/O access log).
void dis_comment_for_access(uint32_t address);
// Section-2 comment of a value.
void dis_comment_for_value(uint32_t value);

// Appends a word to g_dis_comment_out, after "," when it holds some; a word
// that does not fit whole is left out.
void dis_comment_append(const char* word);
void dis_comment_clear();
