#include "firmware/iocs.h"

#include "input/keyboard.h"

FirmwareRoutine g_iocs_hook_table[256];
FirmwareRoutine g_iocs_native_table[256];
uint32_t g_iocs_call_again;

// The paste text is typed on with every IOCS call but _B_KEYSNS.
void iocs_call_started(uint32_t call) {
    if (call != IOCS_B_KEYSNS && !g_paste_text.empty()) key_type_pump();
}
