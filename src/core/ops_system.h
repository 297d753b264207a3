// System control, traps and the register and stack-frame instructions:
// TRAP, TRAPV, CHK, STOP, RESET, NOP, LINK, UNLK, LEA, PEA, EXG, EXT, SWAP,
// CLR, TST, TAS and Scc.
#pragma once

#include <cstdint>

#include "core/decode.h"

OpResult cpu_op_trap(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_trapv(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_chk(const DecodeRecord* rec, uint32_t pc);
// STOP waits by running again and again with its own address as the next
// PC; it sets g_cpu_regs.stopped (core/cpu_regs.h) each time, so that the
// interrupt that ends the wait stacks the address after the STOP.
OpResult cpu_op_stop(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_reset(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_nop(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_link(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_unlk(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_lea(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_pea(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_exg(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_ext_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_ext_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_swap(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_clr(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_tst_b(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_tst_w(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_tst_l(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_tas(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_scc(const DecodeRecord* rec, uint32_t pc);
