#include "sound/opm.h"

#include "core/cpu_regs.h"
#include "machine/device.h"
#include "machine/io_page.h"
#include "machine/mfp.h"
#include "machine/scheduler.h"
#include "sound/fm_card.h"

namespace {

uint8_t* regs() { return g_fmcard.chip.opm_regs; }

// Timer A: (1024 - CLKA) steps of 1/1136 frame; timer B: (256 - CLKB) steps of 1/70 frame.
int64_t timer_a_period() {
    int64_t clka = int64_t(regs()[OPM_CLKA_HIGH]) * 4 + (regs()[OPM_CLKA_LOW] & 3);
    return (1024 - clka) * int64_t(g_cpu_regs.cycles_per_frame) / OPM_TIMER_A_STEPS;
}
int64_t timer_b_period() {
    return (256 - int64_t(regs()[OPM_CLKB])) * int64_t(g_cpu_regs.cycles_per_frame) / OPM_TIMER_B_STEPS;
}

// Scheduler time by which the expiry being handled came late (an event
// falls due between instructions); the next period makes up for it.
int64_t s_expiry_late;

// Arms a timer's event. A register write leaves a pending countdown that
// runs out no later than the new period.
void arm(int kind, int64_t period, int restart) {
    if (restart) period -= s_expiry_late * 10 / int64_t(g_scheduler.event_time_scale);
    int64_t pending = g_scheduler.countdown[kind];
    if (!restart && pending > 0) {
        sched_set_event(-1, 0);  // the countdown as of now
        pending = g_scheduler.countdown[kind];
        if (pending > 0 && pending <= period * int64_t(g_scheduler.event_time_scale) / 10) return;
    }
    sched_set_event(kind, period > 0 ? period : 1);
}

// A timer's event: a stopped timer is cancelled; a running one runs out,
// and with its flag enabled sets the status bit and raises the MFP's channel.
void opm_timer_event(uint32_t kind) {
    uint32_t timer = kind - EV_OPM_TIMER_A;  // 0 = A, 1 = B
    uint8_t control = regs()[OPM_TIMER_CONTROL];
    if (!(control & (OPM_LOAD_A << timer))) {
        sched_set_event(int(kind), 0);
        return;
    }
    uint64_t now = g_scheduler.cycles_total + g_cpu_regs.cycles;
    s_expiry_late = now > g_scheduler.due[kind] ? int64_t(now - g_scheduler.due[kind]) : 0;
    if (timer == 0) emu_opm_timer_a(1);
    else emu_opm_timer_b(1);
    s_expiry_late = 0;
    if (control & (OPM_IRQ_A << timer)) {
        sched_set_event(EV_MFP_OPM, 2);
        regs()[OPM_STATUS] |= uint8_t(1u << timer);
    }
}

}  // namespace

uint32_t fmcard_status() { return regs()[OPM_STATUS] & 3; }

uint32_t opm_peek_byte(uint32_t) { return fmcard_status(); }
uint32_t opm_read_byte(uint32_t addr) { return opm_peek_byte(addr); }
uint32_t opm_read_word(uint32_t addr) { return opm_read_byte(addr); }
uint32_t opm_read_long(uint32_t addr) { return (opm_read_word(addr) << 16) | opm_read_word(addr + 2); }
void opm_write_byte(uint32_t addr, uint32_t value) {
    FmChip& chip = g_fmcard.chip;
    if ((addr & 0xFFFFFF) == OPM_ADDRESS_PORT) {
        chip.opm_latch = uint8_t(value);
    } else if ((addr & 0xFFFFFF) == OPM_DATA_PORT) {
        uint32_t reg = uint32_t(chip.opm_latch) & 0xFF;
        chip.opm_regs[reg] = uint8_t(value);
        fmcard_write_opm(reg, value & 0xFF);
    }
}

void emu_opm_timer_a(int restart) { arm(EV_OPM_TIMER_A, timer_a_period(), restart); }
void emu_opm_timer_b(int restart) { arm(EV_OPM_TIMER_B, timer_b_period(), restart); }

void opm_timer_control(uint32_t value) {
    if (value & OPM_RESET_A) regs()[OPM_STATUS] &= uint8_t(~1u);
    if (value & OPM_RESET_B) regs()[OPM_STATUS] &= uint8_t(~2u);
    if (value & OPM_LOAD_A) emu_opm_timer_a(0);
    else sched_set_event(EV_OPM_TIMER_A, 0);
    if (value & OPM_LOAD_B) emu_opm_timer_b(0);
    else sched_set_event(EV_OPM_TIMER_B, 0);
}

void opm_power_on() {
    device_clear(g_fmcard.chip);
    sched_register(EV_OPM_TIMER_A, 2, opm_timer_event);
}
void opm_reset() { fmcard_reset(g_fmcard); }
std::span<const uint8_t> opm_state() { return device_state_bytes(g_fmcard.chip); }
