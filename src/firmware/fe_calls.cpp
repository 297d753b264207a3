#include "firmware/fe_calls.h"

#include "app/config.h"

FirmwareRoutine g_fe_call_table[256];

FirmwareRoutine fe_call_routine(uint32_t index) {
    return g_cfg_fpu && index < 256 ? g_fe_call_table[index] : nullptr;
}
