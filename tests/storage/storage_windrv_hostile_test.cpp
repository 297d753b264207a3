// A hostile driver: links out of the folder, a FIFO, forged file control
// blocks, records out of reach and names no host should take. Each request
// gets its code and nothing beside the unit's folder changes; with and
// without openat2.
#include <sys/stat.h>
#include <unistd.h>
#include <cstring>
#include <filesystem>

#include "core/cpu_regs.h"
#include "core/exceptions.h"
#include "host/confined_root.h"
#include "storage/windrv.h"
#include "support/flat_bus.h"
#include "windrv_fixture.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t FCB_POSITION = 6, FCB_SIZE = 64;
constexpr uint32_t RAM_END = 0x400000;

class StorageHostDriveHostile : public HostDriveTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        HostDriveTest::SetUp();
        confined_use_walk(GetParam());
        fs::create_directory(root_ / "sub");
        host_file("sub/inner.txt", "inner");
        host_file("ok.txt", "ok");
        fs::create_directory_symlink("sub", root_ / "in");
        fs::create_directory_symlink("../outside", root_ / "out");
        fs::create_directory_symlink(outside_, root_ / "abs");
        fs::create_symlink(outside_ / "secret.txt", root_ / "leak.txt");
        fs::create_symlink("../outside/secret.txt", root_ / "relleak.txt");
        ASSERT_EQ(mkfifo((root_ / "fifo").c_str(), 0600), 0);
    }
    void TearDown() override {
        confined_use_walk(false);
        HostDriveTest::TearDown();
    }
};

// One request: the name record (path, name1, extension), the command, its
// other arguments and the code it must get.
struct Hostile {
    const char* what;
    const char* path;
    const char* name1;
    const char* ext;
    uint8_t command;
    uint8_t byte13;
    uint32_t arg2;
    int32_t expect;
};

constexpr int32_t FAIL = WINDRV_FAIL, NONE = WINDRV_NOT_FOUND;

const Hostile HOSTILE[] = {
    {"open through a link out", "out", "secret", "txt", WINDRV_CMD_OPEN, 0, 0, NONE},
    {"open through an absolute link", "abs", "secret", "txt", WINDRV_CMD_OPEN, 0, 0, NONE},
    {"open a link to a file outside", "", "leak", "txt", WINDRV_CMD_OPEN, 0, 0, NONE},
    {"open a relative link outside", "", "relleak", "txt", WINDRV_CMD_OPEN, 0, 0, NONE},
    {"truncate through a link", "", "leak", "txt", WINDRV_CMD_CREATE, 0x20, 0, FAIL},
    {"create through a link", "", "relleak", "txt", WINDRV_CMD_CREATE, 0x20, 1, FAIL},
    {"create in a linked folder", "out", "new", "txt", WINDRV_CMD_CREATE, 0x20, 1, FAIL},
    {"make a folder outside", "abs", "new", "", WINDRV_CMD_MKDIR, 0, 0, FAIL},
    {"delete outside", "out", "secret", "txt", WINDRV_CMD_DELETE, 0, 0, FAIL},
    {"remove a folder outside", "", "..", "", WINDRV_CMD_RMDIR, 0, 0, FAIL},
    {"change to a folder outside", "out", "", "", WINDRV_CMD_CHDIR, 0, 0, NONE},
    {"search outside", "abs", "????????", "???", WINDRV_CMD_FILES, 0x30, 0x1500, NONE},
    {"attribute through a link", "", "leak", "txt", WINDRV_CMD_ATTRIBUTE, 0x01, 0, NONE},
    {"open a FIFO", "", "fifo", "", WINDRV_CMD_OPEN, 0, 0, NONE},
    {"create over a FIFO", "", "fifo", "", WINDRV_CMD_CREATE, 0x20, 1, FAIL},
    {"truncate a FIFO", "", "fifo", "", WINDRV_CMD_CREATE, 0x20, 0, FAIL},
    {"'..' as a folder", "..", "outside", "", WINDRV_CMD_CHDIR, 0, 0, NONE},
    {"'..' in a path", "sub\t..\t..", "x", "", WINDRV_CMD_MKDIR, 0, 0, FAIL},
    {"'.' as a folder", ".", "x", "", WINDRV_CMD_MKDIR, 0, 0, FAIL},
    {"'/' in a name", "", "a/b", "", WINDRV_CMD_MKDIR, 0, 0, FAIL},
    {"'/' in a path", "..\x2f", "x", "", WINDRV_CMD_OPEN, 0, 0, NONE},
    {"'\\' in a name", "", "a\\b", "", WINDRV_CMD_MKDIR, 0, 0, FAIL},
    {"':' in a name", "", "a:b", "", WINDRV_CMD_MKDIR, 0, 0, FAIL},
    {"a control byte", "", "a\x01", "", WINDRV_CMD_CREATE, 0x20, 1, FAIL},
    {"DEL", "", "a\x7f", "", WINDRV_CMD_CREATE, 0x20, 1, FAIL},
    {"a wildcard in a new name", "", "a*", "", WINDRV_CMD_CREATE, 0x20, 1, FAIL},
    {"'|' in a new name", "", "a|b", "", WINDRV_CMD_MKDIR, 0, 0, FAIL},
    {"a lead byte without its second", "", "a\x81", "", WINDRV_CMD_CREATE, 0x20, 1, FAIL},
    {"a bad second byte", "", "\x81\x7f", "", WINDRV_CMD_CREATE, 0x20, 1, FAIL},
    {"a byte CP932 lacks", "", "\xff", "", WINDRV_CMD_CREATE, 0x20, 1, FAIL},
    {"a bad name to open", "", "\xa0", "", WINDRV_CMD_OPEN, 0, 0, NONE},
};

