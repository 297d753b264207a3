// MC68901 MFP: interrupt registers, GPIP, timers A-D and the USART the
// keyboard talks over. I/O slot 4 ($E88000-$E89FFF).
#pragma once

#include <cstdint>

// Register image indexed by address & 0x3F (registers at odd indexes). The
// even byte below each timer data register holds that timer's reload value;
// MFP_KEY_LED holds the keyboard LED byte.
extern uint8_t g_mfp_regs[64];

enum MfpReg : uint32_t {
    MFP_GPIP = 0x01, MFP_AER = 0x03, MFP_DDR = 0x05,
    MFP_IERA = 0x07, MFP_IERB = 0x09, MFP_IPRA = 0x0B, MFP_IPRB = 0x0D,
    MFP_ISRA = 0x0F, MFP_ISRB = 0x11, MFP_IMRA = 0x13, MFP_IMRB = 0x15, MFP_VR = 0x17,
    MFP_TACR = 0x19, MFP_TBCR = 0x1B, MFP_TCDCR = 0x1D,
    MFP_TADR = 0x1F, MFP_TBDR = 0x21, MFP_TCDR = 0x23, MFP_TDDR = 0x25,
    MFP_SCR = 0x27, MFP_UCR = 0x29, MFP_RSR = 0x2B, MFP_TSR = 0x2D, MFP_UDR = 0x2F,
    MFP_KEY_LED = 0x38,
};

// Reload value of the timer whose data register is at index data_reg.
inline uint8_t& mfp_reload(MfpReg data_reg) { return g_mfp_regs[data_reg - 1]; }

// MFP clock steps in one emulated frame: one step is g_cycles_per_frame / 72724 cycles.
inline constexpr uint32_t MFP_STEPS_PER_FRAME = 72724;

// Cycles since the frame start at which each timer's data register (A, B,
// C, D) last counted down on a read.
extern int64_t g_mfp_read_stamps[4];

// What the MFP asks of the keyboard; start-up wires it. A link left empty
// reads as: no key byte to move, KEY setting 0.
struct MfpLinks {
    void (*key_deliver_next_byte)(); // the keyboard moves its next queued byte into UDR
    int (*key_setting)();            // the KEY setting
};
extern MfpLinks g_mfp_links;

// Port handlers of I/O slot 4. Even addresses raise a bus error.
uint32_t mfp_read_byte(uint32_t addr);
uint32_t mfp_read_word(uint32_t addr);
uint32_t mfp_read_long(uint32_t addr);
void mfp_write_byte(uint32_t addr, uint32_t value);
void mfp_write_word(uint32_t addr, uint32_t value);
void mfp_write_long(uint32_t addr, uint32_t value);

// Timer events: A is kind 13, C kind 5, D kind 4. restart is 0 from a
// register write (a running C or D timer is left alone) and 1 when the
// timer's channel was just raised.
void mfp_schedule_timer_a();
void mfp_schedule_timer_c(int restart);
void mfp_schedule_timer_d(int restart);

// 0x80 during the first fifth of each CRTC line, else 0.
uint32_t mfp_hsync_bit();
// 1 when a data register read of a timer in this mode (1-7) counts down;
// advances stamp by one prescaler step then.
int mfp_timer_elapsed(uint32_t mode, int64_t& stamp);
