#include "sound/opm.h"

#include "machine/device.h"
#include "machine/io_page.h"
#include "machine/mfp.h"
#include "machine/scheduler.h"
#include "sound/fm_card.h"

uint32_t opm_peek_byte(uint32_t) { return g_fmcard.chip.opm_regs[OPM_STATUS]; }
uint32_t opm_read_byte(uint32_t addr) { return opm_peek_byte(addr); }
uint32_t opm_read_word(uint32_t addr) { return opm_read_byte(addr); }
uint32_t opm_read_long(uint32_t addr) { return (opm_read_word(addr) << 16) | opm_read_word(addr + 2); }
void opm_write_byte(uint32_t addr, uint32_t value) {
    if ((addr & 0xFFFFFF) == OPM_ADDRESS_PORT) g_fmcard.chip.opm_latch = uint8_t(value);
    else if ((addr & 0xFFFFFF) == OPM_DATA_PORT) g_fmcard.chip.opm_regs[g_fmcard.chip.opm_latch & 0xFF] = uint8_t(value);
}
void opm_write_word(uint32_t addr, uint32_t value) { io_word_to_bytes<opm_write_byte>(addr, value); }
void opm_write_long(uint32_t addr, uint32_t value) { io_long_to_bytes<opm_write_byte>(addr, value); }

void emu_opm_timer_a(int) {}
void emu_opm_timer_b(int) {}

// A timer's event: a stopped timer is cancelled; a running one runs out,
// and with its flag enabled sets the status bit and raises the MFP's channel.
static void opm_timer_event(uint32_t kind) {
    uint32_t timer = kind - EV_OPM_TIMER_A; // 0 = A, 1 = B
    uint8_t control = g_fmcard.chip.opm_regs[OPM_TIMER_CONTROL];
    if (!(control & (1u << timer))) {
        sched_set_event(int(kind), 0);
        return;
    }
    if (timer == 0) emu_opm_timer_a(1); else emu_opm_timer_b(1);
    if (control & (4u << timer)) {
        sched_set_event(EV_MFP_OPM, 2);
        g_fmcard.chip.opm_regs[OPM_STATUS] |= uint8_t(1u << timer);
    }
}

void opm_power_on() {
    device_clear(g_fmcard.chip);
    sched_register(EV_OPM_TIMER_A, 2, opm_timer_event);
}
std::span<const uint8_t> opm_state() { return device_state_bytes(g_fmcard.chip); }
