// "zolm" starts the machine program beside it with the run-ending signals
// held back, so one that comes while the program's libraries load waits for
// its handlers, and SIGPIPE and SIGXFSZ ignored. Without its own folder it
// runs nothing.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string file_text(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class Launcher : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "zolm-launcher-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        root_ = tmpl;
        fs::copy_file(ZOLM_BINARY, root_ / "zolm");
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    int run(const std::string& args) {
        const std::string cmd = "cd '" + root_.string() + "' && ./zolm " + args + " 2>err.txt";
        const int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    fs::path root_;
};

// With cat as the machine program, "zolm /proc/self/status" shows the
// state the machine program starts in: the arguments reach it, the signals
// that end a run are held back, and no other.
TEST_F(Launcher, TheMachineProgramGetsTheArgumentsWithTheSignalsHeldBack) {
    fs::create_symlink("/bin/cat", root_ / "zolm-machine");
    ASSERT_EQ(run("/proc/self/status >status.txt"), 0) << file_text(root_ / "err.txt");
    const std::string status = file_text(root_ / "status.txt");
    const size_t at = status.find("\nSigBlk:");
    ASSERT_NE(at, std::string::npos) << status;
    const unsigned long long blocked = std::stoull(status.substr(at + 8), nullptr, 16);
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGUSR1, SIGALRM})
        EXPECT_TRUE(blocked >> (sig - 1) & 1) << "signal " << sig << " held back: " << status;
    for (int sig : {SIGCHLD, SIGTSTP, SIGSEGV}) EXPECT_FALSE(blocked >> (sig - 1) & 1) << "signal " << sig;
    // A write to a closed pipe in the first moments does not end the run.
    const size_t ign = status.find("\nSigIgn:");
    ASSERT_NE(ign, std::string::npos) << status;
    const unsigned long long ignored = std::stoull(status.substr(ign + 8), nullptr, 16);
    for (int sig : {SIGPIPE, SIGXFSZ}) EXPECT_TRUE(ignored >> (sig - 1) & 1) << "signal " << sig << " ignored";
    for (int sig : {SIGTERM, SIGCHLD}) EXPECT_FALSE(ignored >> (sig - 1) & 1) << "signal " << sig;
}

TEST_F(Launcher, WithoutTheMachineProgramItSaysSo) {
    EXPECT_EQ(run("--help"), 1);
    const std::string err = file_text(root_ / "err.txt");
    EXPECT_NE(err.find("zolm: cannot start "), std::string::npos) << err;
    EXPECT_NE(err.find("zolm-machine"), std::string::npos) << err;
}

// The launcher's folder where /proc/self/exe cannot tell it: /proc not
// mounted (a tmpfs over it in a mount namespace of its own, as root), or a
// path longer than PATH_MAX. The current folder holds a "zolm-machine"
// that must not run.
class LauncherWithoutItsFolder : public Launcher {
protected:
    void SetUp() override {
        Launcher::SetUp();
        fs::create_directory(cwd());
        std::ofstream(cwd() / "zolm-machine") << "#!/bin/sh\necho ran >ran.txt\n";
        fs::permissions(cwd() / "zolm-machine", fs::perms::owner_all);
    }
    fs::path cwd() const { return root_ / "cwd"; }

    void expect_refused(int status) {
        // The sanitizers' runtime (a sanitized build) warns of the missing
        // executable name on lines of its own: "==PID==...".
        std::istringstream lines(file_text(root_ / "err.txt"));
        std::string err, line;
        while (std::getline(lines, line))
            if (!line.starts_with("==")) err += line + '\n';
        EXPECT_EQ(status, 1) << err;
        EXPECT_TRUE(err.starts_with("zolm: the program's folder is not known (/proc/self/exe: ")) << err;
        EXPECT_TRUE(err.ends_with(", so zolm-machine is not started\n")) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_FALSE(fs::exists(cwd() / "ran.txt")) << "the current folder's zolm-machine ran";
    }
};

TEST_F(LauncherWithoutItsFolder, NoProc) {
    if (geteuid() != 0 || std::system("unshare -m sh -c 'mount -t tmpfs none /proc' 2>/dev/null") != 0)
        GTEST_SKIP() << "no mount namespace of its own here (wants root)";
    // LeakSanitizer (in a sanitized build) cannot run without /proc.
    const std::string cmd = "cd '" + cwd().string() +
                            "' && ASAN_OPTIONS=detect_leaks=0 unshare -m sh -c 'mount -t tmpfs none /proc && exec "
                            "../zolm --help' 2>../err.txt";
    const int status = std::system(cmd.c_str());
    expect_refused(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
}

// Folders of 200 characters, one in the other, past PATH_MAX; made and
// removed through their descriptors, as no path reaches the last.
class DeepFolder {
public:
    explicit DeepFolder(const fs::path& in) : dirs_{open(in.c_str(), O_RDONLY | O_DIRECTORY)} {
        for (size_t len = in.string().size(); len <= PATH_MAX; len += PART.size() + 1) {
            if (dirs_.back() < 0 || mkdirat(dirs_.back(), PART.c_str(), 0700) != 0) return;
            dirs_.push_back(openat(dirs_.back(), PART.c_str(), O_RDONLY | O_DIRECTORY));
        }
        made_ = dirs_.back() >= 0;
    }
    ~DeepFolder() {
        for (size_t i = dirs_.size() - 1; i > 0; i--) {
            if (dirs_[i] >= 0) unlinkat(dirs_[i], PROGRAM.c_str(), 0);
            close(dirs_[i]);
            unlinkat(dirs_[i - 1], PART.c_str(), AT_REMOVEDIR);
        }
        close(dirs_[0]);
    }
    // The file "zolm" in the last folder holding bytes, opened for reading.
    int put(const std::string& bytes) const {
        if (!made_) return -1;
        int fd = openat(dirs_.back(), PROGRAM.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0700);
        if (fd < 0) return -1;
        bool whole = write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size());
        close(fd);
        return whole ? openat(dirs_.back(), PROGRAM.c_str(), O_RDONLY | O_CLOEXEC) : -1;
    }

private:
    inline static const std::string PART = std::string(200, 'd'), PROGRAM = "zolm";
    std::vector<int> dirs_;
    bool made_ = false;
};

TEST_F(LauncherWithoutItsFolder, PathLongerThanPathMax) {
    DeepFolder deep(root_);
    const int exe = deep.put(file_text(ZOLM_BINARY));
    ASSERT_GE(exe, 0) << "the deep folders could not be made";
    const std::string err = (root_ / "err.txt").string();
    pid_t pid = fork();
    if (pid == 0) {
        int fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0 || chdir(cwd().c_str()) != 0) _exit(127);
        dup2(fd, 2);
        char* const argv[] = {const_cast<char*>("zolm"), const_cast<char*>("--help"), nullptr};
        fexecve(exe, argv, environ);
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    close(exe);
    expect_refused(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
}

}  // namespace
