// The sixteen condition tests of Bcc, DBcc and Scc.
#pragma once

#include <cstdint>

#include "core/decode.h"

extern const uint8_t g_cc_ge_table[16];
extern const uint8_t g_cc_lt_table[16];
extern const uint8_t g_cc_gt_table[16];
extern const uint8_t g_cc_le_table[16];

uint32_t cpu_cc_t();
uint32_t cpu_cc_f();
uint32_t cpu_cc_hi();
uint32_t cpu_cc_ls();
uint32_t cpu_cc_cc();
uint32_t cpu_cc_cs();
uint32_t cpu_cc_ne();
uint32_t cpu_cc_eq();
uint32_t cpu_cc_vc();
uint32_t cpu_cc_vs();
uint32_t cpu_cc_pl();
uint32_t cpu_cc_mi();
uint32_t cpu_cc_ge();
uint32_t cpu_cc_lt();
uint32_t cpu_cc_gt();
uint32_t cpu_cc_le();

// Condition routine of a cc field (0-15).
extern const CondRoutine g_cc_routines[16];
