// ".DIM" conversion on insertion: the plain image made, the refusals, and
// that no temporary image outlives its drive.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <vector>

#include "storage/dim_image.h"
#include "storage/disk_image.h"
#include "storage/drive_slots.h"
#include "support/ordinary_user.h"

namespace fs = std::filesystem;

namespace {

class DimImage : public ::testing::Test {
protected:
    fs::path dir, tmp;
    std::string old_tmpdir;
    bool had_tmpdir = false;

    void SetUp() override {
        dir = fs::temp_directory_path() / ("zolm-dim-" + std::to_string(::getpid()));
        tmp = dir / "tmp";
        fs::create_directories(tmp);
        if (const char* t = std::getenv("TMPDIR")) {
            had_tmpdir = true;
            old_tmpdir = t;
        }
        ::setenv("TMPDIR", tmp.c_str(), 1);
        for (int d = 0; d < FD_DRIVES; ++d) g_fd_media[d] = FdMedia{};
    }
    void TearDown() override {
        panel_close_media();
        if (had_tmpdir) ::setenv("TMPDIR", old_tmpdir.c_str(), 1);
        else ::unsetenv("TMPDIR");
        fs::remove_all(dir);
    }
    // A ".DIM" file: the header with type and flags, then `tracks` of data
    // (each track filled with its number).
    std::string write_dim(const std::string& name, int type, const std::vector<int>& present, size_t data_tracks,
                          size_t track_bytes) {
        std::vector<unsigned char> bytes(DIM_HEADER_BYTES, 0);
        bytes[0] = static_cast<unsigned char>(type);
        for (int t : present) bytes[DIM_TRACK_FLAGS_OFFSET + t] = 1;
        for (size_t i = 0; i < data_tracks; ++i)
            bytes.insert(bytes.end(), track_bytes, static_cast<unsigned char>(i + 1));
        fs::path p = dir / name;
        std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return p.string();
    }
    size_t temporaries() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(tmp), fs::directory_iterator()));
    }
    static std::vector<unsigned char> read_all(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
};

TEST_F(DimImage, TypeZeroWithoutTracksIs154TracksOfE5) {
    panel_insert_image(write_dim("a.dim", 0, {}, 0, 0), 0);
    const FdMedia& s = g_fd_media[0];
    ASSERT_EQ(s.state, FD_STATE_INSERTED);
    EXPECT_EQ(s.media, FD_MEDIA_TEMPORARY | 0);
    EXPECT_EQ(fs::path(s.path).parent_path(), tmp);
    EXPECT_EQ(fs::path(s.path).filename().string().rfind("ZOLM$", 0), 0u);
    std::vector<unsigned char> image = read_all(s.path);
    ASSERT_EQ(image.size(), 154u * 8192u);
    EXPECT_TRUE(std::all_of(image.begin(), image.end(), [](unsigned char b) { return b == DIM_ABSENT_FILL; }));
}

TEST_F(DimImage, TrackPresentPastTheTypesLastGivesItsCount) {
    // Type 2 (7680-byte tracks, 160 at least): tracks 3 and 165 present.
    panel_insert_image(write_dim("GAME.dim.xdf", 2, {3, 165}, 2, 7680), 1);
    const FdMedia& s = g_fd_media[1];
    ASSERT_EQ(s.media, FD_MEDIA_TEMPORARY | 2) << "a name holding .DIM anywhere is converted";
    std::vector<unsigned char> image = read_all(s.path);
    ASSERT_EQ(image.size(), 166u * 7680u);
    EXPECT_EQ(image[3 * 7680], 1);
    EXPECT_EQ(image[165 * 7680 + 7679], 2);
    EXPECT_EQ(image[164 * 7680], DIM_ABSENT_FILL);
}

TEST_F(DimImage, RefusalsLeaveTheDriveEmptyAndNoTemporary) {
    struct Case {
        const char* what;
        int type;
        std::vector<int> present;
        size_t tracks;
        size_t header_cut;
    };
    const Case cases[] = {
        {"type 4", 4, {}, 0, 0},
        {"type 0x80", 0x80, {}, 0, 0},
        {"short header", 0, {}, 0, 10},
        {"short track data", 1, {0, 1}, 1, 0},
    };
    for (const Case& c : cases) {
        std::string path = write_dim("bad.DIM", c.type, c.present, c.tracks, 9216);
        if (c.header_cut) fs::resize_file(path, DIM_HEADER_BYTES - c.header_cut);
        panel_insert_image(path, 2);
        const FdMedia& s = g_fd_media[2];
        EXPECT_EQ(s.state, FD_STATE_EMPTY) << c.what;
        EXPECT_EQ(s.name, FD_NO_DISK) << c.what;
        EXPECT_EQ(s.media & FD_MEDIA_TEMPORARY, 0) << c.what;
        EXPECT_EQ(temporaries(), 0u) << c.what;
        EXPECT_TRUE(fs::exists(path)) << c.what << ": the image itself is never deleted";
    }
}

