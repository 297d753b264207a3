// FLOAT2.X FE-calls ($FE00-$FEFF) served on the host.
#pragma once

#include "core/boundary.h"  // FirmwareRoutine, fe_call_routine

extern FirmwareRoutine g_fe_call_table[256];
