// Exception entry, interrupts and status register writes.
#pragma once

#include <cstdint>

#include "core/decode.h"

// Vector offsets.
inline constexpr uint32_t VEC_BUS_ERROR = 0x08, VEC_ADDRESS_ERROR = 0x0C, VEC_ILLEGAL = 0x10, VEC_ZERO_DIVIDE = 0x14,
                          VEC_CHK = 0x18, VEC_TRAPV = 0x1C, VEC_PRIVILEGE = 0x20, VEC_TRACE = 0x24, VEC_LINE_A = 0x28,
                          VEC_LINE_F = 0x2C, VEC_TRAP0 = 0x80;

// Stacks the frame and continues at the handler; never returns.
[[noreturn]] void cpu_take_exception(uint32_t vector_offset, uint32_t pc);
[[noreturn]] void cpu_raise_exception(uint32_t vector_offset, uint32_t pc);
[[noreturn]] void cpu_raise_zero_divide(uint32_t pc);
// Fault road: returns only while the run loop is not running.
void cpu_raise_fault_exception(uint32_t vector_offset, uint32_t pc);
// Privilege violation of the instruction whose handler PC is given.
void cpu_privilege_violation(uint32_t handler_pc);
[[noreturn]] void cpu_double_fault_halt();
void cpu_trace_step();  // may take the trace exception

OpResult cpu_op_illegal(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_dos_call(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_fe_call(const DecodeRecord* rec, uint32_t pc);

void cpu_set_sr(uint32_t value);
inline void cpu_set_sr_reg(uint32_t value) { cpu_set_sr(value); }

// Sets the pending bit of a level 1-7 and lets the processor accept it.
void cpu_raise_level_interrupt(uint32_t level);
void cpu_check_interrupts();
void cpu_request_interrupt(uint32_t vector, uint32_t level);
void cpu_take_interrupt();
