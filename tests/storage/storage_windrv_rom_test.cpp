// The whole machine with a host drive: a test ROM finds the port and
// writes a file into the unit's folder through it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/headless.h"
#include "storage/windrv_scan.h"
#include "support/rom_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t RESULTS = 0x1100, MARK_DONE = 0x1004;

std::string file_text(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t be32(const std::string& ram, uint32_t addr) {
    if (addr + 4 > ram.size()) return 0xDEADDEAD;
    auto b = [&](uint32_t i) { return uint32_t(uint8_t(ram[addr + i])); };
    return b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3);
}

TEST(StorageHostDriveRom, TheDriverReachesTheFolderThroughThePort) {
    RomFolder folder("windrv_port");
    ASSERT_TRUE(folder.ok());
    fs::path unit = folder.path() / "unit", dump = folder.path() / "ram.bin";
    fs::create_directory(unit);
    std::vector<std::string> args = {"zolm",         "--headless",  "--virtual-clock", "--frames",    "300",
                                     "--host-drive", unit.string(), "--dump-ram",      dump.string(), "-n"};
    HeadlessOptions options = headless_parse_options(args);
    ASSERT_EQ(options.error, "");
    HeadlessResult result = headless_run(options);
    windrv_set_roots({});
    windrv_scan_drives();
    EXPECT_TRUE(result.powered_off);
    std::string ram = file_text(dump);
    EXPECT_EQ(be32(ram, MARK_DONE), 0x444F4E45u);
    const uint32_t expect[] = {0x57, 1, 0, 0, 5, 0};
    for (uint32_t i = 0; i < std::size(expect); i++) EXPECT_EQ(be32(ram, RESULTS + 4 * i), expect[i]) << "result " << i;
    EXPECT_EQ(file_text(unit / "ROMTEST.TXT"), "HELLO");
}

}  // namespace
