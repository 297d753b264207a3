// Disassembler: one listing line per instruction, in fixed columns.
//
//   0-6   address (7 hex digits)      8-11  opcode word
//   13-30 extension words             30    marker: '+' executed, '*' current, '@' PC
//   31-   mnemonic field, operands from column 39, then " ;" and the comments
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/boundary.h"
#include "core/decode.h"

inline constexpr size_t DIS_LINE_SIZE = 384;
inline constexpr uint32_t DIS_HEAD_WIDTH = 31;  // columns 0-30
inline constexpr uint32_t DIS_MARKER_COLUMN = 30;

// One listing line while it is built, then as printed (ending in "\n").
struct DisLine {
    char text[DIS_LINE_SIZE];
    uint32_t len;       // characters in text; text[len] is the terminator
    uint32_t head_pos;  // column of the next extension word in the head
};

// Set by the history and I/O-log listings for one line: a note written over
// the line from column 8, and the history form, which blanks columns 8-30.
inline constexpr size_t DIS_NOTE_SIZE = 128;
extern char g_dis_access_note[DIS_NOTE_SIZE];
extern uint32_t g_dis_history_mode;

// Lists the instruction at address (made even, 24-bit) through dbg_write and
// returns the address of the next one.
uint32_t dis_instruction(uint32_t address);
// The same line into out, without printing it.
uint32_t dis_line(uint32_t address, DisLine& out);

// Line building for the family routines.
void dis_head(DisLine& line, uint32_t address, uint32_t opcode);
void dis_head_ext(DisLine& line, uint32_t address, uint32_t opcode, uint32_t word);
void dis_append(DisLine& line, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
// Writes text over the line from column col on, lengthening it with spaces as needed.
void dis_put(DisLine& line, uint32_t col, const char* text);
// Appends one operand of mode index mode (size 8, 16 or 32) and writes its
// extension words into the head; returns the address after them.
uint32_t dis_format_ea(DisLine& line, uint32_t reg, uint32_t ext_addr, uint32_t size, uint32_t mode);
// Completes the line: history form, IPL ROM labels, the note, the markers
// of marker_addr, the comments and the line end.
void dis_emit_line(DisLine& line, uint32_t marker_addr);

uint32_t dis_size_bits(uint32_t opcode);      // bits 7-6: 8, 16, 32
const char* dis_size_letter(uint32_t bits);   // "b", "w", "l"
const char* dis_size_letter_012(uint32_t s);  // 0 "b", 1 "w", other "l"
const char* dis_bit_size_letter(uint32_t mode);

// Opcode fields.
inline uint32_t dis_rx(uint32_t opcode) { return (opcode >> 9) & 7; }
inline uint32_t dis_ry(uint32_t opcode) { return opcode & 7; }
inline uint32_t dis_ea_mode(uint32_t opcode) { return cpu_ea_mode_index((opcode >> 3) & 7, opcode & 7); }

// The family routines (dis_illegal ... dis_fefunc): core/boundary.h.
