#include "firmware/fe_calls.h"

FirmwareRoutine g_fe_call_table[256];
