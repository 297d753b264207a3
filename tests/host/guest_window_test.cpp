#include "host/guest_window.h"

#include <gtest/gtest.h>

// Every copy of the window is the same memory, written through any of them.
TEST(GuestWindow, CopiesShowTheSameBytes) {
    uint8_t* w = guest_window_alloc();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w[0x123456], 0);
    w[GUEST_WINDOW_SIZE * 3 + 0x123456] = 0xA5;
    w[GUEST_WINDOW_SIZE - 1] = 0x5A;
    EXPECT_EQ(w[0x123456], 0xA5);
    EXPECT_EQ(w[GUEST_WINDOW_SIZE * 256 + 0x123456], 0xA5);
    EXPECT_EQ(w[GUEST_WINDOW_SPAN - 1], 0x5A);
    // A second window is memory of its own.
    uint8_t* other = guest_window_alloc();
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other[0x123456], 0);
    guest_window_free(other);
    guest_window_free(w);
}
