// The host drive's port and its file commands on a temporary folder.
#include <fcntl.h>
#include <sys/stat.h>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "storage/windrv.h"
#include "storage/windrv_scan.h"
#include "video/vram.h"
#include "windrv_fixture.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t FCB_POSITION = 6, FCB_ATTRIBUTE = 47, FCB_NAME1 = 36, FCB_EXT = 44, FCB_NAME2 = 48;
constexpr uint32_t FCB_TIME = 58, FCB_DATE = 60, FCB_SIZE = 64;

using StorageHostDrivePort = HostDriveTest;
using StorageHostDriveFiles = HostDriveTest;

TEST_F(StorageHostDrivePort, AnswersAndRunsEachCommandOnce) {
    EXPECT_EQ(WINDRV_IO_BUS.read_byte(0xE9F123), WINDRV_PORT_ID);
    EXPECT_EQ(WINDRV_IO_BUS.peek_byte(0xE9FFFF), WINDRV_PORT_ID);
    EXPECT_EQ(WINDRV_IO_BUS.peek_byte(0xE9E000), 0xFFu);

    // $C4 renames as $44 does; $3F and $59 write nothing.
    host_file("a.txt", "x");
    put_name(NAMESTS, "", "a.txt");
    put_name(NAMESTS2, "", "b.txt");
    EXPECT_EQ(run(0xC4, {0, NAMESTS, NAMESTS2}), WINDRV_OK);
    EXPECT_TRUE(fs::exists(root_ / "b.txt"));
    EXPECT_EQ(run(0x3F, {0, 0, 0x12345678}), 0x12345678);
    EXPECT_EQ(run(0x59, {0, 0, 0x12345678}), 0x12345678);
    EXPECT_EQ(run(0x53, {0, 0, 0x12345678}), 0x12345678);
    EXPECT_EQ(run(0x56, {0, 0, 0x12345678}), 0);
    EXPECT_EQ(run(WINDRV_CMD_GETDPB, {}), WINDRV_FAIL);
    run(WINDRV_CMD_DRVCTRL, {0});
    EXPECT_EQ(ram(REQUEST)[13], 0x42);
}

TEST_F(StorageHostDrivePort, InitialiseReportsTheUnitsLeftBelowZ) {
    std::vector<std::string> five(5, root_.string());
    windrv_set_roots(five);
    windrv_scan_drives();
    struct Case {
        uint8_t first;
        uint8_t units;
    } cases[] = {{0, 5}, {24, 2}, {26, 0}, {200, 0}};
    for (const Case& c : cases) {
        ram(FCB)[0] = c.first;
        run(WINDRV_CMD_INIT, {0, 0, 0, FCB});
        EXPECT_EQ(ram(REQUEST)[13], c.units) << int(c.first);
    }
    windrv_set_roots({});
    windrv_scan_drives();
    ram(FCB)[0] = 0;
    run(WINDRV_CMD_INIT, {0, 0, 0, FCB});
    EXPECT_EQ(ram(REQUEST)[13], 0);
    // Without the unit, a command fails and the host is untouched.
    put_name(NAMESTS, "", "new");
    EXPECT_EQ(run(WINDRV_CMD_MKDIR, {0, NAMESTS}), WINDRV_FAIL);
    EXPECT_EQ(run(WINDRV_CMD_NFILES, {0, 0, FILES}), WINDRV_NOT_FOUND);
    EXPECT_FALSE(fs::exists(root_ / "new"));
}

TEST_F(StorageHostDriveFiles, CreateModesAsTheDriverAsks) {
    // Mode 0 creates nothing; mode 1 creates; mode 1 keeps; mode 0 truncates.
    EXPECT_EQ(create("", "NEW.TXT", 0), WINDRV_FAIL);
    EXPECT_FALSE(fs::exists(root_ / "NEW.TXT"));
    EXPECT_EQ(create("", "NEW.TXT", 1), WINDRV_OK);
    EXPECT_TRUE(fs::is_regular_file(root_ / "NEW.TXT"));
    host_file("NEW.TXT", "contents");
    EXPECT_EQ(create("", "NEW.TXT", 1), WINDRV_OK);
    EXPECT_EQ(host_read("NEW.TXT"), "contents");
    EXPECT_EQ(be32(FCB + FCB_SIZE), 8u);
    EXPECT_EQ(create("", "NEW.TXT", 0), WINDRV_OK);
    EXPECT_EQ(host_read("NEW.TXT"), "");
    EXPECT_EQ(ram(FCB)[FCB_ATTRIBUTE], 0x20);
}

