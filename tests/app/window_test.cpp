// The program in its window under a virtual X server (xvfb-run), driven by
// xdotool: the debugger opened at start reads "exit", "reset" starts the
// demo ROM, the disk panel shows the statistics, "power" switches it off
// and the program ends with status 0, the configuration written and the
// window's picture area the picture the machine made.
#include <gtest/gtest.h>

#include <SDL.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path SESSION_SCRIPT = fs::path(__FILE__).parent_path() / "window_session.sh";
const fs::path PANEL_SCRIPT = fs::path(__FILE__).parent_path() / "window_panel.sh";
const fs::path SIDE_SCRIPT = fs::path(__FILE__).parent_path() / "window_side.sh";
const fs::path HOVER_SCRIPT = fs::path(__FILE__).parent_path() / "window_hover.sh";

bool have_program(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

std::string file_text(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Picture {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> rgb;
    const uint8_t* at(uint32_t x, uint32_t y) const { return &rgb[(size_t(y) * width + x) * 3]; }
};

bool read_png(const fs::path& path, Picture& out) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    out.width = image.width;
    out.height = image.height;
    out.rgb.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr) != 0;
}

// A binary PPM ("P6", 255 the largest value), as window_side.sh writes it.
bool read_ppm(const fs::path& path, Picture& out) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int max = 0;
    if (!(in >> magic >> out.width >> out.height >> max) || magic != "P6" || max != 255) return false;
    in.get();
    out.rgb.resize(size_t(out.width) * out.height * 3);
    return bool(in.read(reinterpret_cast<char*>(out.rgb.data()), std::streamsize(out.rgb.size())));
}

