#include "host/opl3_card.h"

#include <memory>

extern "C" {
#include <adplug/nukedopl.h>
}

#include "host/audio_mixer.h"
#include "host/port_bus.h"

namespace {

constexpr uint8_t OPL_STATUS_IDLE = 0x00;  // no timer flags: the chip's timers are not used

struct Opl3Card {
    opl3_chip chip;
    uint16_t base;
    bool pc98, opl2;
    uint16_t latch;  // bank * 256 + register of the next data write
    MixerStream* stream;
    int handle;
};
std::unique_ptr<Opl3Card> s_card;

// The port's bank (0 or 1) and whether it is the data port; false when
// the card does not answer there.
bool decode(const Opl3Card& c, uint16_t port, int& bank, bool& data) {
    uint16_t off = uint16_t(port - c.base);
    uint16_t step = c.pc98 ? 0x100 : 1;
    if (off % step || off / step > 3) return false;
    bank = off / step / 2;
    data = (off / step) & 1;
    return !(c.opl2 && bank == 1);
}

bool card_in(void* user, uint16_t port, uint8_t& value) {
    auto* c = static_cast<Opl3Card*>(user);
    int bank;
    bool data;
    if (!decode(*c, port, bank, data)) return false;
    value = !data && bank == 0 ? OPL_STATUS_IDLE : 0xFF;
    return true;
}

bool card_out(void* user, uint16_t port, uint8_t value) {
    auto* c = static_cast<Opl3Card*>(user);
    int bank;
    bool data;
    if (!decode(*c, port, bank, data)) return false;
    if (!data) {
        c->latch = uint16_t(bank << 8 | value);
    } else {
        mixer_catch_up(c->stream);  // what came before the write sounds as it was
        OPL3_WriteReg(&c->chip, c->latch, value);
    }
    return true;
}

void card_render(void* user, int16_t* out, uint32_t frames) {
    auto* c = static_cast<Opl3Card*>(user);
    for (uint32_t i = 0; i < frames; i++) OPL3_Generate(&c->chip, out + 2 * i);
}

}  // namespace

bool opl3_card_attach(uint16_t base, bool pc98_layout, bool opl2) {
    opl3_card_detach();
    auto c = std::make_unique<Opl3Card>();
    OPL3_Reset(&c->chip, OPL3_NATIVE_RATE);
    c->base = base;
    c->pc98 = pc98_layout;
    c->opl2 = opl2;
    c->stream = mixer_open(OPL3_NATIVE_RATE, 2, card_render, c.get());
    if (!c->stream) return false;
    c->handle = port_bus_attach({card_in, card_out, c.get()});
    s_card = std::move(c);
    return true;
}

void opl3_card_detach() {
    if (!s_card) return;
    port_bus_detach(s_card->handle);
    mixer_close(s_card->stream);
    s_card.reset();
}

bool opl3_card_attached() { return s_card != nullptr; }
