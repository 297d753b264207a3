#include "machine/mfp.h"

#include "core/bus.h"
#include "core/cpu_regs.h"
#include "machine/scheduler.h"
#include "video/crtc.h"

uint8_t g_mfp_regs[64];
int64_t g_mfp_read_stamps[4];
MfpLinks g_mfp_links;

namespace {

enum MfpTimer { TIMER_A, TIMER_B, TIMER_C, TIMER_D };

constexpr int EV_TIMER_D = 4, EV_TIMER_C = 5, EV_TIMER_A = 13;
// Interrupt enable bits of the timer channels: A is channel 13 (IERA bit
// 5), C channel 5 and D channel 4 (IERB bits 5 and 4).
constexpr uint8_t IER_TIMER_A = 0x20, IER_TIMER_C = 0x20, IER_TIMER_D = 0x10;
// Registers at 0x32 and above do not exist.
constexpr uint32_t MFP_WINDOW_END = 0x32;

// Prescale in MFP clock steps of timer modes 1-7. Timer A's modes 9-15 use
// the prescale of mode - 8, which is what the low three bits give; modes 0
// and 8 never get here.
uint32_t mfp_prescale(uint32_t mode) {
    static constexpr uint32_t table[8] = {0, 4, 10, 16, 50, 64, 100, 200};
    return table[mode & 7];
}

// Cycles from now to the end of a timer period of counter + 1 MFP steps in
// this mode (the step count is cut to whole cycles before the prescale).
int64_t mfp_timer_period(uint8_t counter, uint32_t mode, int64_t extra) {
    int64_t steps = (int64_t(counter) + 1) * g_cycles_per_frame / MFP_STEPS_PER_FRAME;
    return steps * mfp_prescale(mode) + extra;
}

bool event_active(int kind) { return g_scheduler.countdown[kind] > 0; }

// A timer's data register read: counts down by one when a prescaler step
// has passed since the last count, from its written value to 1, then
// reloads. mode 0 means the timer is not running.
uint32_t mfp_counting_read(MfpTimer timer, MfpReg data_reg, uint32_t mode) {
    uint8_t& counter = g_mfp_regs[data_reg];
    if (mode != 0 && mfp_timer_elapsed(mode, g_mfp_read_stamps[timer])) {
        counter = uint8_t(counter - 1);
        if (counter == 0) counter = mfp_reload(data_reg);
    }
    return counter;
}

// Modes in which a data register counts on reads.
uint32_t delay_mode_a_b(uint8_t control) {
    uint32_t mode = control & 0x0F;
    return mode >= 1 && mode <= 7 ? mode : 0;
}
uint32_t mode_c() { return (g_mfp_regs[MFP_TCDCR] >> 4) & 7; }
uint32_t mode_d() { return g_mfp_regs[MFP_TCDCR] & 7; }

uint32_t key_setting() { return g_mfp_links.key_setting ? uint32_t(g_mfp_links.key_setting()) : 0; }

} // namespace

uint32_t mfp_hsync_bit() {
    uint32_t total = crtc_reg(4); // lines per frame
    if (total == 0) total = 512;
    uint32_t line = g_cycles_per_frame / total;
    // A frame shorter than its line count has no line to be in.
    if (line == 0) return 0;
    return g_cycles % line < line / 5 ? 0x80 : 0;
}

int mfp_timer_elapsed(uint32_t mode, int64_t& stamp) {
    int64_t now = int64_t(g_cycles) + g_cycles_in_frame;
    int64_t step = int64_t(mfp_prescale(mode)) * g_cycles_per_frame / MFP_STEPS_PER_FRAME;
    if (stamp > now) { // a new frame has begun
        stamp = 0;
        return 1;
    }
    if (now > stamp + step) {
        stamp += step;
        return 1;
    }
    return 0;
}

void mfp_schedule_timer_a() {
    uint32_t mode = g_mfp_regs[MFP_TACR] & 0x0F;
    // Mode 8 counts V-DISP edges instead (the frame logic does that).
    if (!(g_mfp_regs[MFP_IERA] & IER_TIMER_A) || mode == 0 || mode == 8) {
        sched_set_event(EV_TIMER_A, 0);
        return;
    }
    sched_set_event(EV_TIMER_A, mfp_timer_period(g_mfp_regs[MFP_TADR], mode, 10));
}