TEST_F(StorageHostDriveFiles, ReadWriteSeekFollowThePosition) {
    host_file("DATA.BIN", "0123456789abcdefghij");
    ASSERT_EQ(open("", "DATA.BIN", 2), WINDRV_OK);
    EXPECT_EQ(be32(FCB + FCB_SIZE), 20u);

    // Length -1 reads from the position to the end.
    EXPECT_EQ(run(WINDRV_CMD_READ, {0, DATA, 4, FCB}), 4);
    EXPECT_EQ(bytes(DATA, 4), "0123");
    EXPECT_EQ(run(WINDRV_CMD_READ, {0, DATA, 0xFFFFFFFF, FCB}), 16);
    EXPECT_EQ(bytes(DATA, 16), "456789abcdefghij");
    EXPECT_EQ(be32(FCB + FCB_POSITION), 20u);

    // Origin 2 takes the offset's size either way; past the end is -25.
    EXPECT_EQ(run(WINDRV_CMD_SEEK, {2, 0, 10, FCB}), 10);
    EXPECT_EQ(run(WINDRV_CMD_SEEK, {2, 0, uint32_t(-10), FCB}), 10);
    EXPECT_EQ(run(WINDRV_CMD_SEEK, {0, 0, 21, FCB}), WINDRV_BAD_SEEK);
    EXPECT_EQ(run(WINDRV_CMD_SEEK, {2, 0, 0x80000000u, FCB}), WINDRV_BAD_SEEK);
    EXPECT_EQ(be32(FCB + FCB_POSITION), 10u);
    EXPECT_EQ(run(WINDRV_CMD_SEEK, {1, 0, 5, FCB}), 15);
    EXPECT_EQ(run(WINDRV_CMD_SEEK, {7, 0, 0, FCB}), 15);

    // A write past the end grows the size; a write of 0 changes nothing.
    std::memcpy(ram(DATA), "XYZWVUTS", 8);
    EXPECT_EQ(run(WINDRV_CMD_WRITE, {0, DATA, 8, FCB}), 8);
    EXPECT_EQ(be32(FCB + FCB_SIZE), 23u);
    EXPECT_EQ(host_read("DATA.BIN"), "0123456789abcdeXYZWVUTS");
    EXPECT_EQ(run(WINDRV_CMD_WRITE, {0, DATA, 0, FCB}), 0);
    EXPECT_EQ(fs::file_size(root_ / "DATA.BIN"), 23u);
    EXPECT_EQ(run(WINDRV_CMD_WRITE, {0, DATA, 0x0FFFFFFF, FCB}), WINDRV_FAIL);

    // Closing twice finds the entry twice.
    EXPECT_EQ(run(WINDRV_CMD_CLOSE, {0, 0, 0, FCB}), WINDRV_OK);
    EXPECT_EQ(run(WINDRV_CMD_CLOSE, {0, 0, 0, FCB}), WINDRV_OK);
}

TEST_F(StorageHostDriveFiles, TextVramBuffersGoThroughTheBus) {
    host_file("V.BIN", "\x12\x34\x56\x78");
    ASSERT_EQ(open("", "V.BIN", 2), WINDRV_OK);
    EXPECT_EQ(run(WINDRV_CMD_READ, {0, TVRAM_BASE + 0x80, 4, FCB}), 4);
    EXPECT_EQ(g_tvram[0x80], 0x12);
    EXPECT_EQ(g_tvram[0x83], 0x78);
    g_tvram[0x100] = 'v';
    ASSERT_EQ(run(WINDRV_CMD_SEEK, {0, 0, 0, FCB}), 0);
    EXPECT_EQ(run(WINDRV_CMD_WRITE, {0, TVRAM_BASE + 0x100, 1, FCB}), 1);
    EXPECT_EQ(host_read("V.BIN"), "v\x34\x56\x78");
}

TEST_F(StorageHostDriveFiles, The65thOpenTakesTheOldestEntry) {
    host_file("ONE.TXT", "1");
    host_file("TWO.TXT", "2");
    ASSERT_EQ(open("", "ONE.TXT", 0, FCB), WINDRV_OK);
    for (int i = 0; i < 64; i++) ASSERT_EQ(open("", "TWO.TXT", 0, FCB2), WINDRV_OK);
    EXPECT_EQ(run(WINDRV_CMD_READ, {0, DATA, 1, FCB}), WINDRV_FAIL);
    EXPECT_EQ(run(WINDRV_CMD_READ, {0, DATA, 1, FCB2}), 1);
    // Initialise empties the table.
    run(WINDRV_CMD_INIT, {0, 0, 0, FCB + 0x80});
    EXPECT_EQ(run(WINDRV_CMD_READ, {0, DATA, 1, FCB2}), WINDRV_FAIL);
}

