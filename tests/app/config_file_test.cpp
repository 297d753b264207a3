// The configuration file: fixtures read into settings, the save against a
// golden file, paths with spaces, FMREV's bit rule, the command-line image
// in drive 0, where the file is looked for, a save that fails, and the
// --set overrides.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/command_line.h"
#include "app/config_file.h"
#include "host/message_box.h"
#include "host/paths.h"
#include "input/joystick.h"
#include "machine/log_lines.h"
#include "machine/settings.h"
#include "sound/fm_card.h"
#include "storage/drive_slots.h"
#include "video/palette.h"
#include "video/video_state.h"

namespace fs = std::filesystem;

namespace {

const fs::path DATA = fs::path(__FILE__).parent_path() / "data";

std::string file_text(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string g_box_text;
MessageBoxAnswer record_box(const char* text, const char*, MessageBoxKind) {
    g_box_text = text;
    return MB_ANSWER_OK;
}

class ConfigFile : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "zolm-cfg-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        root_ = tmpl;
        fs::create_directory(start());
        fs::create_directory(exe());
        saved_dirs_ = {g_start_dir, g_exe_dir};
        g_start_dir = start().string();
        g_exe_dir = exe().string();
        app_parse_command_line({"zolm"});
        cfg_clear_overrides();
        for (FdMedia& slot : g_fd_media) slot.name.clear();
        saved_backend_ = g_message_box_backend;
        g_message_box_backend = record_box;
        g_box_text.clear();
    }
    void TearDown() override {
        g_message_box_backend = saved_backend_;
        g_start_dir = saved_dirs_[0];
        g_exe_dir = saved_dirs_[1];
        app_parse_command_line({"zolm"});
        cfg_clear_overrides();
        for (FdMedia& slot : g_fd_media) slot.name.clear();
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    fs::path start() const { return root_ / "start"; }
    fs::path exe() const { return root_ / "exe"; }
    void install(const char* fixture, const fs::path& as) { fs::copy_file(DATA / fixture, as); }

    fs::path root_;
    std::vector<std::string> saved_dirs_;
    MessageBoxBackend saved_backend_;
};

TEST_F(ConfigFile, FixturesGiveTheirValues) {
    const std::string long_winfont = std::string(247, 'w') + "SPEED:4";
    struct Case {
        const char* fixture;
        bool read;  // the file counts as a configuration file
        int speed, crt, joy0, joy1, joyout, fm, mouse, fmsample, fmvol, fmlate, fmbetw, fmpcmbuf, bppreg, fmwait1, pal,
            fmopm;
        std::string fd0, fd1, fd2, fd3, font, winfont, ext;
        double fmrev;
    };
    const std::string ext =
        "ZOLM (*.xdf;*.DIM;*.2HD;*.DUP;*.HDM)|*.xd*;*.2HD;*.DUP;*.DIM;*.HDM|ZOLM All Files (*.*)|*.*||";
    const double rev5 = [] {
        double d = 1.0;
        uint64_t b;
        std::memcpy(&b, &d, 8);
        b |= 5;
        std::memcpy(&d, &b, 8);
        return d;
    }();
    const Case cases[] = {
        // A CR before each LF is dropped; names keep their spaces.
        // clang-format off
        {"crlf.cfg", true, 5, 3, 0, 0, 0, 0, 1, 1, 1000, 200, 5, 5, -1, 1, 1, 1,
         "/disks/a.xdf", "", "", "", "/fonts/x68 font.dat", "IPA ゴシック", ext, 1.0},
        // clang-format on
        // Read to the end; a CR with no LF after it ends the value too.
        {"no_end.cfg", true, 1, 2, 0, 0, 5, 0, 1, 1, 256, 200, 5, 5, -1, 1, 1, 1, "", "", "", "", "", "face", ext, 1.0},
        {"lower_case.cfg", true, 2,  2, 0, 0, 0, 3, 1, 1, 256, 200, 5, 5, -1, 1, 1, 1, "", "", "", "", "",
         "ＭＳ ゴシック",  ext,  1.0},
        // Out of range or not a number: the default stays.
        {"bad_numbers.cfg", true, 2,  2, 0, 4, 0, 0, 2, 1, 256, 200, 5, 7, -16, -3, 1, 9, "", "", "", "", "",
         "ＭＳ ゴシック",   ext,  1.0},
        {"no_header.cfg", false, 2,  2, 0, 0, 0, 0, 1, 1, 256, 200, 5, 5, -1, 1, 1, 1, "", "", "", "", "",
         "ＭＳ ゴシック", ext,   1.0},
        // The 5000-byte FD1 line is skipped, the 262-byte WINFONT line is
        // whole, FD2 keeps its spaces, nothing after "END:" is read.
        // clang-format off
        {"hostile.cfg", true, 2, 2, 0, 0, 0, 4, 1, 1, 256, 200, 5, 5, -1, 1, 1, 1,
         "", "", "/my disks/game disk.xdf", "", "", long_winfont, "a|*.x||", rev5},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture);
        fs::remove(start() / CFG_FILE_NAME);
        install(c.fixture, start() / CFG_FILE_NAME);
        g_settings.font = "stale";
        EXPECT_EQ(cfg_load(), c.read ? (start() / CFG_FILE_NAME).string() : "");
        EXPECT_EQ(g_settings.speed, c.speed);
        EXPECT_EQ(g_settings.crt, c.crt);
        EXPECT_EQ(g_settings.joy0, c.joy0);
        EXPECT_EQ(g_settings.joy1, c.joy1);
        EXPECT_EQ(g_settings.joyout, c.joyout);
        // FM is read, then its back end starts: with no BLASTER here FM 1
        // and 2 fall back to none; FM 3 is the emulated PC-98 card, FM 4
        // the sound library.
        EXPECT_EQ(g_settings.fm, c.fm >= 3 ? c.fm : FM_NONE) << c.fm;
        EXPECT_EQ(g_settings.mouse, c.mouse);
        EXPECT_EQ(g_settings.fmsample, c.fmsample);
        EXPECT_EQ(g_settings.fmvol, c.fmvol);
        EXPECT_EQ(g_settings.fmlate, c.fmlate);
        EXPECT_EQ(g_settings.fmbetw, c.fmbetw);
        EXPECT_EQ(g_settings.fmpcmbuf, c.fmpcmbuf);
        EXPECT_EQ(g_settings.bppreg, c.bppreg);
        EXPECT_EQ(g_settings.fmwait1, c.fmwait1);
        EXPECT_EQ(g_settings.pal, c.pal);
        EXPECT_EQ(g_settings.fmopm, c.fmopm);
        EXPECT_EQ(g_fd_media[0].name, c.fd0);
        EXPECT_EQ(g_fd_media[1].name, c.fd1);
        EXPECT_EQ(g_fd_media[2].name, c.fd2);
        EXPECT_EQ(g_fd_media[3].name, c.fd3);
        EXPECT_EQ(g_settings.font, c.font);
        EXPECT_EQ(g_settings.winfont, c.winfont);
        EXPECT_EQ(g_settings.ext, c.ext);
        EXPECT_EQ(g_settings.fmrev, c.fmrev);
        for (FdMedia& slot : g_fd_media) slot.name.clear();
    }
}

