// Side-effect-free reads of the emulated address space, for the debugger
// and the register dump: memory images as they stand, each I/O device's
// register image, and $FF where nothing answers. No watch, access log,
// access map or device state changes.
#pragma once

#include <cstdint>

uint32_t bus_peek_byte(uint32_t addr);
// High byte first; any alignment (a peek never raises an address error).
uint32_t bus_peek_word(uint32_t addr);
uint32_t bus_peek_long(uint32_t addr);
