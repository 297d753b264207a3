// "zolm" starts the machine program beside it with the run-ending signals
// held back, so one that comes while the program's libraries load waits for
// its handlers.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

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
}

TEST_F(Launcher, WithoutTheMachineProgramItSaysSo) {
    EXPECT_EQ(run("--help"), 1);
    const std::string err = file_text(root_ / "err.txt");
    EXPECT_NE(err.find("zolm: cannot start "), std::string::npos) << err;
    EXPECT_NE(err.find("zolm-machine"), std::string::npos) << err;
}

}  // namespace
