// Host memory for images that code is fetched from.
//
// A fetch base serves every address of the 24-bit bus, so an image lives at
// its own emulated offset inside a window that covers all 16 MB: a fetch
// that runs past the image reads zeros instead of leaving host memory.
// The bus has 24 address lines, so the 16 MB repeat through the whole
// 32-bit range and one step past it: fetch base + PC serves any PC, and a
// long read at $FFFFFFFE, with no mask.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr size_t GUEST_WINDOW_SIZE = 0x1000000;
inline constexpr size_t GUEST_WINDOW_COPIES = 257;
inline constexpr size_t GUEST_WINDOW_SPAN = GUEST_WINDOW_SIZE * GUEST_WINDOW_COPIES;
static_assert(sizeof(size_t) >= 8, "a guest window spans more than 4 GB of address space");

// A zeroed read-write window of GUEST_WINDOW_SIZE bytes, seen again at every
// multiple of GUEST_WINDOW_SIZE up to GUEST_WINDOW_SPAN; nullptr on failure.
uint8_t* guest_window_alloc();
void guest_window_free(uint8_t* window);
