#include "sound/midi.h"

#include <algorithm>
#include <memory>

#include "core/bus.h"
#include "core/cpu_regs.h"
#include "host/midi_out.h"
#include "machine/device.h"
#include "machine/io_page.h"
#include "machine/scheduler.h"
#include "machine/settings.h"

namespace {

std::unique_ptr<MidiOut> s_out;
MidiAssembler s_assembler;

constexpr uint32_t TIMER_SLACK = 4;
constexpr uint8_t R05_TIMER_ENABLES = 0x82, R06_GENERAL_TIMER = 0x80, R06_CLOCK_TIMER = 0x02;

bool fitted(uint32_t addr) {
    uint32_t a = addr & 0xFFFFFF;
    return g_settings.midi && a >= MIDI_BASE && a < MIDI_END;
}

// The image index of an odd address: R0n directly, R4n-R7n in the group.
uint32_t index_of(uint32_t addr) {
    uint32_t low = addr & 0xF;
    return low < 8 ? low : (low + g_midi.group_base) & 0xFF;
}

uint32_t read_fitted(uint32_t addr) {
    if (!(addr & 1)) return (addr & 0xFFFFFF) == MIDI_BASE ? 0xFF : 0;
    uint32_t i = index_of(addr);
    return i == MIDI_R54 ? g_midi.regs[i] | MIDI_TX_READY : g_midi.regs[i];
}

}  // namespace

void midi_power_on() {
    g_midi.group_base = 0;
    g_midi.transmit_byte = 0;
    std::fill(std::begin(g_midi.regs), std::end(g_midi.regs), uint8_t(0));
    s_assembler.clear();
}
std::span<const uint8_t> midi_state() { return device_state_bytes(g_midi); }

uint32_t midi_peek_byte(uint32_t addr) { return fitted(addr) ? read_fitted(addr) : 0xFF; }

uint32_t midi_read_byte(uint32_t addr) {
    if (!fitted(addr)) {
        mem_bus_error_read(addr);
        return 0;
    }
    return read_fitted(addr);
}

void midi_write_byte(uint32_t addr, uint32_t value) {
    if (!fitted(addr)) {
        mem_bus_error_write(addr);
        return;
    }
    if (!(addr & 1)) return;
    uint32_t i = index_of(addr);
    g_midi.regs[i] = uint8_t(value);
    if (i == MIDI_R01) {
        g_midi.group_base = (value & 0xF) * 16;
    } else if (i == MIDI_R56) {
        g_midi.transmit_byte = value & 0xFF;
        midi_put_byte();
    } else if (i == MIDI_R06) {
        midi_schedule_timer();
    }
}

void midi_put_byte() {
    if (g_midi.host_state == 0) {
        s_out = midi_out_open();
        g_midi.host_state = s_out ? 1 : -1;  // a failed open is not tried again
    }
    if (g_midi.host_state != 1) return;
    s_assembler.put(uint8_t(g_midi.transmit_byte), [](const uint8_t* b, size_t n) { s_out->send(b, n); });
}

void midi_schedule_timer() {
    const uint8_t* r = g_midi.regs;
    if (!(r[MIDI_R05] & R05_TIMER_ENABLES)) return;
    int64_t count;
    if (r[MIDI_R06] & R06_GENERAL_TIMER) count = int64_t(r[MIDI_R85] & 0x3F) * 256 + r[MIDI_R84];
    else if (r[MIDI_R06] & R06_CLOCK_TIMER) count = int64_t(r[MIDI_R87] & 0x3F) * 256 + r[MIDI_R86];
    else return;
    sched_set_event(EV_LEVEL_MIDI, count * int64_t(g_cpu_regs.cycles_per_frame) / MIDI_TIMER_STEPS + TIMER_SLACK);
}

void midi_close() {
    s_out.reset();
    s_assembler.clear();
    g_midi.host_state = 0;
}
