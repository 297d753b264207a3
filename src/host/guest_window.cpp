#include "host/guest_window.h"

#include <sys/mman.h>

// Untouched pages of an anonymous mapping cost no memory.
uint8_t* guest_window_alloc() {
    void* p = mmap(nullptr, GUEST_WINDOW_SIZE, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return p == MAP_FAILED ? nullptr : static_cast<uint8_t*>(p);
}

void guest_window_free(uint8_t* window) {
    if (window) munmap(window, GUEST_WINDOW_SIZE);
}
