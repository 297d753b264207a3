#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "host/paths.h"
#include "host/signals.h"
#include "support/ordinary_user.h"

namespace fs = std::filesystem;

namespace {

class TempDir : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "zolm-paths-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override { fs::remove_all(dir_); }
    static std::string read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    size_t entries() const { return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), {})); }
    fs::path dir_;
};

TEST(Paths, JoinPutsOneSlashBetween) {
    struct Case {
        const char* folder;
        const char* name;
        const char* joined;
    };
    const Case cases[] = {
        {"/home/x", "sram.ram", "/home/x/sram.ram"},
        {"/home/x/", "sram.ram", "/home/x/sram.ram"},
        {"/", "boot.rom", "/boot.rom"},
        {"", "cgrom.tmp", "cgrom.tmp"},
        {"/home/x", "/etc/font.dat", "/etc/font.dat"},
        {"rel", "a/b.dat", "rel/a/b.dat"},
    };
    for (const Case& c : cases) EXPECT_EQ(path_join(c.folder, c.name), c.joined) << c.folder << " + " << c.name;
}

TEST(Paths, InitFindsTheStartFolderAndTheProgramFolder) {
    paths_init();
    EXPECT_EQ(fs::path(g_start_dir), fs::current_path());
    ASSERT_FALSE(g_exe_dir.empty());
    EXPECT_NE(g_exe_dir.back(), '/');
    EXPECT_TRUE(fs::is_regular_file(fs::path(g_exe_dir) / "test_host"));
}

TEST_F(TempDir, WholeWriteCreatesAndReplacesLeavingNoTemporaryFile) {
    const std::string path = (dir_ / "access.dat").string();
    ASSERT_TRUE(write_file_whole(path, "first", 5));
    EXPECT_EQ(read(path), "first");
    ASSERT_TRUE(write_file_whole(path, "2nd", 3));
    EXPECT_EQ(read(path), "2nd");
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    ASSERT_TRUE(write_file_whole(path, "", 0));
    EXPECT_EQ(fs::file_size(path), 0u);
    EXPECT_EQ(entries(), 1u);
}

TEST_F(TempDir, FailedWholeWriteLeavesTheFolderAsItWas) {
    // A folder where the file should go: the rename fails after the data was written.
    fs::create_directory(dir_ / "sram.ram");
    std::ofstream(dir_ / "sram.ram" / "inside") << "kept";
    EXPECT_FALSE(write_file_whole((dir_ / "sram.ram").string(), "data", 4));
    EXPECT_TRUE(fs::is_directory(dir_ / "sram.ram"));
    EXPECT_EQ(read(dir_ / "sram.ram" / "inside"), "kept");
    EXPECT_EQ(entries(), 1u);
    // No folder at all.
    EXPECT_FALSE(write_file_whole((dir_ / "missing" / "x.dat").string(), "data", 4));
    EXPECT_EQ(entries(), 1u);
}

TEST_F(TempDir, WholeWriteGoesThroughASymbolicLinkToItsTarget) {
    // The target in another folder; links relative, absolute and chained.
    fs::create_directories(dir_ / "data");
    fs::create_directories(dir_ / "links");
    const fs::path target = dir_ / "data" / "sram.ram";
    struct Case {
        const char* link;
        fs::path to;
    };
    const Case cases[] = {
        {"relative", "../data/sram.ram"},
        {"absolute", target},
        {"chained", "relative"},
    };
    for (const Case& c : cases) fs::create_symlink(c.to, dir_ / "links" / c.link);
    int round = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link);
        std::ofstream(target) << "old";
        fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
        const std::string data = "new " + std::to_string(++round);
        ASSERT_TRUE(write_file_whole((dir_ / "links" / c.link).string(), data.data(), data.size()));
        EXPECT_TRUE(fs::is_symlink(dir_ / "links" / c.link));
        EXPECT_EQ(read(target), data);
        EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "data"), {}), 1);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "links"), {}), 3);
    }
    // A link to nothing yet makes its target; a loop of links is refused.
    fs::create_symlink("made.dat", dir_ / "data" / "dangling");
    ASSERT_TRUE(write_file_whole((dir_ / "data" / "dangling").string(), "x", 1));
    EXPECT_EQ(read(dir_ / "data" / "made.dat"), "x");
    fs::create_symlink("loop", dir_ / "loop");
    EXPECT_FALSE(write_file_whole((dir_ / "loop").string(), "x", 1));
    EXPECT_EQ(errno, ELOOP);
}

