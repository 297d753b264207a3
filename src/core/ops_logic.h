// Logic instructions: AND, OR, EOR, their immediate forms, NOT and the
// immediate operations on the CCR and on the SR.
#pragma once

#include <cstdint>

#include "core/decode.h"

// AND, OR <ea>,Dn
OpResult cpu_op_and_ea_dn_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_and_ea_dn_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_and_ea_dn_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_or_ea_dn_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_or_ea_dn_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_or_ea_dn_l(const DecodeRecord* rec, uint32_t pc);

// AND, OR Dn,<ea>
OpResult cpu_op_and_dn_ea_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_and_dn_ea_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_and_dn_ea_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_or_dn_ea_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_or_dn_ea_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_or_dn_ea_l(const DecodeRecord* rec, uint32_t pc);

// EOR Dn,<ea>
OpResult cpu_op_eor_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_eor_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_eor_l(const DecodeRecord* rec, uint32_t pc);

// ANDI, ORI, EORI #imm,<ea>
OpResult cpu_op_andi_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_andi_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_andi_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_ori_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_ori_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_ori_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_eori_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_eori_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_eori_l(const DecodeRecord* rec, uint32_t pc);

// NOT <ea>
OpResult cpu_op_not_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_not_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_not_l(const DecodeRecord* rec, uint32_t pc);

// ANDI, ORI, EORI #imm,CCR (any mode)
OpResult cpu_op_andi_ccr(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_ori_ccr(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_eori_ccr(const DecodeRecord* rec, uint32_t pc);

// ANDI, ORI, EORI #imm,SR (supervisor only)
OpResult cpu_op_andi_sr(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_ori_sr(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_eori_sr(const DecodeRecord* rec, uint32_t pc);
