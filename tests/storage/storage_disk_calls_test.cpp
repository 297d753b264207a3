// The disk calls' wrappers run through TRAP #15 (access LEDs, cycles, drive
// check and eject) and the guards of the workers, on images in a folder of
// the test's own.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "core/cpu_regs.h"
#include "failing_opens.h"
#include "firmware/disk_calls.h"
#include "host/paths.h"
#include "host/virus_question.h"
#include "machine/machine.h"
#include "machine/memory_map.h"
#include "machine/settings.h"
#include "machine/sram.h"
#include "machine/ui_notice.h"
#include "storage/disk_image.h"
#include "storage/disk_iocs.h"
#include "storage/drive_slots.h"
#include "storage/fdc.h"
#include "storage/virus_warning.h"
#include "support/flat_bus.h"
#include "support/machine_map.h"
#include "support/powered_on.h"
#include "video/video_state.h"
#include "video/vram.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t CODE = 0x300000, BUF = 0x10000;
constexpr uint32_t TYPE0_BYTES = 154 * 8192;

int g_questions;
VirusAnswer g_answer;
VirusAnswer answer(const VirusQuestionText&) {
    ++g_questions;
    return g_answer;
}

class StorageDiskCalls : public PoweredOnMachine {
protected:
    void SetUp() override {
        PoweredOnMachine::SetUp();
        ASSERT_TRUE(machine_map_install());
        std::string tmpl = (fs::temp_directory_path() / "zolm-disk-calls-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        root_ = tmpl;
        g_start_dir = root_.string();
        for (FdMedia& slot : g_fd_media) slot = FdMedia{FD_NO_DISK, FD_NO_DISK, 0, 0, 0, 0, 0, 0};
        g_hd_media = FdMedia{};
        g_virus_question = answer;
        g_ui_notice = UiNotice{};
        g_questions = 0;
        g_answer = VirusAnswer::allow;
        g_virus_warn_off = 0;
    }
    void TearDown() override {
        g_virus_question = host_virus_question_headless;
        g_start_dir = saved_start_;
        g_settings.eject = saved_[0];
        g_settings.warnvirus = saved_[1];
        g_virus_warn_off = saved_[2];
        for (FdMedia& slot : g_fd_media) slot = FdMedia{};
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    // A plain image in drive d (type 0 unless media says otherwise).
    std::string insert(int d, uint32_t bytes = TYPE0_BYTES) {
        fs::path p = root_ / ("fd" + std::to_string(d) + ".xdf");
        std::ofstream(p, std::ios::binary) << std::string(bytes, '\x11');
        g_fd_media[d] = FdMedia{p.string(), p.string(), FD_STATE_INSERTED, 1, 0, 0, 0, 0};
        return p.string();
    }
    // Runs the call by TRAP #15 and returns the cycles the instruction took.
    uint32_t trap(uint32_t call, uint32_t unit, uint32_t d2 = 0x03000001, uint32_t d3 = 0, uint32_t a1 = BUF) {
        cpu_test_reset(CODE, 0x8000);
        g_machine.main_ram[CODE] = 0x4E;  // TRAP #15
        g_machine.main_ram[CODE + 1] = 0x4F;
        cpu_d(0) = call;
        cpu_d(1) = unit;
        cpu_d(2) = d2;
        cpu_d(3) = d3;
        cpu_a(1) = a1;
        return cpu_test_step();
    }

    fs::path root_;
    std::string saved_start_ = g_start_dir;
    int saved_[3] = {g_settings.eject, g_settings.warnvirus, g_virus_warn_off};
};

TEST_F(StorageDiskCalls, AccessLedsCyclesAndFixedStatuses) {
    insert(1);
    std::ofstream(root_ / "hd0.hdf", std::ios::binary) << std::string(16 * 256, '\0');
    struct Case {
        const char* what;
        uint32_t call, unit, d3;
        int32_t state_before;  // of FD1 (floppy units) or the HD LED
        uint32_t cycles, d0;
        int32_t state_after;
        bool lit;  // the panel told to show the LED at once
    } cases[] = {
        {"seek FD1 from idle", 0x40, 0x9100, 0, 1, 478, 0x21000000, 20, 1},
        {"seek FD1 while lit", 0x40, 0x9100, 0, 12, 478, 0x21000000, 20, 0},
        {"verify", 0x41, 0x9100, 1024, 1, 1078, 0x01000800, 20, 1},
        {"read", 0x46, 0x9100, 1024, 1, 1078, 0x00000000, 20, 1},
        {"write", 0x45, 0x9100, 0, 1, 1078, 0x00000000, 20, 1},
        {"position only", 0x42, 0x9100, 0, 1, 78, 0, 20, 1},
        {"drive sense leaves the LED", 0x44, 0x9100, 0, 1, 78, 0x20000000, 1, 0},
        {"assign", 0x48, 0x9100, 0, 1, 78, 0, 1, 0},
        {"dskini", 0x43, 0x9100, 0, 1, 78, 0x20000000, 20, 1},
        {"writed", 0x49, 0x9100, 0, 1, 78, 0x08000000, 20, 1},
        {"badfmt", 0x4B, 0x9100, 0, 1, 78, 0xFFFFFFFF, 20, 1},
        {"HD seek from idle", 0x40, 0x8000, 0, 0, 478, 0, 6, 1},
        {"HD seek while lit", 0x40, 0x8000, 0, 3, 478, 0, 6, 0},
        {"HD format", 0x4D, 0x8000, 0, 1, 8078, 0, 6, 1},
        {"HD drive sense", 0x44, 0x8000, 0, 1, 78, 0x20000000, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const bool floppy = c.unit >= 0x9000;
        (floppy ? g_fd_media[1] : g_hd_media).state = c.state_before;
        g_ui_notice.access_lit = false;
        EXPECT_EQ(trap(c.call, c.unit, floppy ? 0x03000002 : 2, c.d3), c.cycles);
        EXPECT_EQ(cpu_d(0), c.d0);
        EXPECT_EQ((floppy ? g_fd_media[1] : g_hd_media).state, c.state_after);
        EXPECT_EQ(g_ui_notice.access_lit, c.lit);
    }
    // An empty drive and drives above 3 stay dark; drive 5 is not drive 1.
    g_fd_media[1].state = 1;
    for (uint32_t unit : {0x9000u, 0x9500u}) {
        trap(0x40, unit);
        EXPECT_EQ(g_fd_media[0].state, 0);
        EXPECT_EQ(g_fd_media[1].state, 1);
        EXPECT_FALSE(g_ui_notice.access_lit);
    }
    // A unit word that names no drive lights neither FD0 nor the hard disk.
    insert(0);
    g_hd_media.state = 0;
    for (uint32_t unit : {0x0000u, 0x7100u, 0xA000u}) {
        trap(0x40, unit);
        EXPECT_EQ(g_fd_media[0].state, FD_STATE_INSERTED);
        EXPECT_EQ(g_hd_media.state, 0);
        EXPECT_FALSE(g_ui_notice.access_lit);
    }
}

TEST_F(StorageDiskCalls, DriveCheckAndEject) {
    struct Case {
        const char* what;
        int eject_setting;
        uint32_t call, unit, d2;
        int32_t flags_before;
        bool ejected;
        int32_t flags_after;
        uint32_t d0;
    } cases[] = {
        {"op 1 ejects", 1, 0x4E, 0x9000, 1, 0, true, 0, 4},
        {"op 1 with EJECT 0", 0, 0x4E, 0x9000, 1, 0, false, 0, 2},
        {"op 1 while inhibited", 1, 0x4E, 0x9000, 1, 0x40, false, 0x40, 0x42},
        {"op $11: the wrapper ejects, the worker sees $11", 1, 0x4E, 0x9000, 0x11, 0, true, 0, 4},
        {"op 2 inhibits", 1, 0x4E, 0x9000, 2, 0, false, 0x40, 0x42},
        {"op 3 allows", 1, 0x4E, 0x9000, 3, 0x40, false, 0, 2},
        {"op 4 on a full drive clears the blink", 1, 0x4E, 0x9000, 4, 0x80, false, 0, 2},
        {"op 2 by a hard-disk unit word", 1, 0x4E, 0x8000, 2, 0, false, 0, 4},
        {"op 2 by drive 4", 1, 0x4E, 0x9400, 2, 0, false, 0, 4},
        {"op 1 by drive 4", 1, 0x4E, 0x9400, 1, 0, false, 0, 4},
        {"eject call ignores the inhibit", 1, 0x4F, 0x9000, 0, 0x40, true, 0x40, 0xFFFFFFFF},
        {"eject call with EJECT 0", 0, 0x4F, 0x9000, 0, 0, false, 0, 0xFFFFFFFF},
        {"eject call by drive 4", 1, 0x4F, 0x9400, 0, 0, false, 0, 0xFFFFFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        insert(0);
        g_fd_media[0].flags = c.flags_before;
        g_settings.eject = c.eject_setting;
        g_ui_notice.media_changed = 0;
        EXPECT_EQ(trap(c.call, c.unit, c.d2), 78u);
        EXPECT_EQ(cpu_d(0), c.d0);
        EXPECT_EQ(g_fd_media[0].state == FD_STATE_EMPTY, c.ejected);
        EXPECT_EQ(g_ui_notice.media_changed, c.ejected ? ui_notice_drive_bit(0) : 0) << "the panel told";
        EXPECT_EQ(g_fd_media[0].flags, c.flags_after);
    }
    // Op 4 on an empty drive sets the blink bit.
    g_fd_media[2] = FdMedia{FD_NO_DISK, FD_NO_DISK, 0, 0, 0, 0, 0, 0};
    trap(0x4E, 0x9200, 4);
    EXPECT_EQ(cpu_d(0), 0x84u);
}

// Writes that would harm are refused before anything is written or asked.
TEST_F(StorageDiskCalls, GuardsOfTheWorkers) {
    const std::string fd0 = insert(0);
    std::ofstream(root_ / "hd0.hdf", std::ios::binary) << std::string(64 * 256, '\0');
    cpu_test_reset(CODE, 0x8000);
    struct Case {
        const char* what;
        uint32_t (*worker)();
        uint32_t unit, d2, d3, a1;
        uint32_t d0;
        int questions;
    } cases[] = {
        {"write-protected slot", disk_iocs_b_write, 0x9000, 0x03010101, 1024, BUF, DISK_REFUSED, 0},
        {"floppy write past cylinder 80 head 1", disk_iocs_b_write, 0x9000, 0x03500108, 2048, BUF, DISK_REFUSED, 0},
        {"floppy write of 4 GB", disk_iocs_b_write, 0x9000, 0x03000002, 0xFFFFFFFF, BUF, DISK_REFUSED, 0},
        {"HD write at record 2^23", disk_iocs_b_write, 0x8000, 0x800000, 256, BUF, DISK_HD_ERROR, 0},
        {"HD write at record $FFFFFFFF", disk_iocs_b_write, 0x8000, 0xFFFFFFFF, 256, BUF, DISK_HD_ERROR, 0},
        {"HD read at record 2^23", disk_iocs_b_read, 0x8000, 0x800000, 256, BUF, DISK_HD_ERROR, 0},
        {"HD format at record 2^23", disk_iocs_b_format, 0x8000, 0x800000, 0, BUF, DISK_HD_ERROR, 0},
        {"read of 4 GB near the end of RAM", disk_iocs_b_read, 0x9000, 0x03000002, 0xFFFFFFFF, 0x3FFFF0, DISK_REFUSED,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_fd_media[0].flags = std::string(c.what) == "write-protected slot" ? FD_FLAG_WRITE_PROTECT : 0;
        g_questions = 0;
        cpu_d(1) = c.unit;
        cpu_d(2) = c.d2;
        cpu_d(3) = c.d3;
        cpu_a(1) = c.a1;
        EXPECT_EQ(c.worker(), c.d0);
        EXPECT_EQ(cpu_d(2), c.d2) << "a refused call changes no register";
        EXPECT_EQ(g_questions, c.questions);
    }
    EXPECT_EQ(fs::file_size(fd0), TYPE0_BYTES) << "an image grew";
    EXPECT_EQ(fs::file_size(root_ / "hd0.hdf"), 64u * 256) << "an image grew";
    EXPECT_EQ(run_flags() & RUN_BREAK, 0u);
    // A hard-disk write to unit 0 does not break the run.
    g_fd_media[0].flags = 0;
    cpu_d(1) = 0x8000;
    cpu_d(2) = 8;
    cpu_d(3) = 256;
    cpu_a(1) = BUF;
    EXPECT_EQ(disk_iocs_b_write(), 0u);
    EXPECT_EQ(run_flags() & RUN_BREAK, 0u);
    // A floppy write marks the slot written (a converted image goes back).
    cpu_d(1) = 0x9000;
    cpu_d(2) = 0x03000002;
    cpu_d(3) = 1024;
    EXPECT_EQ(disk_iocs_b_write(), 0u);
    EXPECT_TRUE(g_fd_media[0].media & FD_MEDIA_WRITTEN);
}

// A write past the end of a converted ".DIM" (here the last sector of track
// 159 of a type-0 disk of 154 tracks): the sectors before it were never
// written and read as $E5, and the track goes back into the ".DIM" so.
TEST_F(StorageDiskCalls, SectorsBeforeAWritePastTheImagesEndAreE5) {
    const std::string old_tmpdir = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
    setenv("TMPDIR", root_.c_str(), 1);
    const fs::path dim = root_ / "p.dim";
    std::ofstream(dim, std::ios::binary) << std::string(256, '\0');  // type 0, no track present
    ASSERT_EQ(panel_insert_image(dim.string(), 0), "");
    if (old_tmpdir.empty()) unsetenv("TMPDIR");
    else setenv("TMPDIR", old_tmpdir.c_str(), 1);
    std::memset(g_machine.main_ram + BUF, 0x5A, 1024);
    cpu_d(1) = 0x9000;
    cpu_d(2) = 0x034F0108;  // C79 H1 R8
    cpu_d(3) = 1024;
    cpu_a(1) = BUF;
    ASSERT_EQ(disk_iocs_b_write(), 79u);
    cpu_d(2) = 0x034F0101;  // R1 of the same track
    cpu_d(3) = 1024;
    cpu_a(1) = BUF + 1024;
    ASSERT_EQ(disk_iocs_b_read(), 79u);
    EXPECT_EQ(g_machine.main_ram[BUF + 1024], 0xE5);
    EXPECT_EQ(g_machine.main_ram[BUF + 2047], 0xE5);

    panel_eject(0);
    std::ifstream in(dim, std::ios::binary);
    const std::vector<uint8_t> back{std::istreambuf_iterator<char>(in), {}};
    ASSERT_EQ(back.size(), 256u + 8192u) << "track 159 alone";
    EXPECT_EQ(back[1 + 159], 1);
    EXPECT_EQ(std::count(back.begin() + 256, back.begin() + 256 + 7 * 1024, 0xE5), 7 * 1024) << "R1-R7";
    EXPECT_EQ(std::count(back.begin() + 256 + 7 * 1024, back.end(), 0x5A), 1024) << "R8";
}

// An image that does not open for reading empties its slot (gone, a folder
// or a FIFO in its place, an error of the file system); one that opens for
// reading only keeps its slot, refuses writes and is reported read-only.
TEST_F(StorageDiskCalls, FailedOpensEmptyTheSlotOnlyWhenUnreadable) {
    struct Case {
        const char* what;
        void (*replace)(const std::string& image);
        int error;  // of the failing file system, 0 for none
        bool writes_only;
        bool readable;
    } cases[] = {
        {"removed", [](const std::string& p) { fs::remove(p); }, 0, false, false},
        {"a folder in its place",
         [](const std::string& p) {
             fs::remove(p);
             fs::create_directory(p);
         },
         0, false, false},
        {"a FIFO in its place",
         [](const std::string& p) {
             fs::remove(p);
             ::mkfifo(p.c_str(), 0600);
         },
         0, false, false},
        {"an I/O error", [](const std::string&) {}, EIO, false, false},
        {"a read-only file system", [](const std::string&) {}, EROFS, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string image = insert(2);
        c.replace(image);
        std::optional<FailingOpens> failing;
        if (c.error) failing.emplace("/fd2.xdf", c.error, c.writes_only);
        cpu_d(1) = 0x9200;
        cpu_d(2) = 0x03000002;
        cpu_d(3) = 16;
        cpu_a(1) = BUF;
        std::memset(g_machine.main_ram + BUF, 0x22, 16);
        EXPECT_EQ(disk_iocs_b_write(), DISK_REFUSED);
        EXPECT_EQ(cpu_d(2), 0x03000002u);
        EXPECT_EQ(disk_iocs_b_drvchk(), c.readable ? DISK_CHECK_READ_ONLY : DISK_CHECK_EMPTY);
        EXPECT_EQ(disk_iocs_b_drvsns(), c.readable ? DISK_MEDIUM : DISK_FLOPPY_EMPTY);
        EXPECT_EQ(g_fd_media[2].state, c.readable ? FD_STATE_INSERTED : FD_STATE_EMPTY);
        failing.reset();
        if (c.readable) {
            std::ifstream in(image, std::ios::binary);
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), std::string(TYPE0_BYTES, '\x11'))
                << "a read-only image was written";
        }
        std::error_code ec;
        fs::remove_all(image, ec);
    }
}

// Reads straight into VRAM mark its lines; SRAM is reached by the bus, so
// its write protection holds.
TEST_F(StorageDiskCalls, DirectReadsMarkVramAndSramGoesByTheBus) {
    insert(0);
    std::memset(g_video.g_tvram_dirty_lines, 0, sizeof g_video.g_tvram_dirty_lines);
    std::memset(g_video.g_gvram_dirty_lines, 0, sizeof g_video.g_gvram_dirty_lines);
    struct Case {
        uint32_t a1;
        uint8_t* store;
    } cases[] = {{TVRAM_BASE + 0x1000, g_tvram + 0x1000}, {GVRAM_BASE + 0x4000, g_gvram + 0x4000}};
    for (const Case& c : cases) {
        cpu_d(1) = 0x9000;
        cpu_d(2) = 0x03000002;
        cpu_d(3) = 1024;
        cpu_a(1) = c.a1;
        EXPECT_EQ(disk_iocs_b_read(), 0u);
        EXPECT_EQ(c.store[0], 0x11);
    }
    EXPECT_EQ(g_video.g_tvram_dirty_lines[0x1000 >> 7], 1);
    EXPECT_EQ(g_video.g_tvram_dirty_lines[(0x1000 + 1023) >> 7], 1);
    EXPECT_EQ(g_video.g_tvram_dirty_lines[0], 0);
    EXPECT_EQ(g_video.g_gvram_dirty_lines[0x4000 >> 9], 1);
    EXPECT_EQ(g_video.g_gvram_dirty_lines[0x4000 >> 10], 1);

    mem_map_set_sram_protect(0);
    const uint8_t before = g_sram[0x100];
    cpu_d(2) = 0x03000002;
    cpu_d(3) = 16;
    cpu_a(1) = SRAM_BASE + 0x100;
    EXPECT_EQ(disk_iocs_b_read(), 0u);
    EXPECT_EQ(g_sram[0x100], before) << "a protected SRAM was written";
}

TEST(StorageVirusWarning, KindsTimesAnswers) {
    const int saved[2] = {g_settings.warnvirus, g_virus_warn_off};
    const char* messages[] = {"フロッピーディスクのIPL領域の書き換えを検出しました",
                              "ハードディスクのIPL領域の書き換えを検出しました",
                              "SRAM内の起動設定の書き換えを検出しました"};
    struct Answer {
        VirusAnswer answer;
        int32_t result, warn_off;
    } answers[] = {
        {VirusAnswer::allow, 0, 0},  {VirusAnswer::allow_quiet, 0, 1}, {VirusAnswer::refuse, 1, 0},
        {VirusAnswer::escape, 1, 0}, {VirusAnswer::no_dialog, 0, 0},
    };
    static std::string asked;
    g_virus_question = [](const VirusQuestionText& t) {
        asked = std::string(t.caption) + "|" + t.message;
        ++g_questions;
        return g_answer;
    };
    g_settings.warnvirus = 1;
    for (int32_t kind : {0, 2, 3, 4, 5, 9}) {
        for (const Answer& a : answers) {
            SCOPED_TRACE(testing::Message() << "kind " << kind << " answer " << int(a.answer));
            g_virus_warn_off = 0;
            g_answer = a.answer;
            g_questions = 0;
            EXPECT_EQ(disk_confirm_write(kind), a.result);
            EXPECT_EQ(g_virus_warn_off, a.warn_off);
            EXPECT_EQ(asked, std::string("X68000用Virusの警告|") + messages[kind <= 3 ? 0 : kind == 4 ? 1 : 2]);
            // After "allow, ask no more" the next write goes on without a question.
            EXPECT_EQ(disk_confirm_write(kind), a.warn_off ? 0 : a.result);
            EXPECT_EQ(g_questions, a.warn_off ? 1 : 2);
        }
    }
    g_settings.warnvirus = 0;
    g_virus_warn_off = 0;
    g_questions = 0;
    g_answer = VirusAnswer::refuse;
    EXPECT_EQ(disk_confirm_write(0), 0);
    EXPECT_EQ(g_questions, 0);
    g_virus_question = host_virus_question_headless;
    g_settings.warnvirus = saved[0];
    g_virus_warn_off = saved[1];
}

TEST(StorageControllerStubs, FloppyStatusTurnsAndAccessesCount) {
    fdc_power_on();
    const uint32_t status[] = {FDC_BUS.read_byte(0xE94001), FDC_BUS.read_byte(0xE94001), FDC_BUS.read_byte(0xE94001),
                               FDC_BUS.read_byte(0xE94001), FDC_BUS.read_byte(0xE94001)};
    EXPECT_EQ(std::vector<uint32_t>(status, status + 5), (std::vector<uint32_t>{0x90, 0xC0, 0xD0, 0x80, 0x90}));
    FDC_BUS.write_byte(0xE94003, 0x12);
    EXPECT_EQ(FDC_BUS.read_byte(0xE94003), 0x12u);
    EXPECT_EQ(FDC_BUS.read_byte(0xE94008), 0u);
    EXPECT_EQ(FDC_BUS.read_word(0xE95FFE), 0u);
    EXPECT_EQ(g_fdc.access_count, 7u);
    EXPECT_EQ(g_fdc.last_access, 0xE94003u);
}

}  // namespace
