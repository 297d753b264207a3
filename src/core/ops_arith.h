// Integer and decimal arithmetic and compare instructions: ADD, ADDA, ADDI,
// ADDQ, ADDX, SUB, SUBA, SUBI, SUBQ, SUBX, CMP, CMPA, CMPI, CMPM, NEG,
// NEGX, ABCD, SBCD and NBCD.
//
// Record fields: ea is the EA register slot (for ADDX, SUBX, ABCD, SBCD and
// CMPM the register of bits 0-2, the source), reg the register of bits 9-11
// (Dn, An, or the destination of ADDX, SUBX, ABCD, SBCD and CMPM), src the
// read or peek routine, dst the write routine, value the quick value of
// ADDQ and SUBQ (1-8).
#pragma once

#include <cstdint>

#include "core/decode.h"

OpResult cpu_op_add_ea_dn_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_add_ea_dn_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_add_ea_dn_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_add_dn_ea_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_add_dn_ea_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_add_dn_ea_l(const DecodeRecord* rec, uint32_t pc);

OpResult cpu_op_sub_ea_dn_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_sub_ea_dn_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_sub_ea_dn_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_sub_dn_ea_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_sub_dn_ea_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_sub_dn_ea_l(const DecodeRecord* rec, uint32_t pc);

OpResult cpu_op_cmp_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_cmp_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_cmp_l(const DecodeRecord* rec, uint32_t pc);

OpResult cpu_op_adda_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_adda_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_suba_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_suba_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_cmpa_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_cmpa_l(const DecodeRecord* rec, uint32_t pc);

OpResult cpu_op_addi_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_addi_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_addi_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_subi_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_subi_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_subi_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_cmpi_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_cmpi_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_cmpi_l(const DecodeRecord* rec, uint32_t pc);

OpResult cpu_op_addq_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_addq_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_addq_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_subq_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_subq_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_subq_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_addq_an(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_subq_an(const DecodeRecord* rec, uint32_t pc);

OpResult cpu_op_cmpm_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_cmpm_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_cmpm_l(const DecodeRecord* rec, uint32_t pc);

OpResult cpu_op_neg_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_neg_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_neg_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_negx_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_negx_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_negx_l(const DecodeRecord* rec, uint32_t pc);

OpResult cpu_op_addx_rr_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_addx_rr_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_addx_rr_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_addx_mm_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_addx_mm_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_addx_mm_l(const DecodeRecord* rec, uint32_t pc);

OpResult cpu_op_subx_rr_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_subx_rr_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_subx_rr_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_subx_mm_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_subx_mm_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_subx_mm_l(const DecodeRecord* rec, uint32_t pc);

OpResult cpu_op_abcd_rr(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_abcd_mm(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_sbcd_rr(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_sbcd_mm(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_nbcd(const DecodeRecord* rec, uint32_t pc);
