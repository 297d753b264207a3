// Listing line assembly: head, operands, labels, markers and comments.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/bus.h"
#include "core/cpu_regs.h"
#include "core/trace.h"
#include "debugger/comment_file.h"
#include "debugger/debugger.h"
#include "debugger/disasm.h"
#include "machine/bus_peek.h"

char g_dis_access_note[DIS_NOTE_SIZE];
uint32_t g_dis_history_mode;

namespace {

inline constexpr uint32_t IPLROM_BASE = 0xFE0000;
// Characters a line may hold before its line end and terminator.
inline constexpr uint32_t LINE_CAPACITY = DIS_LINE_SIZE - 2;

int32_t sext16(uint32_t w) { return int16_t(uint16_t(w)); }

// Writes the extension word(s) into the head, never past the marker column.
void head_word(DisLine& line, const char* fmt, uint32_t value) {
    char buf[16];
    int n = std::snprintf(buf, sizeof buf, fmt, value);
    for (int i = 0; i < n && line.head_pos <= DIS_MARKER_COLUMN; ++i) line.text[line.head_pos++] = buf[i];
}

// Index register of a brief extension word: "A3.L", "D0.W".
void append_index(DisLine& line, const char* base, uint32_t w) {
    dis_append(line, "$%.2X(%s,%c%1d.%c)", w & 0xFF, base, (w & 0x8000) ? 'A' : 'D', (w >> 12) & 7,
               (w & 0x0800) ? 'L' : 'W');
}

}  // namespace

uint32_t dis_size_bits(uint32_t opcode) {
    uint32_t s = opcode & 0xC0;
    return s == 0 ? 8 : s == 0x40 ? 16 : 32;
}
const char* dis_size_letter(uint32_t bits) { return bits == 8 ? "b" : bits == 16 ? "w" : "l"; }
const char* dis_size_letter_012(uint32_t s) { return s == 0 ? "b" : s == 1 ? "w" : "l"; }
const char* dis_bit_size_letter(uint32_t mode) { return mode == EA_DN ? "l" : "b"; }

void dis_append(DisLine& line, const char* fmt, ...) {
    if (line.len >= LINE_CAPACITY) return;
    va_list args;
    va_start(args, fmt);
    int n = std::vsnprintf(line.text + line.len, LINE_CAPACITY - line.len + 1, fmt, args);
    va_end(args);
    if (n > 0) line.len = std::min<uint32_t>(line.len + uint32_t(n), LINE_CAPACITY);
}

void dis_put(DisLine& line, uint32_t col, const char* text) {
    for (; *text && col < LINE_CAPACITY; ++col, ++text) {
        while (line.len < col) line.text[line.len++] = ' ';
        line.text[col] = *text;
        if (col == line.len) line.len++;
    }
    line.text[line.len] = '\0';
}

void dis_head(DisLine& line, uint32_t address, uint32_t opcode) {
    line.len = 0;
    dis_append(line, "%.7X %.4X                   ", address, opcode);
    line.head_pos = 13;
}

void dis_head_ext(DisLine& line, uint32_t address, uint32_t opcode, uint32_t word) {
    line.len = 0;
    dis_append(line, "%.7X %.4X %.4X              ", address, opcode, word);
    line.head_pos = 18;
}

