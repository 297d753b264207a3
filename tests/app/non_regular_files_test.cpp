// Files that are not regular ones, given to a whole run: outputs and saved
// files that are devices or FIFOs stay what they were, and inputs that are
// FIFOs or endless devices neither block nor grow the start.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <string>

#include "support/headless_fixture.h"

using namespace headless_fixture;

namespace {

using NonRegularFiles = Headless;

bool is_char_device(const fs::path& p) { return fs::is_character_file(fs::status(p)); }
bool names_fifo(const fs::path& p) { return fs::is_fifo(fs::symlink_status(p)); }

TEST_F(NonRegularFiles, OutputsToDevicesAndFifosLeaveThemAsTheyWere) {
    install_rom("power_off");
    install_cgrom();
    const fs::path fifo = run_dir() / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);

    // A FIFO that nothing reads is refused, not waited for and not replaced.
    Outcome r = zolm("--headless --virtual-clock --frames 5 --wav fifo", "timeout 60");
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_NE(r.err.find("fifo could not be written"), std::string::npos) << r.err;
    EXPECT_TRUE(names_fifo(fifo));

    // A private null device: the RAM dump and the saved files linked to it
    // are written into it, and it stays a device. Making one needs root.
    const fs::path null = run_dir() / "null";
    if (mknod(null.c_str(), S_IFCHR | 0600, makedev(1, 3)) != 0)
        GTEST_SKIP() << "no device node can be made here (mknod needs root): the FIFO case ran";
    fs::remove(run_dir() / "sram.ram");
    fs::remove(run_dir() / "access.dat");
    fs::create_symlink("null", run_dir() / "sram.ram");
    fs::create_symlink("null", run_dir() / "access.dat");
    r = zolm("--headless --virtual-clock --frames 5 --dump-ram null", "timeout 60");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(is_char_device(null));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(run_dir() / "sram.ram")));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(run_dir() / "access.dat")));
    for (const auto& entry : fs::directory_iterator(run_dir()))
        EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
}

TEST_F(NonRegularFiles, FifosAndEndlessDevicesAtStartAreRefused) {
    install_rom("power_off");
    install_cgrom();
    for (const char* name : {"X68.CFG", "AT2X.KEY", "sram.ram", "access.dat", "comment.lst"})
        ASSERT_EQ(mkfifo((run_dir() / name).c_str(), 0600), 0) << name;
    // Neither the settings nor the access map could be saved: status 3.
    Outcome r = zolm("--headless --virtual-clock --frames 5", "timeout 60");
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_NE(r.err.find("access.dat could not be saved: a FIFO that nothing reads"), std::string::npos) << r.err;
    for (const char* name : {"X68.CFG", "AT2X.KEY", "access.dat", "comment.lst"})
        EXPECT_TRUE(names_fifo(run_dir() / name)) << name;

    // Links to an endless device, a private zero node in this folder, so
    // that nothing outside it is read or written (skipped where mknod is
    // refused). X68.CFG is no settings file, so it is never written over.
    if (mknod((run_dir() / "zero").c_str(), S_IFCHR | 0600, makedev(1, 5)) == 0) {
        for (const char* name : {"X68.CFG", "AT2X.KEY", "comment.lst", "sram.ram", "access.dat"}) {
            fs::remove(run_dir() / name);
            fs::create_symlink("zero", run_dir() / name);
        }
        r = zolm("--headless --virtual-clock --frames 5", "timeout 60");
        EXPECT_EQ(r.status, 3) << r.err;
        EXPECT_TRUE(fs::is_symlink(fs::symlink_status(run_dir() / "X68.CFG")));
        EXPECT_TRUE(is_char_device(run_dir() / "zero"));
    }

    // The IPL ROM itself as a FIFO: not found, as with no file.
    fs::remove(run_dir() / "iplrom.dat");
    ASSERT_EQ(mkfifo((run_dir() / "iplrom.dat").c_str(), 0600), 0);
    r = zolm("--headless --virtual-clock --frames 5", "timeout 60");
    EXPECT_EQ(r.status, 1) << r.err;
}

}  // namespace
