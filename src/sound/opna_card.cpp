#include "sound/opna_card.h"

#include <algorithm>
#include <memory>

#include "host/audio_mixer.h"
#include "host/joystick_source.h"
#include "host/port_bus.h"
#include "sound/sndlib/ym2608.h"

namespace {

constexpr uint8_t STATUS_READY = 0x00;        // not busy, no timer flags
constexpr uint8_t CONTROL_AT_RESET = 0x40;    // the board's id in the high bits
constexpr uint8_t PORT_B_CONNECTOR_1 = 0x40;  // register 15: $80 connector 0, $C0 connector 1
constexpr uint8_t PAD_UP = 0x01, PAD_DOWN = 0x02, PAD_LEFT = 0x04, PAD_RIGHT = 0x08;
constexpr int PAD_TRIGGERS = 2, PAD_TRIGGER_SHIFT = 4;
constexpr int OUTPUT_SHIFT = 1;  // six channels' sum to 16 bits
constexpr uint32_t RENDER_CHUNK = 256;

struct OpnaCard {
    sndlib::Ym2608 chip;
    uint16_t base;
    uint16_t latch[2];  // the register each bank's next data access goes to
    uint8_t control;
    MixerStream* stream;
    int handle;
};
std::unique_ptr<OpnaCard> s_card;

// Bank (0, 1) and whether the port is the data port; false elsewhere.
bool decode(const OpnaCard& c, uint16_t port, int& bank, bool& data) {
    uint16_t off = uint16_t(port - c.base);
    if (off > 6 || (off & 1)) return false;
    bank = off >> 2;
    data = off & 2;
    return true;
}

bool card_in(void* user, uint16_t port, uint8_t& value) {
    auto* c = static_cast<OpnaCard*>(user);
    if (port == OPNA_CARD_CONTROL_PORT) {
        value = c->control;
        return true;
    }
    int bank;
    bool data;
    if (!decode(*c, port, bank, data)) return false;
    value = data ? c->chip.read(c->latch[bank]) : STATUS_READY;
    return true;
}

bool card_out(void* user, uint16_t port, uint8_t value) {
    auto* c = static_cast<OpnaCard*>(user);
    if (port == OPNA_CARD_CONTROL_PORT) {
        c->control = value;
        return true;
    }
    int bank;
    bool data;
    if (!decode(*c, port, bank, data)) return false;
    if (!data) {
        c->latch[bank] = uint16_t(bank * sndlib::OPN_BANK1 + value);
    } else {
        mixer_catch_up(c->stream);  // what came before the write sounds as it was
        c->chip.write(c->latch[bank], value);
    }
    return true;
}

void card_render(void* user, int16_t* out, uint32_t frames) {
    auto* c = static_cast<OpnaCard*>(user);
    int32_t mix[2 * RENDER_CHUNK];
    while (frames > 0) {
        uint32_t n = std::min(frames, RENDER_CHUNK);
        std::fill(mix, mix + 2 * n, 0);
        c->chip.render(mix, n);
        for (uint32_t i = 0; i < 2 * n; i++) out[i] = int16_t(std::clamp(mix[i] >> OUTPUT_SHIFT, -32768, 32767));
        out += 2 * n;
        frames -= n;
    }
}

uint8_t read_connector(void*, uint8_t port_b) { return opna_card_connector_byte(port_b & PORT_B_CONNECTOR_1 ? 1 : 0); }

}  // namespace

uint8_t opna_card_connector_byte(int device) {
    JoystickSource* src = host_joystick_source();
    HostJoyPos pos;
    HostJoyCaps caps;
    if (!src || !src->position(device, pos)) return 0xFF;
    if (!src->caps(device, caps)) caps = {0, HOST_JOY_AXIS_MAX, 0, HOST_JOY_AXIS_MAX};
    // A quarter of the range from either end counts as pressed.
    uint32_t qx = (caps.x_max - caps.x_min) / 4, qy = (caps.y_max - caps.y_min) / 4;
    uint8_t b = 0xFF;
    if (pos.x < caps.x_min + qx) b &= uint8_t(~PAD_LEFT);
    else if (pos.x > caps.x_min + 3 * qx) b &= uint8_t(~PAD_RIGHT);
    if (pos.y < caps.y_min + qy) b &= uint8_t(~PAD_UP);
    else if (pos.y > caps.y_min + 3 * qy) b &= uint8_t(~PAD_DOWN);
    for (int t = 0; t < PAD_TRIGGERS; t++)
        if (pos.buttons & (1u << t)) b &= uint8_t(~(1u << (PAD_TRIGGER_SHIFT + t)));
    return b;
}

bool opna_card_attach(uint16_t base) {
    opna_card_detach();
    auto c = std::make_unique<OpnaCard>();
    c->chip.read_port_a = read_connector;
    c->chip.reset();
    c->base = base;
    c->latch[0] = 0;
    c->latch[1] = sndlib::OPN_BANK1;
    c->control = CONTROL_AT_RESET;
    c->stream = mixer_open(c->chip.sample_rate(), 2, card_render, c.get());
    if (!c->stream) return false;
    c->handle = port_bus_attach({card_in, card_out, c.get()});
    s_card = std::move(c);
    return true;
}

void opna_card_detach() {
    if (!s_card) return;
    port_bus_detach(s_card->handle);
    mixer_close(s_card->stream);
    s_card.reset();
}

bool opna_card_attached() { return s_card != nullptr; }