TEST_F(DimImage, NoTemporaryFolderLeavesTheDriveEmpty) {
    ::setenv("TMPDIR", (dir / "missing").c_str(), 1);
    panel_insert_image(write_dim("a.dim", 0, {}, 0, 0), 0);
    EXPECT_EQ(g_fd_media[0].state, FD_STATE_EMPTY);
    EXPECT_EQ(g_fd_media[0].name, FD_NO_DISK);
}

TEST_F(DimImage, EjectAndReinsertDeleteTheTemporary) {
    std::string dim = write_dim("a.dim", 3, {0}, 1, 9216);
    panel_insert_image(dim, 0);
    std::string first = g_fd_media[0].path;
    ASSERT_TRUE(fs::exists(first));
    panel_insert_image(dim, 0);  // another insertion ejects first
    EXPECT_FALSE(fs::exists(first));
    EXPECT_EQ(temporaries(), 1u);
    panel_eject(0);
    EXPECT_EQ(temporaries(), 0u);
    EXPECT_EQ(g_fd_media[0].path, FD_NO_DISK);
    panel_insert_image(dim, 3);
    panel_close_media();
    EXPECT_EQ(temporaries(), 0u);
}

// The disk side of ".DIM" images: the fixture the disk calls' write-back works on.
using StorageDimImage = DimImage;

TEST_F(StorageDimImage, TypeOneWithTracks0_5_165Is166TracksWithE5Between) {
    panel_insert_image(write_dim("g.dim", 1, {0, 5, 165}, 3, 9216), 1);
    const FdMedia& s = g_fd_media[1];
    ASSERT_EQ(s.media, FD_MEDIA_TEMPORARY | 1);
    std::vector<unsigned char> image = read_all(s.path);
    ASSERT_EQ(image.size(), 166u * 9216);
    EXPECT_EQ(image[0], 1);
    EXPECT_EQ(image[5 * 9216 + 9215], 2);
    EXPECT_EQ(image[165 * 9216], 3);
    EXPECT_EQ(image[1 * 9216], DIM_ABSENT_FILL);
    EXPECT_EQ(image[164 * 9216 + 9215], DIM_ABSENT_FILL);
}

