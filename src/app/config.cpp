#include "app/config.h"

int g_cfg_fpu;
int g_cfg_nmidebug;
