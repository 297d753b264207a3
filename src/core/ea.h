// Effective-address operand routines, by mode index and size.
#pragma once

#include <cstdint>

#include "core/decode.h"

// Sizes as the opcodes' size field gives them.
enum OpSize : uint32_t { SIZE_B = 0, SIZE_W = 1, SIZE_L = 2 };

extern const EaRead g_ea_addr_table[12];
extern const EaRead g_ea_read_table[3][12];
extern const EaRead g_ea_peek_table[3][12];
extern const EaWrite g_ea_write_table[3][12];

inline EaRead ea_addr(uint32_t m) { return g_ea_addr_table[m]; }
inline EaRead ea_read(uint32_t size, uint32_t m) { return g_ea_read_table[size][m]; }
inline EaRead ea_peek(uint32_t size, uint32_t m) { return g_ea_peek_table[size][m]; }
inline EaWrite ea_write(uint32_t size, uint32_t m) { return g_ea_write_table[size][m]; }

// The address of (d8,base,Xn) for a brief extension word.
uint32_t ea_index_address(uint32_t base, uint32_t ext);

// Routines that handlers call by name.
EaResult ea_read_imm_w(uint32_t* slot, uint32_t pc);
EaResult ea_read_imm_l(uint32_t* slot, uint32_t pc);
EaResult ea_peek_imm_w(uint32_t* slot, uint32_t pc);
EaResult ea_peek_imm_l(uint32_t* slot, uint32_t pc);
