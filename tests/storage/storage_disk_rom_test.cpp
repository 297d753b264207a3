// The disk IOCS calls by TRAP #15 from a ROM, on images the test makes.
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/config_file.h"
#include "failing_opens.h"
#include "host/virus_question.h"
#include "storage/disk_image.h"
#include "storage/drive_slots.h"
#include "storage/virus_warning.h"
#include "storage_rom.h"

using namespace storage_rom;
namespace fs = std::filesystem;

namespace {

constexpr uint32_t SECTOR = 1024, FD_SECTORS = 154 * 8, RECORD = 256;

// Each block of size bytes begins with its index as a big-endian long.
void write_indexed(const fs::path& path, uint32_t blocks, uint32_t size) {
    std::vector<uint8_t> bytes(size_t(blocks) * size, 0);
    for (uint32_t b = 0; b < blocks; ++b)
        for (int i = 0; i < 4; ++i) bytes[size_t(b) * size + i] = uint8_t(b >> (24 - 8 * i));
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<uint8_t> read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

size_t open_descriptors() {
    return size_t(std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator{}));
}

// Answers in turn: refuse, refuse, allow; each question's message kept.
std::vector<std::string> g_asked;
VirusAnswer answer_in_turn(const VirusQuestionText& text) {
    g_asked.push_back(text.message);
    return g_asked.size() <= 2 ? VirusAnswer::refuse : VirusAnswer::allow;
}

}  // namespace

