#include "machine/mfp.h"

uint8_t g_mfp_regs[64];

void mfp_schedule_timer_c(int) {}
void mfp_schedule_timer_d(int) {}
