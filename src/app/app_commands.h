// The menu commands of the main window that reach the machine, and the
// state the menu shares with the debugger.
#pragma once

#include <cstdint>

// Menu command ids: the items of the menu bar and the panel's "power".
enum MenuCommand : uint32_t {
    CMD_RESET = 1,            // "reset" (IDOK)
    CMD_AC_PLUG = 2,          // "AC plug" (IDCANCEL), also the close box
    CMD_DEBUGGER = 1000,      // "----": the console debugger
    CMD_NMI = 32772,          // "nmi"
    CMD_OPTION = 32789,       // "&option"
    CMD_POWER = 32818,        // "power"
    CMD_INFORMATION = 32819,  // "information"
};

// Set while the console debugger is open and while a run started from the
// menu goes on.
extern int g_running;

// The MFP's GPIP bit of the power switch.
inline constexpr uint8_t GPIP_POWER_SWITCH = 0x04;

// "nmi": the NMI switch request, queued behind a pending request.
void app_on_nmi();
// "power" (and the panel's button): the power switch request, queued
// behind a pending request; the switch bit of GPIP toggles and the panel
// refreshes two slices later.
void app_on_power();
