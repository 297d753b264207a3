// A table with one element per opcode, stored in the order of the opcode word
// as the host loads it from guest memory (big-endian bytes). The run loop
// indexes it with that raw load through raw(); every other reader indexes it
// by the opcode itself and sees no difference.
#pragma once

#include <bit>
#include <cstdint>

#include "core/inline.h"

// The slot of an opcode: the opcode as a host load of its two bytes reads it.
ZOLM_ALWAYS_INLINE constexpr uint32_t opcode_slot(uint32_t opcode) {
    if constexpr (std::endian::native == std::endian::little) return ((opcode & 0xFF) << 8) | ((opcode >> 8) & 0xFF);
    else return opcode & 0xFFFF;
}

template <typename T> struct OpcodeIndexed {
    T slots[65536];

    T& operator[](uint32_t opcode) { return slots[opcode_slot(opcode)]; }
    const T& operator[](uint32_t opcode) const { return slots[opcode_slot(opcode)]; }
    // By the raw host load of the opcode word.
    ZOLM_ALWAYS_INLINE T& raw(uint32_t slot) { return slots[slot]; }
    // Every element, in slot order (for clearing and summing).
    T* begin() { return slots; }
    T* end() { return slots + 65536; }
    const T* begin() const { return slots; }
    const T* end() const { return slots + 65536; }
};
