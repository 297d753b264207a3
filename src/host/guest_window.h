// Host memory for images that code is fetched from.
//
// A fetch base serves every address of the 24-bit bus, so an image lives at
// its own emulated offset inside a window that covers all 16 MB: a fetch
// that runs past the image reads zeros instead of leaving host memory.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr size_t GUEST_WINDOW_SIZE = 0x1000000;

// A zeroed read-write window of GUEST_WINDOW_SIZE bytes; nullptr on failure.
uint8_t* guest_window_alloc();
void guest_window_free(uint8_t* window);
