// A PC-9801-86-style sound card on the port bus, its OPNA's FM part our
// own (sndlib::Ym2608) and heard through the mixer. Ports: the address
// (status on read) and data of bank 0 at base and base + 2, of bank 1 at
// base + 4 and base + 6; the card's control at $A460. The chip is never
// busy. The SSG's port A reads the joystick connector that port B
// selects: connectors 0 and 1 carry host joysticks 0 and 1.
#pragma once

#include <cstdint>

inline constexpr uint16_t OPNA_CARD_CONTROL_PORT = 0xA460;

// Plugs the card in at base (one at a time; a second call replaces the
// first). False when its mixer stream cannot be opened.
bool opna_card_attach(uint16_t base);
void opna_card_detach();
bool opna_card_attached();

// A PC-98 joystick connector's byte for host joystick device: active low,
// bit 0 up, 1 down, 2 left, 3 right, 4 trigger 1, 5 trigger 2. Nothing
// pressed ($FF) when the device is not there.
uint8_t opna_card_connector_byte(int device);
