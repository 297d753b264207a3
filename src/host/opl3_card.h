// An OPL3 (or OPL2) sound card on the port bus, emulated by libadplug's
// Nuked OPL3 and heard through the mixer. Its register ports: PC-AT layout
// bank 0 at base, base + 1 and bank 1 at base + 2, base + 3; PC-98 layout
// bank 0 at base, base + $100 and bank 1 at base + $200, base + $300. An
// OPL2 has no bank 1: those ports stay unanswered.
#pragma once

#include <cstdint>

inline constexpr uint32_t OPL3_NATIVE_RATE = 49716;  // the chip's own sample rate

// Plugs the card in (one at a time; a second call replaces the first).
// False when its mixer stream cannot be opened.
bool opl3_card_attach(uint16_t base, bool pc98_layout, bool opl2);
void opl3_card_detach();
bool opl3_card_attached();
