// Every signal whose default would end zolm is AC plug headless, as in the
// window: the run ends in order, so what the guest wrote to a ".DIM" is
// written back, the settings and the machine's files are saved and no
// temporary image stays. SIGPIPE and SIGXFSZ are ignored.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/headless.h"

#include "support/headless_fixture.h"

using namespace headless_fixture;

namespace {

constexpr size_t DIM_HEADER = 256, TRACK0_BYTES = 8192, SECTOR = 1024;
constexpr char MARK[] = "SIG!";

// The child's signals as a shell with job control leaves them: none
// ignored, none blocked but those in blocked.
void child_signals_default(const sigset_t& blocked) {
    for (int sig = 1; sig < NSIG; sig++) signal(sig, SIG_DFL);
    sigprocmask(SIG_SETMASK, &blocked, nullptr);
}

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
    // Starts zolm headless on game.dim (or with args) with TMPDIR tmp; its
    // signals are those in blocked held off from the start.
    pid_t start(const fs::path& tmp, const sigset_t& blocked,
                const std::vector<std::string>& args = {"--fd0", "game.dim"}) {
        const std::string bin = (root_ / "bin" / "zolm").string(), dir = run_dir().string();
        const std::string err = (root_ / "err").string(), tmpdir = tmp.string();
        std::vector<char*> argv{const_cast<char*>(bin.c_str()), const_cast<char*>("--headless")};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        sigset_t all, old;
        sigfillset(&all);
        pthread_sigmask(SIG_BLOCK, &all, &old);  // none comes between the fork and the exec
        pid_t pid = fork();
        if (pid == 0) {
            child_signals_default(blocked);
            int fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (fd < 0 || chdir(dir.c_str()) != 0) _exit(127);
            dup2(fd, 1);
            dup2(fd, 2);
            setenv("TMPDIR", tmpdir.c_str(), 1);
            execv(bin.c_str(), argv.data());
            _exit(127);
        }
        pthread_sigmask(SIG_SETMASK, &old, nullptr);
        return pid;
    }

    // The wait status once pid ended (-1: not within 30 s, then killed).
    static int wait_end(pid_t pid) {
        int status = 0;
        for (int i = 0; i < 300; i++) {
            if (waitpid(pid, &status, WNOHANG) == pid) return status;
            usleep(100 * 1000);
        }
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }

    // Waits until the guest's sector is in the temporary image, at most 30 s.
    static bool wait_for_guest_write(const fs::path& tmp) {
        for (int i = 0; i < 300; i++) {
            usleep(100 * 1000);
            fs::path image = temporary_image(tmp);
            if (image.empty()) continue;
            std::vector<uint8_t> bytes = file_bytes(image);
            if (bytes.size() >= 2 * SECTOR && std::memcmp(bytes.data() + SECTOR, MARK, 4) == 0) return true;
        }
        return false;
    }

    int run_and_signal(int sig, const fs::path& tmp, std::string& why, const std::function<void()>& meanwhile = {}) {
        return run_and_signal(std::vector<int>{sig}, tmp, why, [&](pid_t) {
            if (meanwhile) meanwhile();
        });
    }

    // As above with several signals, sent in turn; meanwhile gets the pid.
    int run_and_signal(const std::vector<int>& sigs, const fs::path& tmp, std::string& why,
                       const std::function<void(pid_t)>& meanwhile) {
        sigset_t none;
        sigemptyset(&none);
        pid_t pid = start(tmp, none);
        if (pid < 0) return -1;
        if (!wait_for_guest_write(tmp)) why = "the guest's write never reached the temporary image";
        for (size_t i = 0; i < sigs.size(); i++) {
            if (i == sigs.size() - 1) meanwhile(pid);
            kill(pid, sigs[i]);
        }
        return wait_end(pid);
    }