TEST(StorageDiskRom, DiskCallsOnImages) {
    RomFolder folder("disk_calls");
    ASSERT_TRUE(folder.ok());
    const fs::path root = folder.path();
    write_indexed(root / "fd0.xdf", FD_SECTORS, SECTOR);
    write_indexed(root / "fd1.xdf", FD_SECTORS, SECTOR);
    const FailingOpens read_only("/fd1.xdf", EROFS, true);
    write_indexed(root / "hd0.hdf", 40, RECORD);
    write_indexed(root / "hd1.xdf", 40, RECORD);
    cfg_clear_overrides();
    for (std::string o : {"FD0=" + (root / "fd0.xdf").string(), "FD1=" + (root / "fd1.xdf").string(),
                          std::string("FDNUM=0"), std::string("EJECT=1"), std::string("WARNVIRUS=1")})
        ASSERT_EQ(cfg_add_override(o), "");
    g_asked.clear();
    const VirusQuestionFn saved_question = g_virus_question;
    g_virus_question = answer_in_turn;
    g_virus_warn_off = 0;
    g_hd_xdf_notice_count = 0;
    const size_t descriptors = open_descriptors();

    std::vector<uint8_t> ram = run(folder);
    g_virus_question = saved_question;
    cfg_clear_overrides();
    expect_finished(ram);
    EXPECT_EQ(open_descriptors(), descriptors) << "an image left open";

    const uint32_t REF = 0x08000000, ERR = 0xFFFFFFFF;
    expect_results(ram, {
                            // clang-format off
        {0, 2, "read: cylinder of the last sector"}, {1, 0x03020001, "read: D2 = last sector"},
        {2, 0, "read: D3"}, {3, 0x20800, "read: A1"}, {4, 31, "read: first sector"}, {5, 32, "read: second"},
        {6, 0, "read 0 bytes"}, {7, 0x03000103, "read 0 bytes: same sector"}, {9, 0x20000, "read 0: A1"},
        {10, REF, "cylinder 81"}, {11, REF, "sector spt + 1"}, {12, REF, "sector 0 at C0 H0"},
        {13, REF, "past the end of the image"}, {14, 0x034C0108, "short: D2 kept"}, {15, 2048, "short: D3 kept"},
        {16, 0x20000, "short: A1 kept"},
        {17, 1, "read deleted into $EB8000 by the bus"}, {18, 0x03010108, "D2"}, {20, 0xEB8004, "A1"},
        {21, 31, "bytes at $EB8000"},
        {22, 0, "no result after the bus error"}, {26, 0x02600000, "bus error at $600000"},
        {27, REF, "boot sector write refused by the user"},
        {28, REF, "write from $EB8000 refused"}, {29, 0x03020001, "D2 kept"}, {30, 1024, "D3 kept"},
        {31, 0xEB8000, "A1 kept"},
        {32, 2, "write"}, {33, 0x03020001, "write: D2"}, {34, 0, "write: D3"}, {35, 0x21400, "write: A1"},
        {40, 0x20000000, "read-only image still in"},
        {41, REF, "write past cylinder 80 head 1"}, {42, 0x03500108, "D2 kept"},
        {45, 0x800, "verify"}, {46, 0x03000001, "verify: D2"}, {47, 0, "verify: D3"}, {48, 0x20400, "verify: A1"},
        {49, 0x0A000400, "verify an empty drive 2"},
        {50, 1, "position only"}, {51, 0x03010001, "position only: D2 kept"}, {52, 4096, "D3 kept"},
        {54, 0x48000000, "position only: no image"},
        {55, 5, "read ID, N = 3"}, {56, 0x00040005, "read ID, N = 2"}, {57, REF, "read ID, cylinder 81"},
        {58, 0x20000000, "sense FD0"}, {59, 0x80000000, "sense empty FD2"},
        {60, 0x21000000, "seek FD1"}, {61, 0x2A000000, "seek empty FD2"},
        {62, 0x32000000, "recalibrate FD2 with FDNUM 0"}, {63, REF, "format a floppy"},
        {64, 0x20000000, "$43"}, {65, 0, "$48"}, {66, REF, "$49"}, {67, ERR, "$4B"},
        {68, 0, "HD read"}, {69, 6, "HD read: last record"}, {70, 0, "HD read: D3"}, {71, 0x22200, "HD read: A1"},
        {72, 5, "record 5"}, {73, 6, "record 6"},
        {74, ERR, "record 2^23"}, {75, ERR, "HD unit 2 without image"}, {76, 0, "D2 kept"}, {77, 256, "D3 kept"},
        {79, 0, "hd1.xdf read"}, {80, 1, "D2"}, {83, 1, "hd1.xdf record 1"},
        {84, ERR, "HD record 3: refused"}, {85, 3, "D2 kept"},
        {88, 0, "HD record 4: no question"}, {89, 4, "D2"}, {91, 0x21100, "A1"},
        {92, 0, "HD record 35: allowed"},
        {96, 0xFFFFFF2A, "HD seek unit 2"}, {97, 0x20000000, "HD recalibrate unit 0"},
        {98, 0, "format unit 3 creates hd3.hdf"}, {99, 0, "format unit 1 formats hd1.xdf"},
        {100, ERR, "HD sense unit 2"},
        {101, 2, "check FD0: writable"}, {103, 4, "check FD2: empty"},
        {104, ERR, "media change: inserted"}, {105, ERR, "media change: ejected first"}, {106, 1, "no change"},
        {107, 0x42, "inhibit"}, {108, 0x42, "eject while inhibited"}, {109, 0x42, "status masked"},
        {110, ERR, "eject call"}, {111, 0x80000000, "FD0 ejected"}, {112, 0x84, "blink on an empty drive"},
    });
    // clang-format on

    ASSERT_EQ(g_asked.size(), 3u);
    EXPECT_EQ(g_asked[0], virus_warning_message(0));
    EXPECT_EQ(g_asked[1], virus_warning_message(VIRUS_KIND_HARD_DISK));
    EXPECT_EQ(g_hd_xdf_notice_count, 1);

    const std::vector<uint8_t> fd0 = read_file(root / "fd0.xdf");
    ASSERT_EQ(fd0.size(), size_t(FD_SECTORS) * SECTOR) << "the image grew";
    EXPECT_EQ(fd0[32 * SECTOR], 0xA5);
    EXPECT_EQ(fd0[33 * SECTOR + 3], 33);
    EXPECT_EQ(fd0[3], 0) << "refused boot sector write";
    expect_results(ram, {{36, REF, "write to a read-only image"}, {102, 10, "check FD1: read-only"}});
    EXPECT_EQ(read_file(root / "fd1.xdf")[32 * SECTOR + 3], 32) << "read-only image written";
    const std::vector<uint8_t> hd0 = read_file(root / "hd0.hdf");
    EXPECT_EQ(hd0[3 * RECORD + 3], 3);
    EXPECT_EQ(hd0[4 * RECORD], 0xA5);
    EXPECT_EQ(hd0[35 * RECORD], 0xA5);
    EXPECT_EQ(fs::file_size(root / "hd3.hdf"), 2u * RECORD + 33u * RECORD);
    EXPECT_FALSE(fs::exists(root / "hd1.hdf")) << "format masked hd1.xdf";
    EXPECT_EQ(read_file(root / "hd1.xdf")[3], 0) << "hd1.xdf formatted";
}

