// Configuration values.
#pragma once

extern int g_cfg_fpu; // serve FE-calls on the host