    void expect_everything_saved(int status, const fs::path& dim, const fs::path& tmp) {
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

    // A fresh game.dim; no settings or access map of an earlier run.
    fs::path fresh_run() {
        const fs::path dim = run_dir() / "game.dim";
        write_empty_dim(dim);
        fs::remove(run_dir() / "X68.CFG");
        fs::remove(run_dir() / "access.dat");
        return dim;
    }
};

// Those whose default ends the process and that no fault of zolm raises.
const int AC_PLUG_SIGNALS[] = {SIGTERM, SIGINT,  SIGHUP, SIGQUIT, SIGUSR1,   SIGUSR2,  SIGALRM, SIGVTALRM,
                               SIGPROF, SIGXCPU, SIGPWR, SIGIO,   SIGSTKFLT, SIGRTMIN, SIGRTMAX};

TEST_F(HeadlessSignal, SignalIsAcPlugAndEverythingIsSaved) {
    install_rom("disk_write_wait");
    install_cgrom();
    const fs::path tmp = root_ / "tmp";
    fs::create_directory(tmp);
    for (int sig : AC_PLUG_SIGNALS) {
        SCOPED_TRACE(strsignal(sig));
        const fs::path dim = fresh_run();
        std::string why;
        int status = run_and_signal(sig, tmp, why);
        ASSERT_TRUE(why.empty()) << why << "\n" << file_text(root_ / "err");
        expect_everything_saved(status, dim, tmp);
    }
}

// A write to a closed pipe or past the file size limit fails where it is:
// the signals those raise do not end the run.
TEST_F(HeadlessSignal, PipeAndFileSizeSignalsAreIgnored) {
    install_rom("disk_write_wait");
    install_cgrom();
    const fs::path tmp = root_ / "tmp";
    fs::create_directory(tmp);
    const fs::path dim = fresh_run();
    std::string why;
    bool survived = false;
    int status = run_and_signal({SIGPIPE, SIGXFSZ, SIGTERM}, tmp, why, [&](pid_t pid) {
        usleep(300 * 1000);
        int ignored = 0;
        survived = waitpid(pid, &ignored, WNOHANG) == 0;
    });
    ASSERT_TRUE(why.empty()) << why << "\n" << file_text(root_ / "err");
    EXPECT_TRUE(survived) << "SIGPIPE or SIGXFSZ ended the run";
    expect_everything_saved(status, dim, tmp);
}

// A guest whose display end equals its vertical total still has its frames
// end: the frame limit is reached, and a signal ends the run in order.
TEST_F(HeadlessSignal, FramesEndWhenTheDisplayEndEqualsTheTotal) {
    install_rom("display_end_at_total");
    install_cgrom();
    const fs::path tmp = root_ / "tmp";
    fs::create_directory(tmp);
    sigset_t none;
    sigemptyset(&none);
    pid_t pid = start(tmp, none, {"--frames", "100"});
    ASSERT_GT(pid, 0);
    int status = wait_end(pid);
    ASSERT_NE(status, -1) << "the frame limit was never reached: " << file_text(root_ / "err");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << file_text(root_ / "err");

    fs::remove(run_dir() / "X68.CFG");
    fs::remove(run_dir() / "sram.ram");
    pid = start(tmp, none, {});
    ASSERT_GT(pid, 0);
    usleep(2000 * 1000);  // the guest has long written R04 and R07
    kill(pid, SIGTERM);
    status = wait_end(pid);
    ASSERT_NE(status, -1) << "SIGTERM did not end the run: " << file_text(root_ / "err");
    ASSERT_TRUE(WIFEXITED(status)) << file_text(root_ / "err");
    EXPECT_EQ(WEXITSTATUS(status), 0) << file_text(root_ / "err");
    EXPECT_TRUE(file_text(run_dir() / "X68.CFG").ends_with("\nEND:\n"));
    std::vector<uint8_t> sram = file_bytes(run_dir() / "sram.ram");
    ASSERT_EQ(sram.size(), 0x4000u);
    EXPECT_EQ(sram[0x100], 0x5A);
}

// A signal that comes while zolm starts, before any handler of its own
// could be there (held off here until it unblocks it), ends the run in
// order once the machine is up.
TEST_F(HeadlessSignal, SignalDuringTheStartEndsTheRunInOrder) {
    install_rom("disk_write_wait");
    install_cgrom();
    const fs::path tmp = root_ / "tmp";
    fs::create_directory(tmp);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(sig));
        fresh_run();
        sigset_t blocked;
        sigemptyset(&blocked);
        sigaddset(&blocked, sig);
        pid_t pid = start(tmp, blocked);
        ASSERT_GT(pid, 0);
        kill(pid, sig);
        int status = wait_end(pid);
        ASSERT_NE(status, -1) << "the signal was never taken: " << file_text(root_ / "err");
        ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal itself: " << file_text(root_ / "err");
        EXPECT_EQ(WEXITSTATUS(status), 0) << file_text(root_ / "err");
        EXPECT_TRUE(file_text(run_dir() / "X68.CFG").ends_with("\nEND:\n"));
        EXPECT_EQ(fs::file_size(run_dir() / "access.dat"), 0x20000u);
        EXPECT_TRUE(fs::is_empty(tmp)) << "the temporary image stayed";
    }
}