uint32_t dis_format_ea(DisLine& line, uint32_t reg, uint32_t ext_addr, uint32_t size, uint32_t mode) {
    switch (mode) {
    case EA_DN: dis_append(line, "D%1d", reg); return ext_addr;
    case EA_AN: dis_append(line, "A%1d", reg); return ext_addr;
    case EA_IND: dis_append(line, "(A%1d)", reg); return ext_addr;
    case EA_POSTINC: dis_append(line, "(A%1d)+", reg); return ext_addr;
    case EA_PREDEC: dis_append(line, "-(A%1d)", reg); return ext_addr;
    default: break;
    }
    const uint32_t w = bus_peek_word(ext_addr);
    switch (mode) {
    case EA_DISP: dis_append(line, "$%.4X(A%1d)", w, reg); break;
    case EA_INDEX: {
        char base[4];
        std::snprintf(base, sizeof base, "A%1d", reg & 7);
        append_index(line, base, w);
        break;
    }
    case EA_ABSW:
        dis_append(line, "$%.4X.W", w);
        // The word addresses $FFFF8000-$FFFFFFFF, that is $FF8000-$FFFFFF on the bus.
        dis_comment_for_address(uint32_t(sext16(w)) & 0xFFFFFF);
        break;
    case EA_PCDISP: dis_append(line, "$%.4X(PC)", w); break;
    case EA_PCINDEX: append_index(line, "PC", w); break;
    case EA_ABSL:
    case EA_IMM: {
        if (mode == EA_IMM && size == 8) {
            dis_append(line, "#$%.2X", w & 0xFF);
            break;
        }
        if (mode == EA_IMM && size == 16) {
            dis_append(line, "#$%.4X", w);
            break;
        }
        const uint32_t l = bus_peek_long(ext_addr);
        dis_append(line, mode == EA_IMM ? "#$%.8X" : "$%.8X", l);
        dis_comment_for_address(l);
        head_word(line, "%.8X ", l);
        return ext_addr + 4;
    }
    default:  // no record has modes 12-14
        dis_append(line, "?");
        return ext_addr;
    }
    head_word(line, "%.4X ", w);
    return ext_addr + 2;
}

void dis_emit_line(DisLine& line, uint32_t marker_addr) {
    while (line.len < DIS_HEAD_WIDTH) dis_append(line, " ");
    if (g_dis_history_mode) {
        std::memset(line.text + 8, ' ', DIS_MARKER_COLUMN - 8 + 1);
        g_dis_history_mode = 0;
    }
    marker_addr &= 0xFFFFFF;
    if (marker_addr > IPLROM_BASE) {
        const uint8_t f = g_rom_access_map[marker_addr & (ROM_ACCESS_MAP_SIZE - 1)];
        const char kind = (f & ROM_LABEL_B) ? 'S' : (f & ROM_LABEL_A) ? 'J' : (f & ROM_LABEL_C) ? 'L' : 0;
        if (kind) {
            char label[12];
            std::snprintf(label, sizeof label, " /%c_%.6s/", kind, line.text + 1);
            std::memcpy(line.text + 19, label, 11);
        }
        if (f & ROM_EXECUTED) line.text[DIS_MARKER_COLUMN] = '+';
    }
    if (g_dis_access_note[0]) dis_put(line, 8, g_dis_access_note);
    if (marker_addr == (g_cpu_regs.op_addr & 0xFFFFFF)) line.text[DIS_MARKER_COLUMN] = '*';
    if (marker_addr == (g_cpu_regs.pc & 0xFFFFFF)) line.text[DIS_MARKER_COLUMN] = '@';
    if (g_dis_comment_out[0]) dis_append(line, " ;%s", g_dis_comment_out);
    // The line end always fits: one place is kept free for it.
    line.text[line.len++] = '\n';
    line.text[line.len] = '\0';
    g_dis_access_note[0] = '\0';
    dis_comment_clear();
}

uint32_t dis_line(uint32_t address, DisLine& out) {
    address &= 0xFFFFFE;
    const uint32_t opcode = bus_peek_word(address);
    if (!g_dis_history_mode) dis_comment_clear();
    out.len = 0;
    out.text[0] = '\0';
    const DecodeRecord* rec = g_opcode_table[opcode];
    const uint32_t next = rec->dis(rec, address, opcode, out);
    return next & 0xFFFFFE;
}

uint32_t dis_instruction(uint32_t address) {
    DisLine line;
    const uint32_t next = dis_line(address, line);
    dbg_write("%s", line.text);
    return next;
}
