#include "video/crtc.h"

uint16_t g_crtc_regs[25];
