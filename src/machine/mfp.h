// MC68901 MFP: interrupt registers, GPIP, timers A-D and the USART the
// keyboard talks over. I/O slot 4 ($E88000-$E89FFF).
#pragma once

#include <cstdint>
#include <span>

#include "machine/bus_device.h"

struct MfpState {
    // Register image indexed by address & 0x3F (registers at odd indexes).
    // The even byte below each timer data register holds that timer's
    // reload value; MFP_KEY_LED holds the keyboard LED byte.
    uint8_t regs[64];
    // Cycles since the frame start at which each timer's data register (A,
    // B, C, D) last counted down on a read.
    int64_t read_stamps[4];
};
extern MfpState g_mfp;

// Power-on: every register 0; registers the channels' events. The reset
// line leaves the MFP as it is (the IPL ROM programs it).
void mfp_power_on();
std::span<const uint8_t> mfp_state();

// Interrupt channels 0-15; the MFP asks for level 6 with vector VR + channel.
enum MfpChannel : uint32_t {
    // clang-format off
    MFP_CH_RTC_ALARM = 0, MFP_CH_EXPON = 1, MFP_CH_POWER = 2, MFP_CH_OPM = 3,
    MFP_CH_TIMER_D = 4, MFP_CH_TIMER_C = 5, MFP_CH_VDISP = 6, MFP_CH_GPIP5 = 7,
    MFP_CH_TIMER_B = 8, MFP_CH_TX_ERROR = 9, MFP_CH_TX_EMPTY = 10, MFP_CH_RX_ERROR = 11,
    MFP_CH_RX_FULL = 12, MFP_CH_TIMER_A = 13, MFP_CH_RASTER = 14, MFP_CH_HSYNC = 15,
    // clang-format on
};
inline constexpr uint32_t MFP_CHANNELS = 16;
// GPIP bits of the X68000's inputs.
inline constexpr uint8_t GPIP_RTC_PULSE = 0x01, GPIP_OPM = 0x08, GPIP_VDISP = 0x10, GPIP_RASTER = 0x40,
                         GPIP_HSYNC = 0x80;
// Interrupt enable bits: timer A and the raster in IERA (channels 13, 14);
// V-DISP, timer C and timer D in IERB (channels 6, 5, 4).
inline constexpr uint8_t IER_TIMER_A = 0x20, IER_VDISP = 0x40, IER_TIMER_C = 0x20, IER_TIMER_D = 0x10;
inline constexpr uint32_t MFP_IRQ_LEVEL = 6;
inline constexpr uint8_t MFP_VR_VECTOR = 0xF0;        // VR bits 7-4: vector base
inline constexpr uint8_t MFP_VR_SOFTWARE_EOI = 0x08;  // VR bit 3: in-service bits kept

enum MfpReg : uint32_t {
    // clang-format off
    MFP_GPIP = 0x01, MFP_AER = 0x03, MFP_DDR = 0x05,
    MFP_IERA = 0x07, MFP_IERB = 0x09, MFP_IPRA = 0x0B, MFP_IPRB = 0x0D,
    MFP_ISRA = 0x0F, MFP_ISRB = 0x11, MFP_IMRA = 0x13, MFP_IMRB = 0x15, MFP_VR = 0x17,
    MFP_TACR = 0x19, MFP_TBCR = 0x1B, MFP_TCDCR = 0x1D,
    MFP_TADR = 0x1F, MFP_TBDR = 0x21, MFP_TCDR = 0x23, MFP_TDDR = 0x25,
    MFP_SCR = 0x27, MFP_UCR = 0x29, MFP_RSR = 0x2B, MFP_TSR = 0x2D, MFP_UDR = 0x2F,
    // clang-format on
    MFP_KEY_LED = 0x38,
};

// Reload value of the timer whose data register is at index data_reg.
inline uint8_t& mfp_reload(MfpReg data_reg) { return g_mfp.regs[data_reg - 1]; }

// MFP clock steps in one emulated frame: one step is g_cpu_regs.cycles_per_frame / 72724 cycles.
inline constexpr uint32_t MFP_STEPS_PER_FRAME = 72724;

// Port handlers of I/O slot 4. Even addresses raise a bus error.
// The byte a read at addr gives, without its side effects (even: $FF).
uint32_t mfp_peek_byte(uint32_t addr);
uint32_t mfp_read_byte(uint32_t addr);
void mfp_write_byte(uint32_t addr, uint32_t value);
inline constexpr BusDevice MFP_BUS = bus_device_of_odd_bytes<mfp_read_byte, mfp_write_byte, mfp_peek_byte>();

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
