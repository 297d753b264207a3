#include "host/guest_window.h"

#include <sys/mman.h>
#include <unistd.h>

// One memory file mapped at each copy; untouched pages cost no memory.
uint8_t* guest_window_alloc() {
    int fd = memfd_create("zolm-guest-window", MFD_CLOEXEC);
    if (fd < 0) return nullptr;
    uint8_t* window = nullptr;
    if (ftruncate(fd, GUEST_WINDOW_SIZE) == 0) {
        void* span = mmap(nullptr, GUEST_WINDOW_SPAN, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (span != MAP_FAILED) window = static_cast<uint8_t*>(span);
    }
    for (size_t i = 0; window && i < GUEST_WINDOW_COPIES; i++) {
        void* copy = mmap(window + i * GUEST_WINDOW_SIZE, GUEST_WINDOW_SIZE, PROT_READ | PROT_WRITE,
                          MAP_SHARED | MAP_FIXED, fd, 0);
        if (copy == MAP_FAILED) {
            munmap(window, GUEST_WINDOW_SPAN);
            window = nullptr;
        }
    }
    close(fd);
    return window;
}

void guest_window_free(uint8_t* window) {
    if (window) munmap(window, GUEST_WINDOW_SPAN);
}
