// Configuration values.
#pragma once

extern int g_cfg_fpu;      // serve FE-calls on the host
extern int g_cfg_nmidebug; // NMI breaks into the debugger
extern int g_cfg_key;      // keyboard through the MFP (0: IOCS key calls)
extern int g_cfg_mouse;    // mouse through the SCC (0: IOCS work area)
extern int g_cfg_frame;    // FRAME: the frame budget follows the cycles the host runs
extern int g_cfg_minclock; // MINCLOCK: the budget's floor is 5 MHz instead of 10 MHz

#include <string>
extern std::string g_cfg_winfont; // WINFONT: face of the substitute CG ROM
extern std::string g_cfg_font;    // FONT: a CG ROM image file that replaces the loaded one