// SIGPIPE and SIGXFSZ that come while the machine program loads, before
// its own handlers are in, are ignored already.
TEST_F(HeadlessSignal, PipeAndFileSizeSignalsDuringTheStartAreIgnored) {
    install_rom("disk_write_wait");
    install_cgrom();
    const fs::path tmp = root_ / "tmp";
    fs::create_directory(tmp);
    const fs::path dim = fresh_run();
    sigset_t none;
    sigemptyset(&none);
    pid_t pid = start(tmp, none);
    ASSERT_GT(pid, 0);
    // Once zolm has become the machine program, for 100 ms.
    const fs::path machine = root_ / "bin" / "zolm-machine", exe = "/proc/" + std::to_string(pid) + "/exe";
    std::error_code ec;
    for (int i = 0; i < 100000 && fs::read_symlink(exe, ec) != machine; i++) usleep(100);
    for (int i = 0; i < 50; i++) {
        kill(pid, SIGPIPE);
        kill(pid, SIGXFSZ);
        usleep(2000);
    }
    const bool written = wait_for_guest_write(tmp);
    kill(pid, SIGTERM);
    int status = wait_end(pid);
    ASSERT_NE(status, -1) << "the run did not end: " << file_text(root_ / "err");
    ASSERT_FALSE(WIFSIGNALED(status)) << "ended by " << strsignal(WTERMSIG(status));
    ASSERT_TRUE(written) << file_text(root_ / "err");
    expect_everything_saved(status, dim, tmp);
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

// "access.dat" a FIFO whose reader opened it and never reads: the end
// gives the write up after the stall limit, or at once at a further signal,
// says so and fails the run as an unsaved "sram.ram" does; the settings and
// the ".DIM" are still saved.
TEST_F(HeadlessSignal, AFifoThatNothingReadsIsGivenUpAndTheRestIsSaved) {
    install_rom("disk_write_wait");
    install_cgrom();
    const fs::path tmp = root_ / "tmp";
    fs::create_directory(tmp);
    struct Case {
        std::vector<int> signals;
        const char* said;
    };
    const Case cases[] = {
        {{SIGTERM}, "access.dat could not be saved: it took nothing for 3 seconds"},
        {{SIGTERM, SIGTERM}, "access.dat could not be saved: given up at AC plug"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.signals.size());
        const fs::path dim = fresh_run(), fifo = run_dir() / "access.dat";
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
        ASSERT_GE(reader, 0);
        std::string why;
        int status = run_and_signal(c.signals, tmp, why, [&](pid_t) {
            // The second signal once the write waits: the pipe holds data.
            int waiting = 0;
            for (int i = 0; i < 300 && c.signals.size() > 1 && waiting == 0; i++) {
                usleep(20 * 1000);
                if (ioctl(reader, FIONREAD, &waiting) != 0) waiting = 0;
            }
        });
        close(reader);
        ASSERT_TRUE(why.empty()) << why << "\n" << file_text(root_ / "err");
        ASSERT_TRUE(WIFEXITED(status)) << file_text(root_ / "err");
        EXPECT_EQ(WEXITSTATUS(status), EXIT_UNSAVED);
        EXPECT_NE(file_text(root_ / "err").find(c.said), std::string::npos) << file_text(root_ / "err");
        EXPECT_TRUE(fs::is_fifo(fs::symlink_status(fifo)));
        std::vector<uint8_t> bytes = file_bytes(dim);
        ASSERT_EQ(bytes.size(), DIM_HEADER + TRACK0_BYTES);
        EXPECT_EQ(std::memcmp(bytes.data() + DIM_HEADER + SECTOR, MARK, 4), 0);
        EXPECT_TRUE(file_text(run_dir() / "X68.CFG").ends_with("\nEND:\n"));
        EXPECT_TRUE(fs::is_empty(tmp)) << "the temporary image stayed";
        fs::remove(fifo);
    }
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
    // The handlers are in once the prompt is there, however slow the start.
    std::string text = read_until(from_zolm, "Ok\n>");
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