TEST_F(ConfigFile, DefaultsSaveAsTheGoldenFile) {
    EXPECT_EQ(cfg_load(), "");
    ASSERT_TRUE(cfg_save());
    EXPECT_EQ(file_text(start() / CFG_FILE_NAME), file_text(DATA / "defaults.golden.cfg"));
    // What was saved reads back to the same file.
    ASSERT_EQ(cfg_load(), (start() / CFG_FILE_NAME).string());
    EXPECT_EQ(cfg_file_text(), file_text(DATA / "defaults.golden.cfg"));
}

TEST_F(ConfigFile, PathsWithSpacesAndFmRevRoundTrip) {
    cfg_load();
    const std::string names[FD_DRIVES] = {"/my disks/a b.xdf", " lead and trail ", "日本語 の.dim", "x:y:z.hdm"};
    for (int d = 0; d < FD_DRIVES; d++) g_fd_media[d].name = names[d];
    g_settings.font = "/fonts/x68 font.dat";
    g_settings.winfont = "IPA ゴシック  ";
    g_settings.fmrev = 0.5;  // only the low 32 bits are saved: they are 0
    uint64_t bits;
    std::memcpy(&bits, &g_settings.fmrev, 8);
    ASSERT_TRUE(cfg_save());
    for (FdMedia& slot : g_fd_media) slot.name.clear();
    g_settings.font.clear();
    cfg_load();
    for (int d = 0; d < FD_DRIVES; d++) EXPECT_EQ(g_fd_media[d].name, names[d]);
    EXPECT_EQ(g_settings.font, "/fonts/x68 font.dat");
    EXPECT_EQ(g_settings.winfont, "IPA ゴシック  ");
    EXPECT_EQ(g_settings.fmrev, 1.0) << "the high bits come from the default";
    EXPECT_NE(file_text(start() / CFG_FILE_NAME).find("\nFMREV:0\n"), std::string::npos);
}