TEST_F(TempDir, WholeWriteOfANameNearTheLengthLimit) {
    // "name.tmp-XXXXXX" would pass NAME_MAX; the temporary name is cut short.
    for (size_t length : {size_t{250}, size_t{NAME_MAX}}) {
        SCOPED_TRACE(length);
        const fs::path path = dir_ / std::string(length, 'n');
        ASSERT_TRUE(write_file_whole(path.string(), "long", 4)) << std::strerror(errno);
        EXPECT_EQ(read(path), "long");
        EXPECT_EQ(entries(), 1u);
        fs::remove(path);
    }
}

// The check a ".DIM" gets at insertion says what the whole write will do:
// a folder that takes no new file (its permission bits, which only stop an
// ordinary user), a link leading into or out of one, and a sticky folder
// where only the owners may replace a file. Nothing is left behind.
TEST_F(TempDir, ReplaceableSaysWhatTheWholeWriteWillDo) {
    const bool root = ::geteuid() == 0;
    auto file = [](const fs::path& p, mode_t mode, bool ordinary) {
        std::ofstream(p) << "old";
        ::chmod(p.c_str(), mode);
        if (ordinary) give_to_ordinary_user(p);
    };
    auto folder = [](const fs::path& p, mode_t mode, bool ordinary) {
        fs::create_directory(p);
        if (ordinary) give_to_ordinary_user(p);
        ::chmod(p.c_str(), mode);
    };
    give_to_ordinary_user(dir_);
    folder(dir_ / "open", 0755, true);
    file(dir_ / "open" / "file.dat", 0644, true);
    folder(dir_ / "shut", 0755, true);
    file(dir_ / "shut" / "file.dat", 0644, true);
    fs::create_symlink("../open/file.dat", dir_ / "shut" / "to-open");
    fs::create_symlink("../shut/file.dat", dir_ / "open" / "to-shut");
    give_to_ordinary_user(dir_ / "shut" / "to-open");
    give_to_ordinary_user(dir_ / "open" / "to-shut");
    ::chmod((dir_ / "shut").c_str(), 0555);
    if (root) {
        folder(dir_ / "sticky", 01777, false);
        file(dir_ / "sticky" / "theirs.dat", 0666, false);
        file(dir_ / "sticky" / "mine.dat", 0644, true);
    }
    struct Case {
        const char* path;
        bool replaceable;
        bool as_root_only;  // the folder and the file another user's
    };
    const Case cases[] = {
        {"open/file.dat", true, false}, {"shut/file.dat", false, false},    {"shut/to-open", true, false},
        {"open/to-shut", false, false}, {"sticky/theirs.dat", false, true}, {"sticky/mine.dat", true, true},
    };
    const fs::path dir = dir_;
    const auto check = [&] {
        for (const Case& c : cases) {
            if (c.as_root_only && !root) continue;
            SCOPED_TRACE(c.path);
            const fs::path path = dir / c.path;
            const fs::path where = fs::canonical(path).parent_path();
            const auto before = std::distance(fs::directory_iterator(where), {});
            const bool replaceable = regular_file_replaceable(path.string());
            const int err = errno;
            EXPECT_EQ(replaceable, c.replaceable) << std::strerror(err);
            EXPECT_TRUE(replaceable || err == EACCES || err == EPERM) << std::strerror(err);
            EXPECT_EQ(write_regular_file_whole(path.string(), "new", 3), replaceable)
                << "the check and the write differ";
            EXPECT_EQ(std::distance(fs::directory_iterator(where), {}), before) << "something was left behind";
        }
    };
    EXPECT_TRUE(as_ordinary_user(check));
    ::chmod((dir_ / "shut").c_str(), 0755);
}