class Window : public ::testing::Test {
protected:
    void SetUp() override {
        if (!have_program("xvfb-run") || !have_program("xdotool"))
            GTEST_SKIP() << "xvfb-run and xdotool are needed (scripts/deps.sh installs them)";
        std::string tmpl = (fs::temp_directory_path() / "zolm-window-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        root_ = tmpl;
    }
    // Runs window_session.sh on the demo ROM with the zolm arguments args;
    // env goes before it. The session's exit status.
    int session(const std::string& args, const std::string& env = "", const fs::path& script = SESSION_SCRIPT) {
        fs::copy_file(fs::path(ZOLM_TEST_ROM_DIR) / "demo.rom", root_ / "iplrom.dat",
                      fs::copy_options::overwrite_existing);
        std::string cmd = env + " ASAN_OPTIONS=detect_leaks=0 timeout 120 xvfb-run -a -s '-screen 0 1280x1024x24' '" +
                          script.string() + "' '" + ZOLM_BINARY + "' '" + root_.string() + "' " + args + " 2>'" +
                          (root_ / "session.txt").string() + "'";
        return std::system(cmd.c_str());
    }
    void TearDown() override {
        std::error_code ec;
        if (!root_.empty()) fs::remove_all(root_, ec);
    }
    fs::path root_;
};

TEST_F(Window, ResetRunsTheDemoAndPowerEndsTheProgram) {
    int rc = session("--window-shot window.png --screenshot picture.png");
    const std::string err = file_text(root_ / "err.txt");
    ASSERT_EQ(rc, 0) << file_text(root_ / "session.txt") << err;
    EXPECT_EQ(file_text(root_ / "status.txt"), "0\n") << err;


    const std::string out = file_text(root_ / "out.txt");
    EXPECT_TRUE(out.starts_with("-- ZOLM DEBUGGER -- \n")) << out;
    EXPECT_NE(out.find("MHz\n"), std::string::npos) << "the run's statistics line: " << out;

    const std::string cfg = file_text(root_ / "X68.CFG");
    EXPECT_TRUE(cfg.starts_with("ZOLM option setting.\n")) << cfg;
    EXPECT_TRUE(cfg.ends_with("\nEND:\n")) << cfg;

    // The window shows the picture scaled to its client area, nearest dot.
    Picture window, picture;
    ASSERT_TRUE(read_png(root_ / "window.png", window));
    ASSERT_TRUE(read_png(root_ / "picture.png", picture));
    ASSERT_GT(picture.width, 0u);
    ASSERT_GT(window.width, 0u);
    uint32_t wrong = 0;
    for (uint32_t y = 0; y < window.height; y++)
        for (uint32_t x = 0; x < window.width; x++) {
            const uint8_t* w = window.at(x, y);
            const uint8_t* p = picture.at(x * picture.width / window.width, y * picture.height / window.height);
            if (w[0] != p[0] || w[1] != p[1] || w[2] != p[2]) wrong++;
        }
    EXPECT_EQ(wrong, 0u) << window.width << "x" << window.height << " against " << picture.width << "x"
                         << picture.height;
}

TEST_F(Window, SigtermIsTheAcPlug) {
    int rc = session("", "ZOLM_SESSION=sigterm");
    const std::string err = file_text(root_ / "err.txt");
    ASSERT_EQ(rc, 0) << file_text(root_ / "session.txt") << err;
    EXPECT_EQ(file_text(root_ / "status.txt"), "0\n") << err;
    EXPECT_TRUE(file_text(root_ / "X68.CFG").ends_with("\nEND:\n")) << "saved at the end as ever";
}

// The default flow: the debugger's "g" runs the machine to the frame
// limit, "exit" ends the session, then AC plug ends the program. Every
// output asked for is written.
TEST_F(Window, OutputsOfADebuggerSessionAreWritten) {
    int rc = session("-n --frames 60 --window-shot ws.png --screenshot ss.png --dump-ram ram.bin --wav w.wav",
                     "ZOLM_SESSION=sigterm ZOLM_INPUT='g\\nexit\\n' ZOLM_AFTER=access.dat");
    const std::string err = file_text(root_ / "err.txt");
    ASSERT_EQ(rc, 0) << file_text(root_ / "session.txt") << err;
    EXPECT_EQ(file_text(root_ / "status.txt"), "0\n") << err;
    for (const char* name : {"ws.png", "ss.png", "ram.bin", "w.wav"})
        EXPECT_TRUE(fs::exists(root_ / name) && fs::file_size(root_ / name) > 0) << name << "\n" << err;
    Picture picture;
    EXPECT_TRUE(read_png(root_ / "ss.png", picture) && picture.width > 0);
}

// SIGTERM while the disk panel's file chooser is open over a run from
// "reset": the run stops and the program ends, the chooser left open.
TEST_F(Window, SigtermEndsTheProgramWhileTheChooserIsOpen) {
    int rc = session("", "ZOLM_SESSION=chooser");
    const std::string err = file_text(root_ / "err.txt");
    ASSERT_EQ(rc, 0) << file_text(root_ / "session.txt") << err;
    EXPECT_EQ(file_text(root_ / "status.txt"), "0\n") << err;
    EXPECT_TRUE(file_text(root_ / "X68.CFG").ends_with("\nEND:\n"));
}

TEST_F(Window, WithPerformThePanelCaptionShowsTheMeasuredTimes) {
    // A stop-watch text that is not "0.0mS": the caption of a started counter.
    int rc = session("--set PERFORM=1", "ZOLM_CAPTION='^X68000 \\(.*[^0-9]([1-9][0-9]*\\.[0-9]|0\\.[1-9])mS'");
    const std::string err = file_text(root_ / "err.txt");
    ASSERT_EQ(rc, 0) << file_text(root_ / "session.txt") << err;
    EXPECT_EQ(file_text(root_ / "status.txt"), "0\n") << err;
}

// "全画面拡大" asks for a window larger than most of the screen: it is
// placed so that all of it lies on the 1280 x 1024 screen.
TEST_F(Window, AFullScreenSizedPictureStaysOnTheScreen) {
    int rc = session("--set CRT=3 --window-shot window.png");
    const std::string err = file_text(root_ / "err.txt");
    ASSERT_EQ(rc, 0) << file_text(root_ / "session.txt") << err;
    const std::string geometry = file_text(root_ / "geometry.txt");
    int x = -1, y = -1, w = 0, h = 0;
    const size_t at = geometry.find("Position: "), size = geometry.find("Geometry: ");
    ASSERT_NE(at, std::string::npos) << geometry;
    ASSERT_NE(size, std::string::npos) << geometry;
    ASSERT_EQ(std::sscanf(geometry.c_str() + at, "Position: %d,%d", &x, &y), 2) << geometry;
    ASSERT_EQ(std::sscanf(geometry.c_str() + size, "Geometry: %dx%d", &w, &h), 2) << geometry;
    EXPECT_GT(w, 1024) << geometry;  // the picture's size asked for
    EXPECT_GE(x, 0) << geometry;
    EXPECT_GE(y, 0) << geometry;
    EXPECT_LE(x + w, 1280) << geometry;
    EXPECT_LE(y + h, 1024) << geometry;
}

TEST_F(Window, AClickIntoThePanelLeavesTheKeysWithTheMachineAndItsCloseBoxIsAcPlug) {
    int rc = session("", "", PANEL_SCRIPT);
    const std::string err = file_text(root_ / "err.txt");
    ASSERT_EQ(rc, 0) << file_text(root_ / "session.txt") << err;
    EXPECT_EQ(file_text(root_ / "focus.txt"), "main\n") << "the keyboard went back to the main window";
    EXPECT_EQ(file_text(root_ / "status.txt"), "0\n") << err;
    EXPECT_TRUE(file_text(root_ / "X68.CFG").ends_with("\nEND:\n")) << "saved at the end as ever";
}

// The places window_side.sh wrote to a file: each window on the 1280 x
// 1024 screen, none covering another. The main window's place.
SDL_Rect expect_apart_on_the_screen(const std::string& text) {
    std::istringstream places(text);
    std::vector<std::pair<std::string, SDL_Rect>> windows;
    std::string name;
    SDL_Rect r{};
    while (places >> name >> r.x >> r.y >> r.w >> r.h) windows.push_back({name, r});
    EXPECT_EQ(windows.size(), 3u) << text;
    if (windows.size() != 3u) return {};
    for (size_t i = 0; i < windows.size(); ++i) {
        const SDL_Rect& a = windows[i].second;
        EXPECT_TRUE(a.x >= 0 && a.y >= 0 && a.x + a.w <= 1280 && a.y + a.h <= 1024) << windows[i].first;
        for (size_t j = i + 1; j < windows.size(); ++j) {
            const SDL_Rect& b = windows[j].second;
            const bool apart = a.x + a.w <= b.x || b.x + b.w <= a.x || a.y + a.h <= b.y || b.y + b.h <= a.y;
            EXPECT_TRUE(apart) << windows[i].first << " and " << windows[j].first << ":\n" << text;
        }
    }
    return windows[0].second;
}

// The disk panel and the debug information stand beside the main window,
// on the screen, none covering another.
TEST_F(Window, TheSideWindowsStandBesideTheMainWindow) {
    int rc = session("", "", SIDE_SCRIPT);
    const std::string err = file_text(root_ / "err.txt");
    ASSERT_EQ(rc, 0) << file_text(root_ / "session.txt") << err;
    expect_apart_on_the_screen(file_text(root_ / "places.txt"));
}

// A new picture size gives the main window another size: the side windows
// move to stand beside it again, wherever they were.
TEST_F(Window, TheSideWindowsMoveBesideTheMainWindowWhenItsSizeChanges) {
    int rc = session("", "ZOLM_SESSION=resize", SIDE_SCRIPT);
    const std::string err = file_text(root_ / "err.txt");
    ASSERT_EQ(rc, 0) << file_text(root_ / "session.txt") << err;
    const SDL_Rect before = expect_apart_on_the_screen(file_text(root_ / "places.txt"));
    const SDL_Rect after = expect_apart_on_the_screen(file_text(root_ / "places_resized.txt"));
    EXPECT_TRUE(before.w != after.w || before.h != after.h) << "the demo's picture has another size";
}

// The main window opens at the size its menu bar and picture take: the X
// server never gives it another on the way (rows it grows by show the
// window manager's background until drawn).
TEST_F(Window, TheMainWindowOpensAtItsSize) {
    int rc = session("", "", SIDE_SCRIPT);
    const std::string err = file_text(root_ / "err.txt");
    ASSERT_EQ(rc, 0) << file_text(root_ / "session.txt") << err;
    const std::string main = file_text(root_ / "main_id.txt");
    std::istringstream sizes(file_text(root_ / "sizes.txt"));
    std::string line;
    std::set<std::string> seen;
    while (std::getline(sizes, line))
        if (line.starts_with(main.substr(0, main.find('\n')) + " ")) seen.insert(line);
    EXPECT_EQ(seen.size(), 1u) << "the main window's sizes:\n" << sizes.str();
}

// A chosen image refused: while its box waits, the panel behind it is drawn
// whole at its own size again (as before the chooser grew it), not left
// with pieces of the chooser.
TEST_F(Window, ThePanelIsDrawnWholeBehindARefusalBox) {
    std::ofstream(root_ / "bad.DIM") << "short";
    int rc = session("", "ZOLM_SESSION=refusal", SIDE_SCRIPT);
    const std::string err = file_text(root_ / "err.txt");
    ASSERT_EQ(rc, 0) << file_text(root_ / "session.txt") << err;
    Picture before;
    ASSERT_TRUE(read_ppm(root_ / "panel.ppm", before));
    // Behind the box, and after the box was moved over it and away.
    for (const char* name : {"panel_box.ppm", "panel_uncovered.ppm"}) {
        SCOPED_TRACE(name);
        Picture behind;
        ASSERT_TRUE(read_ppm(root_ / name, behind));
        ASSERT_EQ(behind.width, before.width);
        ASSERT_EQ(behind.height, before.height);
        uint32_t differ = 0;
        for (uint32_t y = 0; y < before.height; y++)
            for (uint32_t x = 0; x < before.width; x++)
                if (std::memcmp(before.at(x, y), behind.at(x, y), 3) != 0) differ++;
        // The keyboard's mark on a button may differ; a chooser's piece covers more.
        EXPECT_LT(differ, before.width * before.height / 20) << differ << " of " << before.width * before.height;
    }
}

TEST_F(Window, TheMenuTitleUnderThePointerLightsWithoutAClickAndNotAfterItLeft) {
    int rc = session("", "", HOVER_SCRIPT);
    const std::string err = file_text(root_ / "err.txt");
    ASSERT_EQ(rc, 0) << file_text(root_ / "session.txt") << err;
    EXPECT_EQ(file_text(root_ / "hover.txt"), "lit\ncleared\n");
    EXPECT_EQ(file_text(root_ / "status.txt"), "0\n") << err;
}

}  // namespace