TEST_F(ConfigFile, CommandLineImageStaysInDriveZero) {
    std::ofstream(start() / "GAME.cfg") << "ZOLM\n101\nFD0:other.xdf\nFD1:b.xdf\nEND:\n";
    app_parse_command_line({"zolm", "GAME.XDF"});
    EXPECT_EQ(cfg_load(), (start() / "GAME.cfg").string());
    EXPECT_EQ(g_fd_media[0].name, "GAME.XDF");
    EXPECT_EQ(g_fd_media[1].name, "b.xdf");
    ASSERT_TRUE(cfg_save());
    EXPECT_NE(file_text(start() / "GAME.cfg").find("\nFD0:GAME.XDF\nFD1:b.xdf\n"), std::string::npos);
}

TEST_F(ConfigFile, TheFileIsLookedForInTurn) {
    const std::string header = "ZOLM\n101\nSPEED:";
    struct Case {
        const char* name;  // g_config_file_name
        bool in_start, fallback_in_start, fallback_in_exe;
        int speed;  // the file read: 1 start, 3 start fallback, 4 exe fallback, 2 none
    } cases[] = {
        {"X68.CFG", true, true, true, 1},       {"X68.CFG", false, true, true, 3},
        {"X68.CFG", false, false, true, 4},     {"X68.CFG", false, false, false, 2},
        {"sub/other.cfg", true, true, true, 1}, {"", true, true, true, 3},  // -o with no name: a folder is no file
    };
    fs::create_directory(start() / "sub");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.speed));
        if (*c.name) fs::remove(start() / c.name);
        fs::remove(start() / CFG_FALLBACK_FILE_NAME);
        fs::remove(exe() / CFG_FALLBACK_FILE_NAME);
        if (c.in_start && *c.name) std::ofstream(start() / c.name) << header << "1\nEND:\n";
        if (c.fallback_in_start) std::ofstream(start() / CFG_FALLBACK_FILE_NAME) << header << "3\nEND:\n";
        if (c.fallback_in_exe) std::ofstream(exe() / CFG_FALLBACK_FILE_NAME) << header << "4\nEND:\n";
        app_parse_command_line({"zolm", "-o", c.name});
        cfg_load();
        EXPECT_EQ(g_settings.speed, c.speed);
    }
    // An absolute name is taken as it stands, for reading and writing.
    std::string absolute = (root_ / "abs.cfg").string();
    std::ofstream(absolute) << header << "5\nEND:\n";
    app_parse_command_line({"zolm", "-o", absolute});
    EXPECT_EQ(cfg_file_path(), absolute);
    cfg_load();
    EXPECT_EQ(g_settings.speed, 5);
    ASSERT_TRUE(cfg_save());
    EXPECT_NE(file_text(absolute).find("\nSPEED:5\n"), std::string::npos);
    // -n: nothing is written.
    app_parse_command_line({"zolm", "-n", "-o", "nosave.cfg"});
    EXPECT_TRUE(cfg_save());
    EXPECT_FALSE(fs::exists(start() / "nosave.cfg"));
}

TEST_F(ConfigFile, AFailedSaveKeepsTheOldFileAndIsTold) {
    const std::string old_text = "ZOLM\n101\nSPEED:4\nEND:\n";
    std::ofstream(start() / CFG_FILE_NAME) << old_text;
    cfg_load();
    g_settings.speed = 1;
    // A file-size limit below the file's size makes the write fail, root or not.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 64;
    auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    size_t lines_before = g_log_lines.size();
    bool saved_ok = cfg_save();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, old_handler);

    EXPECT_FALSE(saved_ok);
    EXPECT_EQ(file_text(start() / CFG_FILE_NAME), old_text);
    std::string path = (start() / CFG_FILE_NAME).string();
    ASSERT_EQ(g_log_lines.size(), lines_before + 1);
    EXPECT_TRUE(g_log_lines.back().starts_with(path + " could not be saved: ")) << g_log_lines.back();
    EXPECT_TRUE(g_box_text.starts_with(path + " could not be saved: ")) << g_box_text;
    for (const auto& entry : fs::directory_iterator(start()))
        EXPECT_EQ(entry.path().filename(), CFG_FILE_NAME) << "a temporary file was left";
}

