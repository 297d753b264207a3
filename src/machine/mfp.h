// MC68901 MFP.
#pragma once

#include <cstdint>

// Register image indexed by address & 0x3F (registers at odd indexes).
extern uint8_t g_mfp_regs[64];

enum MfpReg : uint32_t {
    MFP_GPIP = 0x01, MFP_AER = 0x03, MFP_DDR = 0x05,
    MFP_IERA = 0x07, MFP_IERB = 0x09, MFP_IPRA = 0x0B, MFP_IPRB = 0x0D,
    MFP_ISRA = 0x0F, MFP_ISRB = 0x11, MFP_IMRA = 0x13, MFP_IMRB = 0x15, MFP_VR = 0x17,
};

void mfp_schedule_timer_c(int restart);
void mfp_schedule_timer_d(int restart);