// Unit words that name no drive reach no image: the floppy image and the
// hard-disk image stay as they were, nothing is asked, no image is made,
// and the drives are served as before.
TEST(StorageDiskRom, UnitWordsThatNameNoDriveTouchNoImage) {
    RomFolder folder("disk_units");
    ASSERT_TRUE(folder.ok());
    const fs::path root = folder.path();
    write_indexed(root / "fd.xdf", FD_SECTORS, SECTOR);
    write_indexed(root / "hd0.hdf", 40, RECORD);
    const std::vector<uint8_t> fd_before = read_file(root / "fd.xdf"), hd_before = read_file(root / "hd0.hdf");
    cfg_clear_overrides();
    for (std::string o : {"FD0=" + (root / "fd.xdf").string(), std::string("EJECT=1"), std::string("WARNVIRUS=1")})
        ASSERT_EQ(cfg_add_override(o), "");
    g_asked.clear();
    const VirusQuestionFn saved_question = g_virus_question;
    g_virus_question = answer_in_turn;
    g_virus_warn_off = 0;

    std::vector<uint8_t> ram = run(folder);
    g_virus_question = saved_question;
    cfg_clear_overrides();
    expect_finished(ram);

    const uint32_t REF = 0x08000000, ERR = 0xFFFFFFFF;
    expect_results(ram, {
                            {0, ERR, "$0000 write at record $10000"},
                            {1, 0x10000, "D2 kept"},
                            {2, ERR, "$0000 write at record 0"},
                            {4, ERR, "$0000 format"},
                            {6, ERR, "$0100 format"},
                            {8, ERR, "$0000 read"},
                            {9, 0, "D2 kept"},
                            {10, 0xFFFFFF28, "$7000 seek: no unit"},
                            {12, ERR, "$0000 sense"},
                            {14, 1, "$0000 media change: none"},
                            {16, 4, "$0000 check: empty"},
                            {18, REF, "$A000 boot sector write"},
                            {20, REF, "$F000 write"},
                            {22, 0x48000000, "$A000 read: no image"},
                            {24, 0x80000000, "$A000 sense: empty"},
                            {26, 1, "$A000 media change: none"},
                            {28, 4, "$B000 inhibit: empty, no flags"},
                            {30, ERR, "FD0 media change: its insertion still reported"},
                            {32, 2, "FD0 check: writable, not inhibited"},
                            {34, 0, "HD0 read"},
                        });
    EXPECT_TRUE(g_asked.empty()) << "a write to no drive asked the virus question";
    EXPECT_EQ(read_file(root / "fd.xdf"), fd_before) << "the floppy image changed";
    EXPECT_EQ(read_file(root / "hd0.hdf"), hd_before) << "the hard-disk image changed";
    EXPECT_FALSE(fs::exists(root / "hd1.hdf"));
}

namespace {

std::vector<uint8_t> dim_file(uint32_t tracks_present) {
    std::vector<uint8_t> dim(256, 0);
    for (uint32_t t = 0; t < tracks_present; ++t) {
        dim[1 + t] = 1;
        dim.insert(dim.end(), 8192, uint8_t(t + 1));
    }
    return dim;
}

void write_bytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace

// A converted ".DIM" keeps what the guest wrote past its last track, and
// only that; one whose file cannot be written refuses writes like a
// read-only image.
TEST(StorageDiskRom, DimImagesKeepWhatTheGuestWrote) {
    RomFolder folder("disk_dim");
    ASSERT_TRUE(folder.ok());
    const fs::path root = folder.path();
    fs::create_directories(root / "tmp");
    const char* tmpdir = std::getenv("TMPDIR");
    const std::string saved_tmpdir = tmpdir ? tmpdir : "";
    ::setenv("TMPDIR", (root / "tmp").c_str(), 1);
    const FailingOpens read_only("/ro.dim", EROFS, true);
    write_bytes(root / "rw.dim", dim_file(1));
    write_bytes(root / "ro.dim", dim_file(2));
    const std::vector<uint8_t> ro_before = read_file(root / "ro.dim");
    cfg_clear_overrides();
    for (std::string o : {"FD0=" + (root / "rw.dim").string(), "FD1=" + (root / "ro.dim").string()})
        ASSERT_EQ(cfg_add_override(o), "");

    const uint32_t REF = 0x08000000;
    std::vector<uint8_t> first = run(folder);
    expect_finished(first);
    expect_results(first, {
                              {0, REF, "nothing at cylinder 80, head 1 yet"},
                              {4, 0x50, "write there"},
                              {5, 0x03500101, "D2"},
                              {6, REF, "write to the read-only .DIM"},
                              {8, 10, "check FD1: read-only"},
                              {10, 2, "check FD0: writable"},
                          });
    const std::vector<uint8_t> dim = read_file(root / "rw.dim");
    ASSERT_EQ(dim.size(), 256u + 2 * 8192) << "tracks 0 and 161";
    for (int t = 0; t < 170; ++t) EXPECT_EQ(dim[1 + t], t == 0 || t == 161 ? 1 : 0) << "track " << t;
    EXPECT_EQ(dim[256 + 8192 - 1], 1);
    EXPECT_EQ(dim[256 + 8192], 0xA5);
    EXPECT_EQ(dim[256 + 8192 + 1023], 0xA5);
    EXPECT_EQ(dim[256 + 8192 + 1024], 0xE5) << "the rest of track 161 reads as never written";
    EXPECT_EQ(read_file(root / "ro.dim"), ro_before);

    std::vector<uint8_t> second = run(folder);
    cfg_clear_overrides();
    if (tmpdir) ::setenv("TMPDIR", saved_tmpdir.c_str(), 1);
    else ::unsetenv("TMPDIR");
    expect_finished(second);
    expect_results(
        second,
        {{0, 0x50, "the first run's write read back"}, {2, 0xA5A5A5A5, "its data"}, {3, 0xA5A5A5A5, "its data"}});
    EXPECT_TRUE(fs::is_empty(root / "tmp")) << "a temporary image outlived the run";
}
