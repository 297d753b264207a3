// Program flow: branches, DBcc, JMP, JSR, RTS, RTR and RTE.
#pragma once

#include <cstdint>

#include "core/decode.h"

// BRA, BSR and the conditional branches with a byte displacement.
OpResult cpu_op_bra_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_bsr_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_bhi_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_bls_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_bcc_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_bcs_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_bne_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_beq_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_bvc_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_bvs_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_bpl_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_bmi_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_bge_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_blt_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_bgt_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_ble_b(const DecodeRecord* rec, uint32_t pc);

// Word displacement forms.
OpResult cpu_op_bra_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_bsr_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_bcond_w(const DecodeRecord* rec, uint32_t pc);

OpResult cpu_op_dbcc(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_dbf(const DecodeRecord* rec, uint32_t pc);

OpResult cpu_op_jmp(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_jsr(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_rts(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_rtr(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_rte(const DecodeRecord* rec, uint32_t pc);

// Address error for an odd relative branch target; the address after the
// opcode is stacked. Returns only when no exception is taken (idle).
void cpu_branch_address_error(uint32_t target);
