// The disk IOCS calls by TRAP #15 from a ROM, on images the test makes.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "app/config_file.h"
#include "app/drive_slots.h"
#include "host/virus_question.h"
#include "storage/disk_image.h"
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
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
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

} // namespace

TEST(StorageDiskRom, DiskCallsOnImages) {
    RomFolder folder("disk_calls");
    ASSERT_TRUE(folder.ok());
    const fs::path root = folder.path();
    write_indexed(root / "fd0.xdf", FD_SECTORS, SECTOR);
    write_indexed(root / "fd1.xdf", FD_SECTORS, SECTOR);
    fs::permissions(root / "fd1.xdf", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
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

    ASSERT_EQ(g_asked.size(), 3u);
    EXPECT_EQ(g_asked[0], virus_warning_message(0));
    EXPECT_EQ(g_asked[1], virus_warning_message(VIRUS_KIND_HARD_DISK));
    EXPECT_EQ(g_hd_xdf_notice_count, 1);

    const std::vector<uint8_t> fd0 = read_file(root / "fd0.xdf");
    ASSERT_EQ(fd0.size(), size_t(FD_SECTORS) * SECTOR) << "the image grew";
    EXPECT_EQ(fd0[32 * SECTOR], 0xA5);
    EXPECT_EQ(fd0[33 * SECTOR + 3], 33);
    EXPECT_EQ(fd0[3], 0) << "refused boot sector write";
    // Root writes a file without write permission: the read-only case is then not shown.
    if (::access((root / "fd1.xdf").c_str(), W_OK) != 0) {
        expect_results(ram, {{36, REF, "write to a read-only image"}, {102, 10, "check FD1: read-only"}});
        EXPECT_EQ(read_file(root / "fd1.xdf")[32 * SECTOR + 3], 32) << "read-only image written";
    }
    const std::vector<uint8_t> hd0 = read_file(root / "hd0.hdf");
    EXPECT_EQ(hd0[3 * RECORD + 3], 3);
    EXPECT_EQ(hd0[4 * RECORD], 0xA5);
    EXPECT_EQ(hd0[35 * RECORD], 0xA5);
    EXPECT_EQ(fs::file_size(root / "hd3.hdf"), 2u * RECORD + 33u * RECORD);
    EXPECT_FALSE(fs::exists(root / "hd1.hdf")) << "format masked hd1.xdf";
    EXPECT_EQ(read_file(root / "hd1.xdf")[3], 0) << "hd1.xdf formatted";
}
