#include "input/keyboard_iocs.h"

#include "core/cpu_regs.h"

// No key buffer is kept yet: every call answers as an idle keyboard.
void key_iocs_b_keyinp() { g_cpu_regs.r[0] = 0; }
void key_iocs_b_keysns() { g_cpu_regs.r[0] = 0; }
void key_iocs_b_sftsns() { g_cpu_regs.r[0] = 0; }
void key_iocs_key_init() {}
void key_iocs_bitsns() { g_cpu_regs.r[0] = 0; }