void mfp_schedule_timer_c(int restart) {
    uint32_t mode = mode_c();
    if (mode == 0 || !(g_mfp_regs[MFP_IERB] & IER_TIMER_C)) {
        sched_set_event(EV_TIMER_C, 0);
        return;
    }
    if (!restart && event_active(EV_TIMER_C)) return;
    sched_set_event(EV_TIMER_C, mfp_timer_period(g_mfp_regs[MFP_TCDR], mode, 10));
}

void mfp_schedule_timer_d(int restart) {
    uint32_t mode = mode_d();
    if (mode == 0 || !(g_mfp_regs[MFP_IERB] & IER_TIMER_D)) {
        sched_set_event(EV_TIMER_D, 0);
        return;
    }
    if (!restart && event_active(EV_TIMER_D)) return;
    sched_set_event(EV_TIMER_D, mfp_timer_period(g_mfp_regs[MFP_TDDR], mode, 1));
}

uint32_t mfp_read_byte(uint32_t addr) {
    if (!(addr & 1)) {
        mem_bus_error_read(addr);
        return 0;
    }
    uint32_t index = addr & 0x3F;
    uint8_t* regs = g_mfp_regs;
    switch (index) {
    case MFP_GPIP: {
        uint32_t value = (regs[MFP_GPIP] & 0x7F) | 0x22 | mfp_hsync_bit();
        // The raster line drops and the clock's second pulse ends with the read.
        regs[MFP_GPIP] = uint8_t((regs[MFP_GPIP] & ~0x40) | 0x01);
        return value;
    }
    case MFP_IPRA:
        regs[MFP_IPRA] = uint8_t((regs[MFP_IPRA] & 0x7F) | mfp_hsync_bit());
        return regs[MFP_IPRA];
    case MFP_TADR: return mfp_counting_read(TIMER_A, MFP_TADR, delay_mode_a_b(regs[MFP_TACR]));
    case MFP_TBDR: return mfp_counting_read(TIMER_B, MFP_TBDR, delay_mode_a_b(regs[MFP_TBCR]));
    case MFP_TCDR: return mfp_counting_read(TIMER_C, MFP_TCDR, mode_c());
    case MFP_TDDR: return mfp_counting_read(TIMER_D, MFP_TDDR, mode_d());
    case MFP_TSR: return regs[MFP_TSR] | (key_setting() ? 0x81 : 0x80);
    case MFP_UDR:
        if (g_mfp_links.key_deliver_next_byte) g_mfp_links.key_deliver_next_byte();
        return regs[MFP_UDR];
    default:
        return index < MFP_WINDOW_END ? regs[index] : 0;
    }
}

uint32_t mfp_read_word(uint32_t addr) { return mfp_read_byte(addr + 1); }

uint32_t mfp_read_long(uint32_t addr) {
    uint32_t high = mfp_read_word(addr);
    return (high << 16) + (mfp_read_word(addr + 2) & 0xFFFF);
}

void mfp_write_byte(uint32_t addr, uint32_t value) {
    if (!(addr & 1)) {
        mem_bus_error_write(addr);
        return;
    }
    uint32_t index = addr & 0x3F;
    if (index >= MFP_WINDOW_END) return;
    uint8_t v = uint8_t(value);
    switch (index) {
    case MFP_TADR: case MFP_TBDR: case MFP_TCDR: case MFP_TDDR:
        // 0 is a full period of 256 steps, as 255 is.
        if (v == 0) v = 255;
        g_mfp_regs[index] = g_mfp_regs[index - 1] = v;
        return;
    default:
        g_mfp_regs[index] = v;
        break;
    }
    switch (index) {
    case MFP_IERA: case MFP_TACR:
        mfp_schedule_timer_a();
        break;
    case MFP_IERB: case MFP_TCDCR:
        mfp_schedule_timer_c(0);
        mfp_schedule_timer_d(0);
        break;
    case MFP_UDR:
        // A keyboard LED command: a cleared bit lights its LED.
        if (v & 0x80) g_mfp_regs[MFP_KEY_LED] = uint8_t(~v);
        break;
    default:
        break;
    }
}

void mfp_write_word(uint32_t addr, uint32_t value) { mfp_write_byte(addr + 1, value); }

void mfp_write_long(uint32_t addr, uint32_t value) {
    mfp_write_word(addr, value >> 16);
    mfp_write_word(addr + 2, value);
}