// A file its owner may not write is never replaced, whoever runs the
// program (root included); the owner's write bit alone decides.
TEST_F(TempDir, AFileWithoutItsOwnersWriteBitIsNotWrittenOver) {
    struct Case {
        fs::perms mode;
        bool replaced;
    };
    using P = fs::perms;
    const Case cases[] = {
        {P::owner_read | P::group_read | P::others_read, false},
        {P::owner_read | P::group_write | P::others_write, false},
        {P::owner_read | P::owner_write, true},
        {P::owner_write, true},
    };
    const fs::path path = dir_ / "X68.CFG";
    fs::create_symlink("X68.CFG", dir_ / "link");
    for (const Case& c : cases) {
        for (const char* name : {"X68.CFG", "link"}) {
            SCOPED_TRACE(std::to_string(int(c.mode)) + " " + name);
            fs::remove(path);
            std::ofstream(path) << "old";
            fs::permissions(path, c.mode);
            bool written = write_file_whole((dir_ / name).string(), "new", 3);
            int err = errno;
            EXPECT_EQ(written, c.replaced);
            EXPECT_EQ(written ? EACCES : err, EACCES);
            EXPECT_EQ(read(path), c.replaced ? "new" : "old");
            EXPECT_EQ(fs::status(path).permissions() & P::all, c.mode);
            EXPECT_EQ(entries(), 2u);
        }
    }
}

// A FIFO whose reader opened it and stopped reading: the write is given up,
// the FIFO stays. The reader end is the test's own, read only when told.
class StalledWrite : public TempDir {
protected:
    static constexpr size_t DATA_SIZE = 0x20000;  // two pipe buffers and more

    void SetUp() override {
        TempDir::SetUp();
        fifo_ = dir_ / "access.dat";
        ASSERT_EQ(mkfifo(fifo_.c_str(), 0600), 0);
        reader_ = open(fifo_.c_str(), O_RDONLY | O_NONBLOCK);
        ASSERT_GE(reader_, 0);
        data_.assign(DATA_SIZE, 'a');
    }
    void TearDown() override {
        close(reader_);
        g_write_stall_limit = WRITE_STALL_LIMIT;
        TempDir::TearDown();
    }
    bool write_data() { return write_file_whole(fifo_.string(), data_.data(), data_.size()); }
    // Bytes waiting in the pipe.
    int waiting() const {
        int n = 0;
        return ioctl(reader_, FIONREAD, &n) == 0 ? n : 0;
    }
    // Reads at most limit bytes of what waits; the count read.
    size_t take(size_t limit) {
        std::vector<char> buf(limit);
        ssize_t n = ::read(reader_, buf.data(), buf.size());
        return n > 0 ? size_t(n) : 0;
    }
    void drain() {
        while (take(0x10000) > 0) {}
    }

    fs::path fifo_;
    int reader_ = -1;
    std::vector<char> data_;
};

TEST_F(StalledWrite, AReaderThatTakesNothingIsGivenUpOneThatTakesSlowlyIsNot) {
    using namespace std::chrono_literals;
    g_write_stall_limit = 300ms;
    EXPECT_FALSE(write_data());
    EXPECT_EQ(errno, ETIMEDOUT);
    EXPECT_EQ(write_error_text(ETIMEDOUT), "it took nothing for 300 ms");
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(fifo_)));
    drain();

    // 16 KiB every 100 ms: far longer than the limit in all, never stalled that long.
    size_t got = 0;
    std::thread slow([&] {
        for (int i = 0; i < 100 && got < DATA_SIZE; i++) {
            std::this_thread::sleep_for(100ms);
            got += take(0x4000);
        }
    });
    EXPECT_TRUE(write_data()) << std::strerror(errno);
    slow.join();
    drain();
    EXPECT_EQ(got, DATA_SIZE);
}

// An AC plug signal that comes while the write waits gives it up at once,
// long before the limit; a stalled write after it does not wait at all,
// but one that is taken still goes through.
TEST_F(StalledWrite, AnAcPlugSignalCutsTheWaitShort) {
    using namespace std::chrono_literals;
    g_write_stall_limit = 600s;  // the test would hang for it
    std::thread unplug([&] {
        for (int i = 0; i < 100 && waiting() == 0; i++) std::this_thread::sleep_for(20ms);
        std::this_thread::sleep_for(100ms);
        g_signal_ac_plug_count.fetch_add(1);  // as the handler counts one
    });
    EXPECT_FALSE(write_data());
    EXPECT_EQ(errno, ECANCELED);
    unplug.join();

    EXPECT_FALSE(write_data());
    EXPECT_EQ(errno, ECANCELED);
    drain();
    EXPECT_TRUE(write_file_whole(fifo_.string(), "small", 5));
    EXPECT_EQ(take(16), 5u);
}

}  // namespace
