// Test support for runs of the program itself: a program folder of its own
// (a copy of the binary) and a start folder holding the ROM files, so that
// nothing lying next to the build's binary takes part.
#pragma once

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace headless_fixture {

constexpr uint32_t MARK_DONE = 0x1004, RESULTS = 0x1100;
constexpr size_t MB = 0x100000;

inline std::vector<uint8_t> file_bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
inline std::string file_text(const fs::path& p) {
    std::vector<uint8_t> b = file_bytes(p);
    return {b.begin(), b.end()};
}
inline uint32_t be32(const std::vector<uint8_t>& ram, uint32_t addr) {
    if (addr + 4 > ram.size()) return 0xDEADDEAD;
    return uint32_t(ram[addr]) << 24 | uint32_t(ram[addr + 1]) << 16 | uint32_t(ram[addr + 2]) << 8 | ram[addr + 3];
}

struct Outcome {
    int status;  // exit status, -1 when the program did not exit normally
    std::string out, err;
};

class Headless : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "zolm-headless-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        root_ = tmpl;
        fs::create_directory(root_ / "bin");
        fs::create_directory(root_ / "run");
        // The program and the machine program it starts.
        for (const char* name : {"zolm", "zolm-machine"}) {
            fs::copy_file(fs::path(ZOLM_BINARY).parent_path() / name, root_ / "bin" / name);
            fs::permissions(root_ / "bin" / name, fs::perms::owner_all);
        }
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    fs::path run_dir() const { return root_ / "run"; }

    void install_rom(const char* name) {
        fs::path rom = fs::path(ZOLM_TEST_ROM_DIR) / (std::string(name) + ".rom");
        ASSERT_TRUE(fs::exists(rom)) << rom;
        fs::copy_file(rom, run_dir() / "iplrom.dat", fs::copy_options::overwrite_existing);
    }
    void install_cgrom() { std::ofstream(run_dir() / "cgrom.dat", std::ios::binary) << std::string(0xC0000, '\0'); }

    // Runs "zolm args" in the start folder; env is put before the command.
    Outcome zolm(const std::string& args, const std::string& env = "") {
        std::string cmd = "cd '" + run_dir().string() + "' && " + env + " '" + (root_ / "bin" / "zolm").string() +
                          "' " + args + " >'" + (root_ / "out").string() + "' 2>'" + (root_ / "err").string() + "'";
        int rc = std::system(cmd.c_str());
        Outcome r{WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, file_text(root_ / "out"), file_text(root_ / "err")};
        return r;
    }

    // Starts "zolm --headless --debugger --virtual-clock" in the start
    // folder; to_zolm and from_zolm are the test's ends of its input and
    // output pipes.
    pid_t start_debugger(int& to_zolm, int& from_zolm) {
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0) return -1;
        const std::string bin = (root_ / "bin" / "zolm").string(), dir = run_dir().string();
        pid_t pid = fork();
        if (pid == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            close(in[1]);
            close(out[0]);
            if (chdir(dir.c_str()) != 0) _exit(127);
            execl(bin.c_str(), bin.c_str(), "--headless", "--debugger", "--virtual-clock", (char*)nullptr);
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        to_zolm = in[1];
        from_zolm = out[0];
        return pid;
    }

    // Reads from fd until the text read ends with mark (the debugger's first
    // prompt, say), at most 30 s; what was read.
    static std::string read_until(int fd, const std::string& mark) {
        std::string text;
        for (int waited = 0; !text.ends_with(mark) && waited < 300;) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0) {
                waited++;
                continue;
            }
            char c;
            if (read(fd, &c, 1) != 1) break;
            text += c;
        }
        return text;
    }

    fs::path root_;
};

}  // namespace headless_fixture
