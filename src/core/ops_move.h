// Data-movement instructions: MOVE, MOVEA, MOVEQ, MOVEM, MOVEP, MOVE to CCR,
// MOVE to and from SR, MOVE USP.
//
// Records (built by the cpu_build_move* builders):
//   MOVE            ea = source slot, src = source read, reg = destination slot,
//                   dst = destination write, cycles
//   MOVEA           ea = source slot, src = read, reg = Aq, cycles
//   MOVEQ           reg = Dq, value = the sign-extended data, aux = its N and Z bits
//   MOVE to CCR/SR  ea, src = word read, cycles
//   MOVE from SR    ea, dst = word write, cycles
//   MOVE USP        ea = Ar
//   MOVEM           ea = Ar, src = address routine (none for (An)+ and -(An)),
//                   cycles = T + 8 (not used by the handlers)
//   MOVEP           ea = Ay, reg = Dx
#pragma once

#include <cstdint>

#include "core/decode.h"

OpResult cpu_op_move_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_move_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_move_l(const DecodeRecord* rec, uint32_t pc);

OpResult cpu_op_movea_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_movea_l(const DecodeRecord* rec, uint32_t pc);

OpResult cpu_op_moveq(const DecodeRecord* rec, uint32_t pc);

OpResult cpu_op_move_to_ccr(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_move_to_sr(const DecodeRecord* rec, uint32_t pc);  // supervisor only
OpResult cpu_op_move_from_sr(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_move_usp_an(const DecodeRecord* rec, uint32_t pc);  // supervisor only
OpResult cpu_op_move_an_usp(const DecodeRecord* rec, uint32_t pc);  // supervisor only

// MOVEM list,-(An) / (An)+,list / <control>,list / list,<control>
OpResult cpu_op_movem_w_predec(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_movem_l_predec(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_movem_w_postinc(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_movem_l_postinc(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_movem_w_to_regs(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_movem_l_to_regs(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_movem_w_to_mem(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_movem_l_to_mem(const DecodeRecord* rec, uint32_t pc);

// MOVEP (d16,Ay),Dx / Dx,(d16,Ay)
OpResult cpu_op_movep_w_to_reg(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_movep_l_to_reg(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_movep_w_to_mem(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_movep_l_to_mem(const DecodeRecord* rec, uint32_t pc);