// A written image goes back into its ".DIM" at eject: type and the unread
// header bytes kept, a track present when it was or now holds data.
TEST_F(StorageDimImage, WrittenImageIsWrittenBackAndReadsTheSame) {
    std::string dim = write_dim("w.dim", 1, {0, 5, 165}, 3, 9216);
    {
        std::vector<unsigned char> bytes = read_all(dim);
        bytes[171] = 0x5A;
        bytes[255] = 0xA5;
        std::ofstream(dim, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    panel_insert_image(dim, 0);
    FdMedia& s = g_fd_media[0];
    const std::string temp = s.path;
    {
        std::fstream io(temp, std::ios::binary | std::ios::in | std::ios::out);
        io.seekp(10 * 9216 + 100);
        io.put(0x77);
        io.seekp(5 * 9216);
        io.put(static_cast<char>(DIM_ABSENT_FILL));
    }
    s.media |= FD_MEDIA_WRITTEN;  // as a disk write call marks it
    std::vector<unsigned char> image = read_all(temp);
    panel_eject(0);
    EXPECT_FALSE(fs::exists(temp));

    std::vector<unsigned char> back = read_all(dim);
    ASSERT_EQ(back.size(), DIM_HEADER_BYTES + 4 * 9216u) << "tracks 0, 5, 10 and 165";
    EXPECT_EQ(back[0], 1);
    for (int t = 0; t < DIM_TRACKS; ++t)
        EXPECT_EQ(back[DIM_TRACK_FLAGS_OFFSET + t], (t == 0 || t == 5 || t == 10 || t == 165) ? 1 : 0) << t;
    EXPECT_EQ(back[171], 0x5A);
    EXPECT_EQ(back[255], 0xA5);
    EXPECT_EQ(back[DIM_HEADER_BYTES + 2 * 9216 + 100], 0x77);

    panel_insert_image(dim, 0);
    EXPECT_EQ(read_all(g_fd_media[0].path), image) << "the round trip changed the disk";
}

TEST_F(StorageDimImage, UnwrittenImageIsLeftAsItWas) {
    std::string dim = write_dim("u.dim", 2, {3}, 1, 7680);
    std::vector<unsigned char> before = read_all(dim);
    auto stamp = fs::last_write_time(dim);
    panel_insert_image(dim, 2);
    panel_close_media();
    EXPECT_EQ(read_all(dim), before);
    EXPECT_EQ(fs::last_write_time(dim), stamp);
    EXPECT_EQ(temporaries(), 0u);
}

TEST_F(StorageDimImage, FailedWriteBackKeepsTheTemporary) {
    fs::create_directories(dir / "gone");
    std::string dim = write_dim("gone/f.dim", 0, {}, 0, 0);
    panel_insert_image(dim, 0);
    const std::string temp = g_fd_media[0].path;
    g_fd_media[0].media |= FD_MEDIA_WRITTEN;
    fs::remove_all(dir / "gone");
    panel_eject(0);
    EXPECT_TRUE(fs::exists(temp)) << "the written disk was lost";
    EXPECT_EQ(g_fd_media[0].name, FD_NO_DISK);
}

// A ".DIM" replaced by a FIFO or a folder while the machine ran: the
// write-back neither blocks nor writes into it; it says why and keeps the
// temporary image, naming it.
TEST_F(StorageDimImage, DimReplacedByAFifoOrFolderIsNotWrittenBack) {
    for (const char* what : {"fifo", "folder"}) {
        SCOPED_TRACE(what);
        std::string dim = write_dim("s.dim", 0, {}, 0, 0);
        panel_insert_image(dim, 0);
        const std::string temp = g_fd_media[0].path;
        g_fd_media[0].media |= FD_MEDIA_WRITTEN;
        fs::remove(dim);
        if (std::string(what) == "fifo") ASSERT_EQ(::mkfifo(dim.c_str(), 0600), 0);
        else fs::create_directory(dim);
        testing::internal::CaptureStderr();
        auto back = std::async(std::launch::async, [] { panel_eject(0); });
        const bool done = back.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
        if (!done) {
            // Unblock a reader waiting in open() so the test can end.
            int fd = ::open(dim.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) ::close(fd);
        }
        back.wait();
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(done) << "the write-back blocked";
        EXPECT_TRUE(fs::exists(temp)) << "the written disk was lost";
        EXPECT_NE(said.find(dim + ": could not be written back (" + (std::string(what) == "fifo" ? "not" : "a folder")),
                  std::string::npos)
            << said;
        EXPECT_NE(said.find(temp), std::string::npos) << said;
        fs::remove(temp);
        fs::remove_all(dim);
    }
}

// Past the converted tracks only what a disk call wrote is kept, even a
// track of nothing but the fill; the holes before it stay absent.
TEST_F(StorageDimImage, WrittenTracksPastTheConvertedOnesAreKept) {
    std::string dim = write_dim("p.dim", 0, {}, 0, 0);
    panel_insert_image(dim, 0);
    FdMedia& s = g_fd_media[0];
    {
        std::fstream io(s.path, std::ios::binary | std::ios::in | std::ios::out);
        io.seekp(157 * 8192);
        io << std::string(8192, static_cast<char>(DIM_ABSENT_FILL));  // tracks 154-156 left as holes
    }
    s.media |= FD_MEDIA_WRITTEN;
    s.written.set(157);
    panel_eject(0);
    std::vector<unsigned char> back = read_all(dim);
    ASSERT_EQ(back.size(), DIM_HEADER_BYTES + 8192u);
    for (int t = 0; t < DIM_TRACKS; ++t) EXPECT_EQ(back[DIM_TRACK_FLAGS_OFFSET + t], t == 157 ? 1 : 0) << t;
}

// A temporary image cut short or gone during the run is not written back:
// the ".DIM" stays as it was and the message names only a file that is there.
TEST_F(StorageDimImage, ShortOrMissingTemporaryLeavesTheDim) {
    struct Case {
        const char* what;
        bool remove;
        uintmax_t size;
    } cases[] = {
        {"cut to 5 tracks", false, 5 * 8192},
        {"cut into the written track", false, 160 * 8192},
        {"removed", true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string dim = write_dim("t.dim", 0, {0}, 1, 8192);
        const std::vector<unsigned char> before = read_all(dim);
        panel_insert_image(dim, 0);
        FdMedia& s = g_fd_media[0];
        const std::string temp = s.path;
        fs::resize_file(temp, 161 * 8192);  // as a write to track 160 leaves it
        s.media |= FD_MEDIA_WRITTEN;
        s.written.set(160);
        if (c.remove) fs::remove(temp);
        else fs::resize_file(temp, c.size);
        testing::internal::CaptureStderr();
        panel_eject(0);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(read_all(dim), before);
        EXPECT_NE(said.find(dim + ": not written back"), std::string::npos) << said;
        EXPECT_EQ(said.find(temp) != std::string::npos, fs::exists(temp)) << said;
        EXPECT_EQ(fs::exists(temp), !c.remove) << "a cut image is the only copy of what was written";
        fs::remove(temp);
    }
}

// Bytes after the last track of a ".DIM" are no track, but they are the
// file's: a write-back keeps them after the tracks, wherever the written
// track goes among them.
TEST_F(StorageDimImage, WriteBackKeepsTheBytesAfterTheLastTrack) {
    std::vector<unsigned char> tail(1000);
    for (size_t i = 0; i < tail.size(); ++i) tail[i] = static_cast<unsigned char>(i * 7 + 3);
    const struct {
        int track;  // the track written
        size_t tracks_after;
    } cases[] = {{0, 1}, {3, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.track);
        const std::string dim = write_dim("tail.dim", 0, {0}, 1, 8192);
        std::ofstream(dim, std::ios::binary | std::ios::app)
            .write(reinterpret_cast<const char*>(tail.data()), std::streamsize(tail.size()));
        ASSERT_EQ(fs::file_size(dim), 9448u);
        panel_insert_image(dim, 0);
        FdMedia& s = g_fd_media[0];
        {
            std::fstream io(s.path, std::ios::binary | std::ios::in | std::ios::out);
            io.seekp(std::streamoff(c.track) * 8192 + 10);
            io.put(0x3C);
        }
        s.media |= FD_MEDIA_WRITTEN;
        s.written.set(size_t(c.track));
        const std::vector<unsigned char> image = read_all(s.path);
        panel_eject(0);
        const std::vector<unsigned char> back = read_all(dim);
        ASSERT_EQ(back.size(), DIM_HEADER_BYTES + c.tracks_after * 8192 + tail.size());
        EXPECT_TRUE(std::equal(tail.begin(), tail.end(), back.end() - std::ptrdiff_t(tail.size())));
        EXPECT_EQ(back[DIM_HEADER_BYTES + (c.tracks_after - 1) * 8192 + 10], 0x3C);
        panel_insert_image(dim, 0);
        EXPECT_EQ(read_all(g_fd_media[0].path), image) << "the round trip changed the disk";
        panel_eject(0);
    }
}

// A ".DIM" whose write-back could not replace it goes in write-protected,
// and the insertion says why: the guest's writes are refused at once
// instead of being lost at the eject. Run as an ordinary user, whom a
// folder's permission bits stop.
TEST_F(StorageDimImage, ADimThatCannotBeWrittenBackGoesInWriteProtected) {
    const struct {
        const char* what;
        mode_t folder, file;
        const char* why;  // empty: writable
    } cases[] = {
        {"writable", 0755, 0644, ""},
        {"a folder that takes no new file", 0555, 0644,
         "it cannot be written back (its folder takes no new file in its place: Permission denied)"},
        {"a read-only file", 0755, 0444, "it cannot be written back (the file cannot be written: Permission denied)"},
    };
    give_to_ordinary_user(tmp);
    std::vector<std::string> dims;
    for (const auto& c : cases) {
        const fs::path folder = dir / ("f" + std::to_string(dims.size()));
        fs::create_directory(folder);
        dims.push_back(write_dim("f" + std::to_string(dims.size()) + "/d.dim", 0, {0}, 1, 8192));
        ::chmod(dims.back().c_str(), c.file);
        give_to_ordinary_user(dims.back());
        give_to_ordinary_user(folder);
        ::chmod(folder.c_str(), c.folder);
    }
    const auto insert = [&] {
        for (size_t i = 0; i < dims.size(); ++i) {
            const auto& c = cases[i];
            SCOPED_TRACE(c.what);
            const std::vector<unsigned char> before = read_all(dims[i]);
            testing::internal::CaptureStderr();
            ASSERT_EQ(panel_insert_image(dims[i], 1), "");
            const std::string said = testing::internal::GetCapturedStderr();
            const FdMedia& s = g_fd_media[1];
            EXPECT_EQ(s.state, FD_STATE_INSERTED);
            const bool protect = *c.why != 0;
            EXPECT_EQ((s.media & FD_MEDIA_READ_ONLY) != 0, protect);
            EXPECT_EQ(disk_probe_writable(0x9100), protect ? 1 : 0) << "the drive check's answer";
            EXPECT_EQ(bool(disk_open_image(0x9100, DiskMode::update)), !protect) << "a write call's open";
            const std::string text = protect ? dims[i] + ": put in drive 1 write-protected: " + c.why : std::string();
            EXPECT_EQ(said, protect ? text + "\n" : "");
            EXPECT_EQ(panel_take_insert_notice(), text);
            EXPECT_EQ(panel_take_insert_notice(), "") << "taken once";
            panel_eject(1);
            EXPECT_EQ(read_all(dims[i]), before);
        }
    };
    EXPECT_TRUE(as_ordinary_user(insert));
    for (size_t i = 0; i < dims.size(); ++i) ::chmod(fs::path(dims[i]).parent_path().c_str(), 0755);
}

}  // namespace
