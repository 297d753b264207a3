// Single-bit instructions BTST, BCHG, BCLR and BSET: bit number in Dn or in
// an extension word, operand a data register (32 bits) or a memory byte.
#pragma once

#include <cstdint>

#include "core/decode.h"

OpResult cpu_op_btst_dn_dn(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_bchg_dn_dn(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_bclr_dn_dn(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_bset_dn_dn(const DecodeRecord* rec, uint32_t pc);

OpResult cpu_op_btst_dn_ea(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_bchg_dn_ea(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_bclr_dn_ea(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_bset_dn_ea(const DecodeRecord* rec, uint32_t pc);

OpResult cpu_op_btst_imm_dn(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_bchg_imm_dn(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_bclr_imm_dn(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_bset_imm_dn(const DecodeRecord* rec, uint32_t pc);

OpResult cpu_op_btst_imm_ea(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_bchg_imm_ea(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_bclr_imm_ea(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_bset_imm_ea(const DecodeRecord* rec, uint32_t pc);
