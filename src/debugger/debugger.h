// Console debugger.
#pragma once

#include <cstdint>

#include "core/boundary.h"  // g_debugger_active, dbg_write