TEST_F(ConfigFile, OverridesHoldForTheRunOnly) {
    struct Bad {
        const char* assignment;
        const char* why;
    } bad[] = {
        {"SPEED", "takes KEY=VALUE"},
        {"speed=1", "no such setting \"speed\""},
        {"END=1", "no such setting \"END\""},
        {"=1", "no such setting \"\""},
        {"SPEED=8", "SPEED does not take \"8\" (it takes 0-7)"},
        {"FMVOL=0", "FMVOL does not take \"0\" (it takes 1-65535)"},
        {"FM=x", "FM does not take \"x\" (it takes 0-4)"},
        {"FM=99", "FM does not take \"99\" (it takes 0-4)"},
        {"FMBETW=-1", "FMBETW does not take \"-1\" (it takes 1-50)"},
        {"FMPCMBUF=0", "FMPCMBUF does not take \"0\" (it takes 1-16)"},
        {"FMLATE=-2147483648", "FMLATE does not take \"-2147483648\" (it takes 20-1000)"},
        {"FDNUM=1.5", "FDNUM does not take \"1.5\" (it takes a whole number)"},
    };
    for (const Bad& b : bad) EXPECT_EQ(cfg_add_override(b.assignment), b.why) << b.assignment;

    std::ofstream(start() / CFG_FILE_NAME) << "ZOLM\n101\nSPEED:4\nFM:1\nEND:\n";
    EXPECT_EQ(cfg_add_override("SPEED=0"), "");
    EXPECT_EQ(cfg_add_override("SPEED=1"), "");  // the last one counts
    EXPECT_EQ(cfg_add_override("FM=2"), "");
    EXPECT_EQ(cfg_add_override("FONT=a=b c"), "");  // split at the first '='
    setenv("BLASTER", "A220 T6", 1);                // an OPL3 answers: FM 2 runs it as FM 1
    cfg_load();
    unsetenv("BLASTER");
    EXPECT_EQ(g_settings.speed, 1);
    EXPECT_EQ(g_settings.fm, FM_OPL3);
    fmcard_select(g_fmcard, FM_NONE);
    EXPECT_EQ(g_settings.font, "a=b c");
    // FM changed again during the run: saved as it is now; the others as the file had them.
    g_settings.fm = 3;
    std::string text = cfg_file_text();
    EXPECT_NE(text.find("\nSPEED:4\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nFM:3\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nFONT:\n"), std::string::npos) << text;
}

}  // namespace

// What is at the settings path but is no settings file (other text, a FIFO,
// a link to an endless device) is neither read nor written over, and the
// start does not wait on it; the save answers that the settings were not
// saved.
TEST_F(ConfigFile, WhatIsNoSettingsFileIsLeftAsItWas) {
    const fs::path cfg = start() / CFG_FILE_NAME;
    std::ofstream(start() / CFG_FALLBACK_FILE_NAME) << "ZOLM\n101\nSPEED:3\nEND:\n";

    std::ofstream(cfg) << "my notes\nSPEED:1\n";
    cfg_load();
    EXPECT_TRUE(g_cfg_file_foreign);
    EXPECT_EQ(g_settings.speed, 3) << "the fallback is read instead";
    EXPECT_FALSE(cfg_save());
    EXPECT_EQ(file_text(cfg), "my notes\nSPEED:1\n");
    fs::remove(cfg);

    ASSERT_EQ(mkfifo(cfg.c_str(), 0600), 0);
    cfg_load();
    EXPECT_FALSE(cfg_save());
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(cfg)));
    fs::remove(cfg);

    // A link to an endless device is no settings file, never written. The
    // device is a private zero node in this folder (skipped where mknod is
    // refused), so that a faulty save writes nothing outside it.
    const fs::path zero = start() / "zero";
    if (mknod(zero.c_str(), S_IFCHR | 0600, makedev(1, 5)) == 0) {
        fs::create_symlink("zero", cfg);
        cfg_load();
        EXPECT_EQ(g_settings.speed, 3);
        EXPECT_FALSE(cfg_save());
        EXPECT_TRUE(fs::is_symlink(fs::symlink_status(cfg)));
        fs::remove(cfg);
        fs::remove(zero);
    }

    // With no file, or an empty one, the settings are written.
    std::ofstream{cfg};
    cfg_load();
    EXPECT_FALSE(g_cfg_file_foreign);
    ASSERT_TRUE(cfg_save());
    EXPECT_TRUE(file_text(cfg).starts_with(CFG_HEADER));
}

