// The sixteen condition tests. Each reads the CCR (low byte of SR) and gives
// 0 for false and a nonzero value for true; the value is not reduced to 1.
#include "core/conditions.h"

#include "core/cpu_regs.h"

// Signed conditions by CCR & 0x0F (N = 8, Z = 4, V = 2, C = 1).
const uint8_t g_cc_ge_table[16] = {1, 1, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 0, 0, 1, 1};
const uint8_t g_cc_lt_table[16] = {0, 0, 1, 1, 0, 0, 1, 1, 1, 1, 0, 0, 1, 1, 0, 0};
const uint8_t g_cc_gt_table[16] = {1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0};
const uint8_t g_cc_le_table[16] = {0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 1, 1, 1, 1};

static inline uint32_t ccr() { return g_cpu_regs.sr & 0xFF; }

uint32_t cpu_cc_t() { return 1; }
uint32_t cpu_cc_f() { return 0; }
uint32_t cpu_cc_hi() { return (ccr() & (SR_C | SR_Z)) == 0 ? 1 : 0; }
uint32_t cpu_cc_ls() { return ccr() & (SR_C | SR_Z); }
uint32_t cpu_cc_cc() { return (ccr() & SR_C) ^ SR_C; }
uint32_t cpu_cc_cs() { return ccr() & SR_C; }
uint32_t cpu_cc_ne() { return (ccr() & SR_Z) ^ SR_Z; }
uint32_t cpu_cc_eq() { return ccr() & SR_Z; }
uint32_t cpu_cc_vc() { return (ccr() & SR_V) ^ SR_V; }
uint32_t cpu_cc_vs() { return ccr() & SR_V; }
uint32_t cpu_cc_pl() { return (ccr() & SR_N) ^ SR_N; }
uint32_t cpu_cc_mi() { return ccr() & SR_N; }
uint32_t cpu_cc_ge() { return g_cc_ge_table[ccr() & 0x0F]; }
uint32_t cpu_cc_lt() { return g_cc_lt_table[ccr() & 0x0F]; }
uint32_t cpu_cc_gt() { return g_cc_gt_table[ccr() & 0x0F]; }
uint32_t cpu_cc_le() { return g_cc_le_table[ccr() & 0x0F]; }

const CondRoutine g_cc_routines[16] = {
    cpu_cc_t,  cpu_cc_f,  cpu_cc_hi, cpu_cc_ls, cpu_cc_cc, cpu_cc_cs, cpu_cc_ne, cpu_cc_eq,
    cpu_cc_vc, cpu_cc_vs, cpu_cc_pl, cpu_cc_mi, cpu_cc_ge, cpu_cc_lt, cpu_cc_gt, cpu_cc_le,
};
