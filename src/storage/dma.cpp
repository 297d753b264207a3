#include "storage/dma.h"

uint32_t g_dmac_pending_vector;
