// The program's boxes in its window under a virtual X server (xvfb-run),
// driven by xdotool (window_boxes_session.sh): each box is a window of its
// own within the 1280 x 1024 screen; a start that fails says why on
// stderr (the box's text, and a line of what to do); a program that ends
// without the machine ever having started ends with status 1; the virus
// question answers Esc and its check box, and gives way to the close box
// of a guest that asks again and again; the notice shows while the
// substitute font is rendered.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int SCREEN_W = 1280, SCREEN_H = 1024;
const fs::path SESSION_SCRIPT = fs::path(__FILE__).parent_path() / "window_boxes_session.sh";
constexpr char NO_ROM_TEXT[] =
    "[ZOLM initialize 1] iplrom.dat または boot.rom が見つかりません\nドキュメントを参照してください\n";
constexpr char NO_ROM_LINE[] =
    "zolm: the machine cannot start: no IPL ROM image (iplrom.dat, iplrom30.dat, "
    "iplromxvi.dat or boot.rom) in ";
constexpr char RESET_ADVICE[] = "; put the machine's IPL ROM there as iplrom.dat, then choose \"reset\" in the window";

bool have_program(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

std::string file_text(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

size_t count_of(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) n++;
    return n;
}

class WindowBoxes : public ::testing::Test {
protected:
    void SetUp() override {
        if (!have_program("xvfb-run") || !have_program("xdotool"))
            GTEST_SKIP() << "xvfb-run and xdotool are needed (scripts/deps.sh installs them)";
        std::string tmpl = (fs::temp_directory_path() / "zolm-boxes-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        root_ = tmpl;
    }
    void TearDown() override {
        std::error_code ec;
        if (!root_.empty()) fs::remove_all(root_, ec);
    }
    void install(const char* rom, const char* as) {
        fs::copy_file(fs::path(ZOLM_TEST_ROM_DIR) / (std::string(rom) + ".rom"), root_ / as);
    }
    // Runs the session in mode; its exit status.
    int session(const std::string& mode, const std::string& args = "") {
        std::string cmd = "ASAN_OPTIONS=detect_leaks=0 timeout 120 xvfb-run -a -s '-screen 0 1280x1024x24' '" +
                          SESSION_SCRIPT.string() + "' " + mode + " '" + ZOLM_BINARY + "' '" + root_.string() + "' " +
                          args + " 2>'" + (root_ / "session.txt").string() + "'";
        return std::system(cmd.c_str());
    }
    std::string why() { return file_text(root_ / "session.txt") + file_text(root_ / "err.txt"); }
    // Box n's geometry, as xdotool gives it: X, Y, WIDTH, HEIGHT.
    std::map<std::string, int> box(int n) {
        std::map<std::string, int> g;
        std::istringstream in(file_text(root_ / ("box" + std::to_string(n) + ".txt")));
        for (std::string line; std::getline(in, line);) {
            size_t eq = line.find('=');
            if (eq != std::string::npos && line.substr(0, eq) != "WINDOW")
                g[line.substr(0, eq)] = std::stoi(line.substr(eq + 1));
        }
        return g;
    }
    void expect_on_screen(int n) {
        std::map<std::string, int> g = box(n);
        SCOPED_TRACE("box " + std::to_string(n));
        for (const char* key : {"X", "Y", "WIDTH", "HEIGHT"})
            ASSERT_EQ(g.count(key), 1u) << key << " in " << file_text(root_ / ("box" + std::to_string(n) + ".txt"));
        EXPECT_GE(g["X"], 0);
        EXPECT_GE(g["Y"], 0);
        EXPECT_LE(g["X"] + g["WIDTH"], SCREEN_W);
        EXPECT_LE(g["Y"] + g["HEIGHT"], SCREEN_H);
        EXPECT_LE(g["WIDTH"], SCREEN_W / 2) << "sized to its text";
    }
    fs::path root_;
};

TEST_F(WindowBoxes, NoIplRomShowsItsBoxAndResetEndsTheProgramWithStatusOne) {
    ASSERT_EQ(session("norom"), 0) << why();
    EXPECT_EQ(file_text(root_ / "status.txt"), "1\n") << why();
    const std::string err = file_text(root_ / "err.txt");
    EXPECT_EQ(count_of(err, NO_ROM_TEXT), 2u) << "the text of each box on stderr: " << err;
    EXPECT_EQ(count_of(err, NO_ROM_LINE), 2u) << "a line of ours after each box: " << err;
    EXPECT_EQ(count_of(err, RESET_ADVICE), 1u) << "\"reset\" only while the window stays: " << err;
    expect_on_screen(1);
    expect_on_screen(2);
}

TEST_F(WindowBoxes, NoIplRomThenTheWindowClosedEndsWithStatusOneAndSaysWhatToDo) {
    ASSERT_EQ(session("norom-close"), 0) << why();
    EXPECT_EQ(file_text(root_ / "status.txt"), "1\n") << "the machine never started: " << why();
    const std::string err = file_text(root_ / "err.txt");
    const std::string line = std::string(NO_ROM_LINE) + fs::canonical(root_).string();
    const size_t at = err.find(line);
    ASSERT_NE(at, std::string::npos) << err;
    const std::string said = err.substr(at, err.find('\n', at) - at);
    EXPECT_NE(said.find(RESET_ADVICE), std::string::npos) << said;
    EXPECT_EQ(count_of(err, NO_ROM_LINE), 1u) << err;
}

TEST_F(WindowBoxes, VirusQuestionIsOnTheScreenAndTakesEscAndItsCheckBox) {
    install("boot_sector_writes", "iplrom.dat");
    std::ofstream(root_ / "cgrom.dat", std::ios::binary) << std::string(0xC0000, '\0');
    std::ofstream(root_ / "game.xdf", std::ios::binary) << std::string(1261568, '\0');
    ASSERT_EQ(session("virus", "--fd0 game.xdf"), 0) << why();
    EXPECT_EQ(file_text(root_ / "status.txt"), "0\n") << why();
    expect_on_screen(1);
    expect_on_screen(2);
    EXPECT_EQ(file_text(root_ / "err.txt").find("Virus"), std::string::npos) << "in the window, not on stderr";
}

// The close box waits while the question is up; once it is answered the
// guest's next question must not hold the close back again.
TEST_F(WindowBoxes, CloseBoxEndsTheProgramThoughTheGuestAsksTheVirusQuestionAgainAndAgain) {
    install("boot_sector_writes", "iplrom.dat");
    std::ofstream(root_ / "cgrom.dat", std::ios::binary) << std::string(0xC0000, '\0');
    std::ofstream(root_ / "game.xdf", std::ios::binary) << std::string(1261568, '\0');
    ASSERT_EQ(session("virus-close", "--fd0 game.xdf"), 0) << why();
    EXPECT_EQ(file_text(root_ / "status.txt"), "0\n") << why();
}

TEST_F(WindowBoxes, NoticeShowsWhileTheSubstituteFontIsRendered) {
    install("demo", "iplrom.dat");
    ASSERT_EQ(session("notice"), 0) << why();
    EXPECT_EQ(file_text(root_ / "status.txt"), "0\n") << why();
    EXPECT_TRUE(fs::exists(root_ / "cgrom.tmp"));
}

}  // namespace
