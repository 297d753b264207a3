/* The processor benchmark's guest program: one round of a fixed mix of
 * integer work. The same source is compiled for the 68000 (the guest image)
 * and for the host (the expected checksum), so everything here is written
 * with explicit widths and without behaviour that differs between the two.
 */
#ifndef ZOLM_CPU_WORKLOAD_H
#define ZOLM_CPU_WORKLOAD_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* One round; its result depends only on the round number. */
uint32_t wl_round(uint32_t round);

/* Folds a round's result into the running checksum. */
uint32_t wl_accumulate(uint32_t acc, uint32_t round_result);

/* A call through TRAP #0 on the guest: (a rotated left by 5) + b. */
uint32_t wl_trap(uint32_t a, uint32_t b);

#ifdef __cplusplus
}
#endif

#endif