TEST_P(StorageHostDriveHostile, EachRequestGetsItsCodeAndTouchesNothing) {
    std::string outside_before = tree_digest(outside_), root_before = tree_digest(root_);
    for (const Hostile& h : HOSTILE) {
        put_namests(NAMESTS, h.path, h.name1, h.ext);
        std::memset(ram(FCB), 0, 80);
        EXPECT_EQ(run(h.command, {h.byte13, NAMESTS, h.arg2, FCB}), h.expect) << h.what;
    }
    // A path of 65 bytes without its NUL.
    put_namests(NAMESTS, "", "x", "");
    std::memset(ram(NAMESTS + 2), 'A', 65);
    EXPECT_EQ(run(WINDRV_CMD_MKDIR, {0, NAMESTS}), FAIL);
    EXPECT_EQ(run(WINDRV_CMD_CHDIR, {0, NAMESTS}), NONE);
    // A unit that is not there.
    put_namests(NAMESTS, "", "new", "");
    EXPECT_EQ(run(WINDRV_CMD_MKDIR, {0, NAMESTS, 0, 0, 1}), FAIL);
    EXPECT_EQ(run(WINDRV_CMD_MKDIR, {0, NAMESTS, 0, 0, 0xFF}), FAIL);

    EXPECT_EQ(tree_digest(outside_), outside_before);
    EXPECT_EQ(tree_digest(root_), root_before);
}

TEST_P(StorageHostDriveHostile, ListingsShowOnlyWhatLiesInside) {
    put_namests(NAMESTS, "", "????????", "???");
    std::vector<std::string> names;
    for (int32_t r = run(WINDRV_CMD_FILES, {0x30, NAMESTS, FILES}); r == WINDRV_OK;
         r = run(WINDRV_CMD_NFILES, {0, 0, FILES}))
        names.push_back(reinterpret_cast<char*>(ram(FILES + 30)));
    // A link inside is followed, except by the walk, which follows none.
    std::vector<std::string> expect =
        GetParam() ? std::vector<std::string>{"ok.txt", "sub"} : std::vector<std::string>{"in", "ok.txt", "sub"};
    EXPECT_EQ(names, expect);
    put_namests(NAMESTS, "in", "inner", "txt");
    EXPECT_EQ(run(WINDRV_CMD_OPEN, {0, NAMESTS, 0, FCB}), GetParam() ? NONE : WINDRV_OK);
}

