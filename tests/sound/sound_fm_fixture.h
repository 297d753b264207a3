// Test fixture for the FM card: a clean scheduler and register image, and
// a recording device on the port bus that stands in for a card.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "core/cpu_regs.h"
#include "host/port_bus.h"
#include "machine/scheduler.h"
#include "machine/settings.h"
#include "sound/fm_card.h"
#include "sound/opl.h"
#include "sound/opm.h"
#include "sound/sound_models.h"
#include "support/powered_on.h"

inline constexpr uint32_t TEST_CPF = 181818;

// Every port write it sees, and the byte each port reads.
struct RecordingPorts {
    struct Write {
        uint16_t port;
        uint8_t value;
        bool operator==(const Write&) const = default;
    };
    std::vector<Write> writes;
    std::vector<uint16_t> reads;
    uint8_t (*answer)(RecordingPorts&, uint16_t) = [](RecordingPorts&, uint16_t) { return uint8_t(0); };
    int handle = 0;

    void attach() {
        handle = port_bus_attach({[](void* u, uint16_t p, uint8_t& v) {
                                      auto* r = static_cast<RecordingPorts*>(u);
                                      r->reads.push_back(p);
                                      v = r->answer(*r, p);
                                      return true;
                                  },
                                  [](void* u, uint16_t p, uint8_t v) {
                                      static_cast<RecordingPorts*>(u)->writes.push_back({p, v});
                                      return true;
                                  },
                                  this});
    }
    void detach() {
        if (handle) port_bus_detach(handle);
        handle = 0;
    }
    // The writes to one port, in order.
    std::vector<uint8_t> to(uint16_t port) const {
        std::vector<uint8_t> v;
        for (const Write& w : writes)
            if (w.port == port) v.push_back(w.value);
        return v;
    }
};

class SoundFm : public PoweredOnMachine {
protected:
    void SetUp() override {
        PoweredOnMachine::SetUp();
        fmcard_select(g_fmcard, FM_NONE);
        std::fill(std::begin(g_scheduler.countdown), std::end(g_scheduler.countdown), 0);
        g_scheduler.event_time_scale = 10;
        g_cpu_regs.cycles = 0;
        g_cpu_regs.cycles_per_frame = TEST_CPF;
        opm_power_on();
        g_fmcard.output_on = 1;
        g_settings.fmwait1 = 0;
        g_settings.fmwait2 = 0;
    }
    void TearDown() override {
        ports.detach();
        fmcard_select(g_fmcard, FM_NONE);
        g_fmcard.pc98_layout = 0;
    }
    // A write through the chip's port: register, then data.
    static void opm(uint32_t reg, uint32_t value) {
        OPM_BUS.write_byte(OPM_ADDRESS_PORT, reg);
        OPM_BUS.write_byte(OPM_DATA_PORT, value);
    }
    // Runs the card's road as FM type on the recording ports at base.
    void road(int32_t type, int32_t base, int32_t channels) {
        g_settings.fm = g_fmcard.running_type = type;
        sound_models_select(g_settings.fm, g_settings.fmpcm8);
        g_fmcard.port = base;
        g_fmcard.channels = channels;
        g_fmcard.opl_channel_mask = channels >= 4 ? 15 : 7;
        ports.attach();
    }
    RecordingPorts ports;
};
