// Configuration values.
#pragma once

extern int g_cfg_fpu;      // serve FE-calls on the host
extern int g_cfg_nmidebug; // NMI breaks into the debugger
