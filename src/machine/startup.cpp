#include "machine/startup.h"

#include "core/bus.h"
#include "core/cpu_regs.h"

void init_reset_machine() {
    g_cpu_sr = 0x2700;
    uint32_t ssp = mem_read_long_c(0xFF0000);
    cpu_sp() = g_cpu_ssp_save = g_cpu_usp_save = ssp;
    g_cpu_pc = mem_read_long_c(0xFF0004);
    g_cycles = 0;
    g_cycle_deadline = 0x7FFFFFFF;
    g_irq_request = g_irq_level = g_irq_vector_offset = 0;
    g_refetch = 1;
}
