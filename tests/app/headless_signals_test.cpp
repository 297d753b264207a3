// SIGTERM and SIGINT headless are AC plug, as in the window: the run ends
// in order, so what the guest wrote to a ".DIM" is written back, the
// settings and the machine's files are saved and no temporary image stays.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>

#include "app/headless.h"

#include "support/headless_fixture.h"

using namespace headless_fixture;

namespace {

constexpr size_t DIM_HEADER = 256, TRACK0_BYTES = 8192, SECTOR = 1024;
constexpr char MARK[] = "SIG!";

class HeadlessSignal : public Headless {
protected:
    // A type-0 ".DIM" with no track present: every sector reads $E5.
    void write_empty_dim(const fs::path& p) { std::ofstream(p, std::ios::binary) << std::string(DIM_HEADER, '\0'); }

    // The temporary image in tmp, empty when there is none or several.
    static fs::path temporary_image(const fs::path& tmp) {
        fs::path found;
        int n = 0;
        for (const auto& e : fs::directory_iterator(tmp)) {
            found = e.path();
            n++;
        }
        return n == 1 ? found : fs::path();
    }

    // Starts zolm headless on game.dim, waits until the guest's sector is in
    // the temporary image, runs meanwhile, sends sig and answers the wait
    // status (-1: the program did not end within 30 s and was killed).
    int run_and_signal(int sig, const fs::path& tmp, std::string& why, const std::function<void()>& meanwhile = {}) {
        const std::string bin = (root_ / "bin" / "zolm").string(), dir = run_dir().string();
        const std::string err = (root_ / "err").string(), tmpdir = tmp.string();
        pid_t pid = fork();
        if (pid < 0) return -1;
        if (pid == 0) {
            int fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (fd < 0 || chdir(dir.c_str()) != 0) _exit(127);
            dup2(fd, 1);
            dup2(fd, 2);
            setenv("TMPDIR", tmpdir.c_str(), 1);
            execl(bin.c_str(), bin.c_str(), "--headless", "--fd0", "game.dim", (char*)nullptr);
            _exit(127);
        }
        bool written = false;
        for (int i = 0; i < 300 && !written; i++) {
            usleep(100 * 1000);
            fs::path image = temporary_image(tmp);
            if (image.empty()) continue;
            std::vector<uint8_t> bytes = file_bytes(image);
            written = bytes.size() >= 2 * SECTOR && std::memcmp(bytes.data() + SECTOR, MARK, 4) == 0;
        }
        if (!written) why = "the guest's write never reached the temporary image";
        if (meanwhile) meanwhile();
        kill(pid, sig);
        int status = 0;
        for (int i = 0; i < 300; i++) {
            if (waitpid(pid, &status, WNOHANG) == pid) return status;
            usleep(100 * 1000);
        }
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }
};

TEST_F(HeadlessSignal, SignalIsAcPlugAndEverythingIsSaved) {
    install_rom("disk_write_wait");
    install_cgrom();
    const fs::path tmp = root_ / "tmp";
    fs::create_directory(tmp);
    for (int sig : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(strsignal(sig));
        const fs::path dim = run_dir() / "game.dim";
        write_empty_dim(dim);
        fs::remove(run_dir() / "X68.CFG");
        fs::remove(run_dir() / "access.dat");
        std::string why;
        int status = run_and_signal(sig, tmp, why);
        ASSERT_TRUE(why.empty()) << why << "\n" << file_text(root_ / "err");
        ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal itself: " << file_text(root_ / "err");
        EXPECT_EQ(WEXITSTATUS(status), 0) << file_text(root_ / "err");
        // Track 0 holds the sector now, so it is present in the file.
        std::vector<uint8_t> bytes = file_bytes(dim);
        ASSERT_EQ(bytes.size(), DIM_HEADER + TRACK0_BYTES);
        EXPECT_EQ(bytes[1], 1) << "track 0 is marked present";
        EXPECT_EQ(std::memcmp(bytes.data() + DIM_HEADER + SECTOR, MARK, 4), 0);
        EXPECT_EQ(bytes[DIM_HEADER], 0xE5) << "sector 1 was never written";
        EXPECT_TRUE(file_text(run_dir() / "X68.CFG").ends_with("\nEND:\n"));
        EXPECT_EQ(fs::file_size(run_dir() / "access.dat"), 0x20000u);
        EXPECT_TRUE(fs::is_empty(tmp)) << "the temporary image stayed";
    }
}

}  // namespace

namespace {

// A ".DIM" that cannot be written back keeps its temporary image, says
// where, and fails the run as an unsaved "sram.ram" does.
TEST_F(HeadlessSignal, DimThatCannotBeWrittenBackFailsTheRun) {
    install_rom("disk_write_wait");
    install_cgrom();
    const fs::path tmp = root_ / "tmp", dim = run_dir() / "game.dim";
    fs::create_directory(tmp);
    write_empty_dim(dim);
    std::string why;
    int status = run_and_signal(SIGTERM, tmp, why, [&] {
        fs::remove(dim);
        fs::create_directory(dim);
    });
    ASSERT_TRUE(why.empty()) << why;
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), EXIT_UNSAVED);
    const fs::path kept = temporary_image(tmp);
    ASSERT_FALSE(kept.empty());
    EXPECT_NE(file_text(root_ / "err").find("the disk's contents are kept in " + kept.string()), std::string::npos)
        << file_text(root_ / "err");
}

}  // namespace

namespace {

// In the console debugger SIGTERM stops the run and ends the session as
// the end of its input does, though the input stays open.
TEST_F(Headless, SigtermEndsTheDebuggerSession) {
    install_rom("debugger_script");
    install_cgrom();
    int to_zolm, from_zolm;
    pid_t pid = start_debugger(to_zolm, from_zolm);
    ASSERT_GE(pid, 0);
    const std::string never_ends = "u 123456\n";
    ASSERT_EQ(write(to_zolm, never_ends.data(), never_ends.size()), ssize_t(never_ends.size()));
    usleep(500 * 1000);
    kill(pid, SIGTERM);
    int status = 0;
    bool ended = false;
    for (int i = 0; i < 300 && !ended; i++) {
        ended = waitpid(pid, &status, WNOHANG) == pid;
        if (!ended) usleep(100 * 1000);
    }
    if (!ended) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    close(to_zolm);
    std::string text;
    char buf[4096];
    for (ssize_t n; (n = read(from_zolm, buf, sizeof buf)) > 0;) text.append(buf, size_t(n));
    close(from_zolm);
    ASSERT_TRUE(ended) << "still running: " << text;
    ASSERT_TRUE(WIFEXITED(status)) << text;
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_NE(text.find("\nbreak!\n"), std::string::npos) << text;
    EXPECT_TRUE(file_text(run_dir() / "X68.CFG").ends_with("\nEND:\n"));
}

}  // namespace