TEST_P(StorageHostDriveHostile, ForgedControlBlocksAndRecordsOutOfReach) {
    std::string outside_before = tree_digest(outside_);
    put_namests(NAMESTS, "", "ok", "txt");
    ASSERT_EQ(run(WINDRV_CMD_OPEN, {0, NAMESTS, 0, FCB}), WINDRV_OK);
    // Length -1 takes the forged size, which no buffer at RAM's end holds.
    set_be32(FCB + FCB_SIZE, 0xFFFFFFFF);
    EXPECT_EQ(run(WINDRV_CMD_READ, {0, RAM_END - 16, 0xFFFFFFFF, FCB}), FAIL);
    EXPECT_EQ(run(WINDRV_CMD_READ, {0, RAM_END - 1, 2, FCB}), FAIL);
    // A position near 4 GB: reads find nothing, writes never wrap.
    set_be32(FCB + FCB_POSITION, 0xFFFFFFF0);
    EXPECT_EQ(run(WINDRV_CMD_READ, {0, DATA, 16, FCB}), 0);
    EXPECT_EQ(run(WINDRV_CMD_WRITE, {0, DATA, 32, FCB}), FAIL);
    EXPECT_EQ(run(WINDRV_CMD_SEEK, {1, 0, 0x7FFFFFFF, FCB}), WINDRV_BAD_SEEK);
    set_be32(FCB + FCB_SIZE, 2);
    EXPECT_EQ(run(WINDRV_CMD_SEEK, {2, 0, 0x80000000u, FCB}), WINDRV_BAD_SEEK);
    // Records out of reach: I/O space, past RAM's end, unmapped.
    put_namests(NAMESTS, "", "ok", "txt");
    EXPECT_EQ(run(WINDRV_CMD_OPEN, {0, 0xE80000, 0, FCB}), FAIL);
    EXPECT_EQ(run(WINDRV_CMD_OPEN, {0, NAMESTS, 0, RAM_END - 40}), FAIL);
    EXPECT_EQ(run(WINDRV_CMD_CREATE, {0x20, 0x800000, 1, FCB}), FAIL);
    EXPECT_EQ(run(WINDRV_CMD_FILES, {0x20, NAMESTS, 0xE90000}), FAIL);
    EXPECT_EQ(run(WINDRV_CMD_NFILES, {0, 0, RAM_END - 4}), WINDRV_NOT_FOUND);
    EXPECT_EQ(run(WINDRV_CMD_CLOSE, {0, 0, 0, 0xFFFFFFF0}), FAIL);
    // An FCB of a file never opened matches nothing.
    std::memset(ram(FCB2), 0, 80);
    EXPECT_EQ(run(WINDRV_CMD_READ, {0, DATA, 1, FCB2}), FAIL);
    EXPECT_EQ(host_read("ok.txt"), "ok");
    EXPECT_EQ(tree_digest(outside_), outside_before);
}

INSTANTIATE_TEST_SUITE_P(Lookup, StorageHostDriveHostile, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "ComponentWalk" : "Openat2"; });

// The request header itself unmapped: the command's first read is a bus
// error in the driver, and the host is not touched.
TEST_F(HostDriveTest, UnmappedRequestHeaderIsABusError) {
    constexpr uint32_t PC = 0x3000, HANDLER = 0x4000, UNMAPPED = 0x800000;
    std::string before = tree_digest(root_);
    set_be32(VEC_BUS_ERROR, HANDLER);
    cpu_test_reset(PC, 0x2000, 0x2700);
    const uint16_t move_d0_port[] = {0x13C0, 0x00E9, 0xF000};  // move.b d0,($E9F000).l
    for (int i = 0; i < 3; i++)
        ram(PC + 2 * i)[0] = uint8_t(move_d0_port[i] >> 8), ram(PC + 2 * i)[1] = uint8_t(move_d0_port[i]);
    cpu_d(0) = WINDRV_CMD_MKDIR;
    cpu_a(5) = UNMAPPED;
    cpu_test_step();
    EXPECT_EQ(g_cpu_regs.pc, HANDLER);
    EXPECT_EQ(tree_digest(root_), before);
}

}  // namespace
