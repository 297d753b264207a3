// Shift and rotate instructions: ASL, ASR, LSL, LSR, ROL, ROR, ROXL, ROXR.
//
// Records (built by cpu_build_shifts):
//   #n,Dy   ea = Dy, value = count 1-8, cycles
//   Dx,Dy   ea = Dy, reg = Dx (the count register), cycles
//   <ea>    ea = EA slot, src = word peek, dst = word write, cycles
#pragma once

#include <cstdint>

#include "core/decode.h"

// Count in the opcode: #n,Dy
OpResult cpu_op_asr_imm_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_asr_imm_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_asr_imm_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_asl_imm_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_asl_imm_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_asl_imm_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_lsr_imm_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_lsr_imm_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_lsr_imm_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_lsl_imm_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_lsl_imm_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_lsl_imm_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_roxr_imm_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_roxr_imm_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_roxr_imm_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_roxl_imm_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_roxl_imm_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_roxl_imm_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_ror_imm_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_ror_imm_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_ror_imm_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_rol_imm_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_rol_imm_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_rol_imm_l(const DecodeRecord* rec, uint32_t pc);

// Count in a data register: Dx,Dy (count = Dx AND 63)
OpResult cpu_op_asr_reg_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_asr_reg_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_asr_reg_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_asl_reg_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_asl_reg_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_asl_reg_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_lsr_reg_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_lsr_reg_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_lsr_reg_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_lsl_reg_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_lsl_reg_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_lsl_reg_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_roxr_reg_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_roxr_reg_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_roxr_reg_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_roxl_reg_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_roxl_reg_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_roxl_reg_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_ror_reg_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_ror_reg_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_ror_reg_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_rol_reg_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_rol_reg_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_rol_reg_l(const DecodeRecord* rec, uint32_t pc);

// Memory word shifted by one bit: <ea>
OpResult cpu_op_asr_mem(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_asl_mem(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_lsr_mem(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_lsl_mem(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_roxr_mem(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_roxl_mem(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_ror_mem(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_rol_mem(const DecodeRecord* rec, uint32_t pc);
