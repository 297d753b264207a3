// HD63450 DMA controller.
#pragma once

#include <cstdint>

// Vector of the DMA controller's pending interrupt (level 3).
extern uint32_t g_dmac_pending_vector;