// A line end in a value never makes a line of its own, and a value that
// ends in CR reads and saves the same every time.
TEST_F(ConfigFile, LineEndsInValuesDoNotMakeLines) {
    const fs::path cfg = start() / CFG_FILE_NAME;
    cfg_load();
    g_fd_media[1].name = "evil\nSPEED:5\nEND:";
    ASSERT_TRUE(cfg_save());
    EXPECT_EQ(file_text(cfg).find("\nSPEED:5\n"), std::string::npos);
    EXPECT_NE(file_text(cfg).find("\nFD1:\n"), std::string::npos);
    cfg_load();
    EXPECT_NE(g_settings.speed, 5);

    std::ofstream(cfg, std::ios::binary) << "ZOLM\n101\nFD2:a.xdf\r\r\nFONT:f.dat\r";
    cfg_load();
    EXPECT_EQ(g_fd_media[2].name, "a.xdf");
    EXPECT_EQ(g_settings.font, "f.dat");
    ASSERT_TRUE(cfg_save());
    std::string first = file_text(cfg);
    cfg_load();
    ASSERT_TRUE(cfg_save());
    EXPECT_EQ(file_text(cfg), first);
}

// "no disk", the empty drive's name, is never opened as a file. An image of
// the settings file that cannot be inserted is told, and a save keeps its
// name while nothing else went into the drive.
TEST_F(ConfigFile, TheEmptyDriveAndImagesThatCannotGoIn) {
    struct Back {
        fs::path was = fs::current_path();
        ~Back() { fs::current_path(was); }
    } back;
    fs::current_path(start());  // image names are taken from the current folder
    std::ofstream("no disk") << std::string(2048, '\0');
    std::ofstream("other.xdf") << std::string(2048, '\0');
    fs::create_directory("folder.xdf");
    std::ofstream(CFG_FILE_NAME) << "ZOLM\n101\nFD0:no disk\nFD1:gone.xdf\nFD2:folder.xdf\nFD3:other.xdf\nEND:\n";
    cfg_load();
    EXPECT_EQ(app_insert_images(), "") << "the settings file's images do not stop the start";
    EXPECT_EQ(g_fd_media[0].state, FD_STATE_EMPTY);
    EXPECT_EQ(g_fd_media[0].path, FD_NO_DISK);
    EXPECT_EQ(g_fd_media[3].state, FD_STATE_INSERTED);
    EXPECT_EQ(g_box_text,
              "gone.xdf: cannot be put in drive 1: No such file or directory; left empty, the settings file keeps "
              "the name\n"
              "folder.xdf: cannot be put in drive 2: a folder, not a disk image; left empty, the settings file keeps "
              "the name");
    EXPECT_NE(cfg_file_text().find("\nFD0:no disk\nFD1:gone.xdf\nFD2:folder.xdf\nFD3:other.xdf\n"), std::string::npos)
        << cfg_file_text();
    // An eject of the empty drive keeps the name; a disk put in and taken
    // out again leaves the drive empty for good.
    panel_eject(1);
    EXPECT_EQ(panel_replace_image("other.xdf", 2), "");
    EXPECT_NE(cfg_file_text().find("\nFD1:gone.xdf\nFD2:other.xdf\n"), std::string::npos) << cfg_file_text();
    panel_eject(2);
    EXPECT_NE(cfg_file_text().find("\nFD1:gone.xdf\nFD2:no disk\n"), std::string::npos) << cfg_file_text();
    // The next start forgets them.
    std::ofstream(CFG_FILE_NAME) << "ZOLM\n101\nEND:\n";
    cfg_load();
    EXPECT_NE(cfg_file_text().find("\nFD1:no disk\nFD2:no disk\n"), std::string::npos) << cfg_file_text();
    panel_close_media();
}

// A line far over the limit is skipped as it is read; the lines after it count.
TEST_F(ConfigFile, AnOverlongLineIsSkipped) {
    {
        std::ofstream out(start() / CFG_FILE_NAME, std::ios::binary);
        out << "ZOLM\n101\nFONT:" << std::string(8u << 20, 'x') << "\nSPEED:4\nEND:\n";
    }
    cfg_load();
    EXPECT_TRUE(g_settings.font.empty());
    EXPECT_EQ(g_settings.speed, 4);
}
