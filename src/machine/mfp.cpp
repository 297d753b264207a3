#include "machine/mfp.h"

#include "core/boundary.h"
#include "core/bus.h"
#include "core/cpu_regs.h"
#include "core/exceptions.h"
#include "input/keyboard.h"
#include "machine/device.h"
#include "machine/scheduler.h"
#include "machine/settings.h"
#include "video/crtc.h"

MfpState g_mfp;

namespace {

enum MfpTimer { TIMER_A, TIMER_B, TIMER_C, TIMER_D };

constexpr int EV_TIMER_D = EV_MFP_TIMER_D, EV_TIMER_C = EV_MFP_TIMER_C, EV_TIMER_A = EV_MFP_TIMER_A;
// Registers at 0x32 and above do not exist.
constexpr uint32_t MFP_WINDOW_END = 0x32;
// The value a written 0 is stored as: a full period of 256 steps.
constexpr uint8_t MFP_FULL_COUNT = 255;
// GPIP bits that read as 1 whatever the image holds (GPIP 1 and 5).
constexpr uint8_t GPIP_FIXED_ONES = 0x22;

// Prescale in MFP clock steps of timer modes 1-7. Timer A's modes 9-15 use
// the prescale of mode - 8, which is what the low three bits give; modes 0
// and 8 never get here.
uint32_t mfp_prescale(uint32_t mode) {
    static constexpr uint32_t table[8] = {0, 4, 10, 16, 50, 64, 100, 200};
    return table[mode & 7];
}

// Cycles from now to the end of a timer period of counter + 1 MFP steps in
// this mode (the step count is cut to whole cycles before the prescale).
// A data register of 0 (its reset value) counts 256 steps, as a written 0 does.
int64_t mfp_timer_period(uint8_t counter, uint32_t mode, int64_t extra) {
    int64_t n = counter == 0 ? MFP_FULL_COUNT : counter;
    int64_t steps = (n + 1) * g_cpu_regs.cycles_per_frame / MFP_STEPS_PER_FRAME;
    return steps * mfp_prescale(mode) + extra;
}

bool event_active(int kind) { return g_scheduler.countdown[kind] > 0; }

// A timer's data register read: counts down by one when a prescaler step
// has passed since the last count, from its written value to 1, then
// reloads. mode 0 means the timer is not running.
uint32_t mfp_counting_read(MfpTimer timer, MfpReg data_reg, uint32_t mode) {
    uint8_t& counter = g_mfp.regs[data_reg];
    if (mode != 0 && mfp_timer_elapsed(mode, g_mfp.read_stamps[timer])) {
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
uint32_t mode_c() { return (g_mfp.regs[MFP_TCDCR] >> 4) & 7; }
uint32_t mode_d() { return g_mfp.regs[MFP_TCDCR] & 7; }

}  // namespace

uint32_t mfp_hsync_bit() {
    uint32_t total = crtc_reg(CRTC_V_TOTAL);  // lines per frame
    if (total == 0) total = 512;
    uint32_t line = g_cpu_regs.cycles_per_frame / total;
    // A frame shorter than its line count has no line to be in.
    if (line == 0) return 0;
    return g_cpu_regs.cycles % line < line / 5 ? 0x80 : 0;
}

int mfp_timer_elapsed(uint32_t mode, int64_t& stamp) {
    int64_t now = int64_t(g_cpu_regs.cycles) + g_cpu_regs.cycles_in_frame;
    int64_t step = int64_t(mfp_prescale(mode)) * g_cpu_regs.cycles_per_frame / MFP_STEPS_PER_FRAME;
    if (stamp > now) {  // a new frame has begun
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
    uint32_t mode = g_mfp.regs[MFP_TACR] & 0x0F;
    // Mode 8 counts V-DISP edges instead (the frame logic does that).
    if (!(g_mfp.regs[MFP_IERA] & IER_TIMER_A) || mode == 0 || mode == 8) {
        sched_set_event(EV_TIMER_A, 0);
        return;
    }
    sched_set_event(EV_TIMER_A, mfp_timer_period(g_mfp.regs[MFP_TADR], mode, 10));
}

void mfp_schedule_timer_c(int restart) {
    uint32_t mode = mode_c();
    if (mode == 0 || !(g_mfp.regs[MFP_IERB] & IER_TIMER_C)) {
        sched_set_event(EV_TIMER_C, 0);
        return;
    }
    if (!restart && event_active(EV_TIMER_C)) return;
    sched_set_event(EV_TIMER_C, mfp_timer_period(g_mfp.regs[MFP_TCDR], mode, 10));
}

void mfp_schedule_timer_d(int restart) {
    uint32_t mode = mode_d();
    if (mode == 0 || !(g_mfp.regs[MFP_IERB] & IER_TIMER_D)) {
        sched_set_event(EV_TIMER_D, 0);
        return;
    }
    if (!restart && event_active(EV_TIMER_D)) return;
    sched_set_event(EV_TIMER_D, mfp_timer_period(g_mfp.regs[MFP_TDDR], mode, 1));
}

uint32_t mfp_peek_byte(uint32_t addr) {
    if (!(addr & 1)) return 0xFF;
    uint32_t index = addr & 0x3F;
    const uint8_t* regs = g_mfp.regs;
    switch (index) {
    case MFP_GPIP: return (regs[MFP_GPIP] & ~GPIP_HSYNC) | GPIP_FIXED_ONES | mfp_hsync_bit();
    case MFP_IPRA: return (regs[MFP_IPRA] & ~GPIP_HSYNC) | mfp_hsync_bit();
    case MFP_TSR: return regs[MFP_TSR] | (g_settings.key ? 0x81 : 0x80);
    default: return index < MFP_WINDOW_END ? regs[index] : 0;
    }
}

uint32_t mfp_read_byte(uint32_t addr) {
    if (!(addr & 1)) {
        mem_bus_error_read(addr);
        return 0;
    }
    uint32_t index = addr & 0x3F;
    uint8_t* regs = g_mfp.regs;
    uint32_t value = mfp_peek_byte(addr);
    switch (index) {
    case MFP_GPIP:
        // The raster line drops and the clock's second pulse ends with the read.
        regs[MFP_GPIP] = uint8_t((regs[MFP_GPIP] & ~GPIP_RASTER) | GPIP_RTC_PULSE);
        return value;
    case MFP_IPRA: regs[MFP_IPRA] = uint8_t(value); return value;
    case MFP_TADR: return mfp_counting_read(TIMER_A, MFP_TADR, delay_mode_a_b(regs[MFP_TACR]));
    case MFP_TBDR: return mfp_counting_read(TIMER_B, MFP_TBDR, delay_mode_a_b(regs[MFP_TBCR]));
    case MFP_TCDR: return mfp_counting_read(TIMER_C, MFP_TCDR, mode_c());
    case MFP_TDDR: return mfp_counting_read(TIMER_D, MFP_TDDR, mode_d());
    case MFP_UDR: key_deliver_next_byte(); return regs[MFP_UDR];
    default: return value;
    }
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
    case MFP_TADR:
    case MFP_TBDR:
    case MFP_TCDR:
    case MFP_TDDR:
        // 0 is a full period of 256 steps, as 255 is.
        if (v == 0) v = MFP_FULL_COUNT;
        g_mfp.regs[index] = g_mfp.regs[index - 1] = v;
        return;
    default: g_mfp.regs[index] = v; break;
    }
    switch (index) {
    case MFP_IERA:
    case MFP_TACR: mfp_schedule_timer_a(); break;
    case MFP_IERB:
    case MFP_TCDCR:
        mfp_schedule_timer_c(0);
        mfp_schedule_timer_d(0);
        break;
    case MFP_UDR:
        // A keyboard LED command: a cleared bit lights its LED.
        if (v & 0x80) g_mfp.regs[MFP_KEY_LED] = uint8_t(~v);
        break;
    default: break;
    }
}

// Registers of channel ch: A for 8-15, B for 0-7.
static uint8_t& channel_reg(uint32_t a_reg, uint32_t ch) { return g_mfp.regs[ch >= 8 ? a_reg : a_reg + 2]; }

// GPIP bit a pending channel shows while it is enabled: 3 the YM2151, 14 the raster.
static uint8_t channel_gpip_bit(uint32_t ch) {
    return ch == MFP_CH_OPM ? GPIP_OPM : ch == MFP_CH_RASTER ? GPIP_RASTER : 0;
}

bool mfp_scan_interrupts() {
    uint32_t pending = g_cpu_regs.irq_pending;
    for (int ch = MFP_CHANNELS - 1; ch >= 0; ch--) {
        uint32_t bit = 1u << ch;
        if (!(pending & bit)) continue;
        uint8_t b = uint8_t(1u << (ch & 7));
        if (!(channel_reg(MFP_IERA, ch) & b)) {
            channel_reg(MFP_IPRA, ch) &= uint8_t(~b);
            pending &= ~bit;
            continue;
        }
        channel_reg(MFP_IPRA, ch) |= b;
        uint8_t gpip_bit = channel_gpip_bit(ch);
        if (!(channel_reg(MFP_IMRA, ch) & b)) {
            g_mfp.regs[MFP_GPIP] &= uint8_t(~gpip_bit);
            continue;
        }
        g_mfp.regs[MFP_GPIP] |= gpip_bit;
        g_cpu_regs.irq_pending = pending & ~bit;
        cpu_request_interrupt((g_mfp.regs[MFP_VR] & MFP_VR_VECTOR) + uint32_t(ch), MFP_IRQ_LEVEL);
        channel_reg(MFP_IPRA, ch) &= uint8_t(~b);
        if (g_mfp.regs[MFP_VR] & MFP_VR_SOFTWARE_EOI) channel_reg(MFP_ISRA, ch) |= b;
        else channel_reg(MFP_ISRA, ch) &= uint8_t(~b);
        return true;
    }
    g_cpu_regs.irq_pending = pending;
    return false;
}

// A channel's event fell due: the channel is pending, and the channels that
// repeat or lead on are scheduled again.
static void mfp_channel_event(uint32_t kind) {
    uint32_t ch = kind - EV_MFP_CHANNEL;
    g_cpu_regs.irq_pending |= (1u << ch) | IRQ_PENDING_MFP_ANY;
    run_flags_set(RUN_REQUEST);
    g_scheduler.countdown[kind] = 0;
    emu_post_request(REQ_RESCHEDULE);
    sched_set_event(-1, 0);
    switch (ch) {
    case MFP_CH_OPM: sched_set_event(EV_MFP_OPM, 0); break;
    case MFP_CH_TIMER_D: mfp_schedule_timer_d(1); break;
    case MFP_CH_TIMER_C: mfp_schedule_timer_c(1); break;
    case MFP_CH_RX_FULL: emu_post_request(REQ_KEY); break;
    case MFP_CH_RASTER: emu_post_request(REQ_RASTER_HIT); break;
    default: break;
    }
    cpu_check_interrupts();
}

void mfp_power_on() {
    device_clear(g_mfp);
    // Channel 7 (GPIP 5) has no source.
    sched_register(EV_MFP_CHANNEL, MFP_CHANNELS, mfp_channel_event);
    sched_register(EV_MFP_CHANNEL + int(MFP_CH_GPIP5), 1, nullptr);
}

std::span<const uint8_t> mfp_state() { return device_state_bytes(g_mfp); }
