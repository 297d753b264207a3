// What the user asked for is done or refused, never skipped: an image the
// command line names that cannot go in, an input script that is a folder,
// settings that cannot be saved and a machine without its address space.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <cstring>

#include "app/headless.h"
#include "support/headless_fixture.h"

using namespace headless_fixture;

namespace {

TEST_F(Headless, CommandLineImageThatCannotGoInIsRefused) {
    // A machine that started would write "access.dat" at its end.
    install_rom("power_off");
    install_cgrom();
    const fs::path tmp = root_ / "tmp";
    fs::create_directory(tmp);
    fs::create_directory(run_dir() / "folder.xdf");
    ASSERT_EQ(mkfifo((run_dir() / "fifo.xdf").c_str(), 0600), 0);
    std::ofstream(run_dir() / "short.dim", std::ios::binary) << std::string(100, '\0');
    std::ofstream(run_dir() / "type7.dim", std::ios::binary) << '\7' << std::string(255, '\0');
    std::ofstream(run_dir() / "good.dim", std::ios::binary) << std::string(256, '\0');
    std::ofstream(run_dir() / "good.xdf") << "disk";
    const std::string in_tmp = "TMPDIR='" + tmp.string() + "'";
    struct Case {
        const char* args;
        const char* env;  // "" for TMPDIR in the test's folder
        const char* told;
    } cases[] = {
        {"--fd0 folder.xdf", "", "folder.xdf: cannot be put in drive 0: a folder, not a disk image"},
        {"--fd1 fifo.xdf", "", "fifo.xdf: cannot be put in drive 1: not a regular file"},
        {"--fd0 missing.xdf", "", "missing.xdf: cannot be put in drive 0: No such file or directory"},
        {"--fd2 short.dim", "", "short.dim: cannot be put in drive 2: no .DIM image: the header is shorter"},
        {"--fd0 type7.dim", "", "type7.dim: cannot be put in drive 0: no .DIM image: media type 7 is not 0-3"},
        {"--fd0 good.dim", "TMPDIR=/nonexistent-zolm-folder",
         "good.dim: cannot be put in drive 0: no temporary image can be made in /nonexistent-zolm-folder"},
        // The system's own image word, and --set, are the command line too;
        // a drive that did go in is ejected again, its temporary image deleted.
        {"--fd1 good.dim missing.xdf", "", "missing.xdf: cannot be put in drive 0: No such file"},
        {"--set FD3=missing.xdf", "", "missing.xdf: cannot be put in drive 3: No such file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        Outcome r = zolm(std::string("--headless --virtual-clock --frames 1 ") + c.args,
                         (*c.env ? std::string(c.env) : in_tmp) + " timeout 60");
        EXPECT_EQ(r.status, EXIT_USAGE) << r.err;
        EXPECT_TRUE(r.err.starts_with(std::string("zolm: ") + c.told)) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(fs::exists(run_dir() / "access.dat")) << "the machine started";
        EXPECT_FALSE(fs::exists(run_dir() / "X68.CFG")) << "nothing is saved";
        EXPECT_TRUE(fs::is_empty(tmp));
    }

    // Images that go in run; a bad image the settings file names leaves
    // its drive empty, is told, and stays in the file.
    std::ofstream(run_dir() / "X68.CFG") << "ZOLM\n101\nFD1:missing.xdf\nEND:\n";
    Outcome ok = zolm("--headless --virtual-clock --frames 1 --fd0 good.xdf --fd2 good.dim", in_tmp);
    EXPECT_EQ(ok.status, 0) << ok.err;
    EXPECT_NE(ok.err.find("[ZOLM] missing.xdf: cannot be put in drive 1: No such file or directory; left empty, "
                          "the settings file keeps the name\n"),
              std::string::npos)
        << ok.err;
    EXPECT_NE(file_text(run_dir() / "X68.CFG").find("\nFD1:missing.xdf\n"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(tmp));
}

// The guest writes to drive 0 the image the settings file names. "no disk"
// is the empty drive, not the file of that name; an image that cannot go
// in stays named in the file and goes in once it is there again.
TEST_F(Headless, SettingsFileImagesComeBackAndNoDiskIsNoFile) {
    install_rom("disk_write_wait");
    install_cgrom();
    const fs::path cfg = run_dir() / "X68.CFG", no_disk = run_dir() / "no disk", later = run_dir() / "later.xdf";
    const std::string blank(2048, '\0');
    const std::string run = "--headless --virtual-clock --frames 10";
    std::ofstream(no_disk) << blank;
    std::ofstream(cfg) << "ZOLM\n101\nFD0:no disk\nEND:\n";
    Outcome r = zolm(run);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(file_text(no_disk) == blank) << "the guest wrote into \"no disk\"";
    EXPECT_NE(file_text(cfg).find("\nFD0:no disk\n"), std::string::npos);

    std::ofstream(cfg) << "ZOLM\n101\nFD0:later.xdf\nEND:\n";
    r = zolm(run);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(
        r.err.starts_with("[ZOLM] later.xdf: cannot be put in drive 0: No such file or directory; left "
                          "empty, the settings file keeps the name\n"))
        << r.err;
    EXPECT_NE(file_text(cfg).find("\nFD0:later.xdf\n"), std::string::npos);
    std::ofstream(later) << blank;
    r = zolm(run);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(file_text(later).substr(1024, 4), "SIG!") << "the disk came back";
}

TEST_F(Headless, DeviceNodeIsNoImage) {
    install_rom("power_off");
    install_cgrom();
    const fs::path node = run_dir() / "null.xdf";
    if (mknod(node.c_str(), S_IFCHR | 0600, makedev(1, 3)) != 0)
        GTEST_SKIP() << "a device node cannot be made here (" << std::strerror(errno) << "; mknod wants root)";
    Outcome r = zolm("--headless --virtual-clock --frames 1 --fd0 null.xdf");
    EXPECT_EQ(r.status, EXIT_USAGE) << r.err;
    EXPECT_EQ(r.err, "zolm: null.xdf: cannot be put in drive 0: not a regular file\n");
    struct stat st;
    ASSERT_EQ(stat(node.c_str(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST_F(Headless, InputScriptThatIsAFolderIsRefused) {
    fs::create_directory(run_dir() / "script");
    Outcome r = zolm("--input script --frames 1");
    EXPECT_EQ(r.status, EXIT_USAGE);
    EXPECT_EQ(r.err, "zolm: --input: script: a folder, not a script\n");
}

TEST_F(Headless, SettingsThatCannotBeSavedFailTheRun) {
    install_rom("power_off");
    install_cgrom();
    Outcome r = zolm("--headless --virtual-clock --frames 1 -o no-such-folder/my.cfg");
    EXPECT_EQ(r.status, EXIT_UNSAVED) << r.err;
    EXPECT_NE(r.err.find("no-such-folder/my.cfg could not be saved"), std::string::npos) << r.err;
}

TEST_F(Headless, AddressSpaceThatCannotBeHadIsTold) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "AddressSanitizer's shadow memory does not fit under the limit";
#endif
    install_rom("power_off");
    install_cgrom();
    // Far less than the guest windows reserve.
    Outcome r = zolm("--headless --virtual-clock --frames 1", "ulimit -v 1500000 &&");
    EXPECT_EQ(r.status, EXIT_START_FAILED);
    EXPECT_TRUE(r.err.starts_with("[ZOLM initialize 3] メモリの確保が出来ません！\n")) << r.err;
}

}  // namespace

// A window shot without a window is refused before the machine starts (no
// ROM here: a machine that started would say "ZOLM initialize 1").
TEST_F(Headless, WindowShotWithoutAWindowIsRefused) {
    for (const char* args : {"--headless --window-shot w.png", "--input /dev/null --window-shot w.png"}) {
        SCOPED_TRACE(args);
        Outcome r = zolm(args);
        EXPECT_EQ(r.status, EXIT_USAGE);
        EXPECT_EQ(r.err, "zolm: --window-shot: there is no window in a headless run\n");
        EXPECT_FALSE(fs::exists(run_dir() / "w.png"));
        EXPECT_FALSE(fs::exists(run_dir() / "X68.CFG"));
    }
}

// A MIDI port that cannot be opened is said at the start; the run goes on
// with MIDI off, as without any MIDI back end.
TEST_F(Headless, MidiPortThatCannotBeOpenedIsTold) {
    install_rom("demo");
    install_cgrom();
    Outcome r = zolm("--headless --virtual-clock --frames 2 --midi-port 999:0");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("zolm: --midi-port 999:0: cannot be opened ("), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("); MIDI is off\n"), std::string::npos) << r.err;
}
