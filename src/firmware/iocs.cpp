#include "firmware/iocs.h"

FirmwareRoutine g_iocs_hook_table[256];
FirmwareRoutine g_iocs_native_table[256];
