// The host pointer behind an emulated range, for the host drive and the
// ADPCM player.
#include <gtest/gtest.h>

#include "machine/machine.h"
#include "storage/dma.h"
#include "support/machine_map.h"
#include "video/vram.h"

TEST(StorageDmaHostPointer, MapsWholeRangesInOneStoreOnly) {
    ASSERT_TRUE(machine_map_install(0x400000));
    struct Case {
        uint32_t addr, length;
        uint8_t* expect;
    } cases[] = {
        {0, 16, g_machine.main_ram},
        {0x3FFFF0, 16, g_machine.main_ram + 0x3FFFF0},
        {0x3FFFF8, 16, nullptr},       // runs past the end of RAM
        {0x10, 0xFFFFFFF8u, nullptr},  // the end would wrap
        {0xC00000, 0x100000, g_gvram},
        {0xCFFFFF, 2, nullptr},
        {0xE00000, 16, g_tvram},
        {0xE7FFF8, 16, nullptr},
        {0xE7FFF0, 16, g_tvram + 0x7FFF0},
        {0x1E00000, 16, nullptr},  // not cut to 24 bits
        {0xE80000, 1, nullptr},
    };
    for (const Case& c : cases) EXPECT_EQ(dma_host_pointer(c.addr, c.length), c.expect) << std::hex << c.addr;
}
