// FLOAT2.X FE-calls ($FE00-$FEFF) served on the host.
#pragma once

#include "firmware/iocs.h"

extern FirmwareRoutine g_fe_call_table[256];