TEST_F(StorageHostDriveFiles, OpenForWritingRefusesReadOnlyFiles) {
    host_file("RO.TXT", "r");
    fs::permissions(root_ / "RO.TXT", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_EQ(open("", "RO.TXT", 1), WINDRV_NOT_FOUND);
    EXPECT_EQ(open("", "RO.TXT", 0), WINDRV_OK);
    EXPECT_EQ(ram(FCB)[FCB_ATTRIBUTE], 0x21);
    EXPECT_EQ(open("", "MISSING.TXT", 0), WINDRV_NOT_FOUND);
    fs::create_directory(root_ / "DIR");
    EXPECT_EQ(open("", "DIR", 0), WINDRV_NOT_FOUND);
}

TEST_F(StorageHostDriveFiles, FileDateReadsAndSetsLocalDosTime) {
    host_file("T.TXT", "t");
    // 2001-02-03 04:05:06 UTC.
    timespec times[2] = {{981173106, 0}, {981173106, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (root_ / "T.TXT").c_str(), times, 0), 0);
    ASSERT_EQ(open("", "T.TXT", 0), WINDRV_OK);
    const uint16_t time = (4 << 11) | (5 << 5) | 3, date = (21 << 9) | (2 << 5) | 3;
    EXPECT_EQ(be16(FCB + FCB_TIME), time);
    EXPECT_EQ(be16(FCB + FCB_DATE), date);
    ram(FCB + FCB_TIME)[0] = ram(FCB + FCB_TIME)[1] = 0;
    EXPECT_EQ(run(WINDRV_CMD_FILEDATE, {0, 0, 0, FCB}), WINDRV_OK);
    EXPECT_EQ(be16(FCB + FCB_TIME), time);

    // Mode 1 sets the file's time: 2010-12-31 23:59:58.
    ram(FCB)[14] = 1;
    ram(FCB + FCB_TIME)[0] = 0xBF, ram(FCB + FCB_TIME)[1] = 0x7D;
    ram(FCB + FCB_DATE)[0] = (30 << 1) | 1, ram(FCB + FCB_DATE)[1] = (12 << 5 | 31) & 0xFF;
    EXPECT_EQ(run(WINDRV_CMD_FILEDATE, {0, 0, 0, FCB}), WINDRV_OK);
    struct stat st;
    ASSERT_EQ(stat((root_ / "T.TXT").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1293839998);
    // Bad fields (month 13) are refused and change nothing.
    ram(FCB + FCB_DATE)[1] = (13 << 5 | 1) & 0xFF;
    EXPECT_EQ(run(WINDRV_CMD_FILEDATE, {0, 0, 0, FCB}), WINDRV_FAIL);
    ASSERT_EQ(stat((root_ / "T.TXT").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1293839998);
    // Years before 1980 read as 1980-01-01 00:00.
    timespec old[2] = {{0, 0}, {0, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (root_ / "T.TXT").c_str(), old, 0), 0);
    ram(FCB)[14] = 0;
    EXPECT_EQ(run(WINDRV_CMD_FILEDATE, {0, 0, 0, FCB}), WINDRV_OK);
    EXPECT_EQ(be16(FCB + FCB_TIME), 0);
    EXPECT_EQ(be16(FCB + FCB_DATE), (1 << 5) | 1);
}

TEST_F(StorageHostDriveFiles, AttributeGetsAndSetsReadOnly) {
    host_file("A.TXT", "a");
    put_name(NAMESTS, "", "A.TXT");
    EXPECT_EQ(run(WINDRV_CMD_ATTRIBUTE, {0xFF, NAMESTS}), WINDRV_OK);
    EXPECT_EQ(ram(REQUEST)[13], 0);
    EXPECT_EQ(run(WINDRV_CMD_ATTRIBUTE, {0x01 | 0x02, NAMESTS}), WINDRV_OK);
    EXPECT_EQ(fs::status(root_ / "A.TXT").permissions() & fs::perms::all &
                  (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write),
              fs::perms::none);
    EXPECT_EQ(run(WINDRV_CMD_ATTRIBUTE, {0xFF, NAMESTS}), WINDRV_OK);
    EXPECT_EQ(ram(REQUEST)[13], 0x01);
    EXPECT_EQ(run(WINDRV_CMD_ATTRIBUTE, {0x20, NAMESTS}), WINDRV_OK);
    EXPECT_NE(fs::status(root_ / "A.TXT").permissions() & fs::perms::owner_write, fs::perms::none);
    fs::create_directory(root_ / "D");
    put_name(NAMESTS, "", "D");
    EXPECT_EQ(run(WINDRV_CMD_ATTRIBUTE, {0xFF, NAMESTS}), WINDRV_NOT_FOUND);
}

TEST_F(StorageHostDriveFiles, FreeSpaceFitsTheDriversWords) {
    uint32_t buffer = 0x2000;
    int32_t free_bytes = run(WINDRV_CMD_DSKFRE, {0, buffer});
    uint32_t free = be16(buffer), total = be16(buffer + 2), cluster = be16(buffer + 4), sector = be16(buffer + 6);
    EXPECT_EQ(sector, 512u);
    EXPECT_TRUE(cluster >= 1 && cluster <= 64 && (cluster & (cluster - 1)) == 0) << cluster;
    EXPECT_LE(free, total);
    EXPECT_GT(total, 0u);
    EXPECT_EQ(uint32_t(free_bytes), free * cluster * sector);
}

}  // namespace
