// The file chooser drawn: it fits the window it opens in (the disk panel
// is 480 x 230) with every control on view, and the keyboard alone works
// it: the name box has the keys at once, Enter takes it, Escape leaves the
// box and a second Escape cancels.
#include <imgui.h>
#include <imgui_internal.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/file_chooser.h"
#include "imgui_frame.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* DISK_FILTER = "ZOLM (*.xdf)|*.xdf||";

class FileChooserDraw : public ImGuiFrames {
protected:
    void SetUp() override {
        ImGuiFrames::SetUp();
        folder = fs::temp_directory_path() / ("zolm-chooser-draw-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        for (int i = 0; i < 30; ++i) std::ofstream(folder / ("disk" + std::to_string(i) + ".xdf")) << "x";
        ImGuiIO& io = ImGui::GetIO();
        io.KeyMap[ImGuiKey_Enter] = ENTER;
        io.KeyMap[ImGuiKey_Escape] = ESCAPE;
        io.KeyMap[ImGuiKey_Space] = SPACE;
        io.ConfigFlags |= ImGuiConfigFlags_NavEnableKeyboard;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder, ec);
        ImGuiFrames::TearDown();
    }
    void draw(int n) {
        frames(n, [&] {
            ImGui::SetNextWindowPos(ImVec2(0, 0));
            ImGui::SetNextWindowSize(ImGui::GetIO().DisplaySize);
            ImGui::Begin("pane", nullptr, ImGuiWindowFlags_NoDecoration);
            file_chooser_draw(chooser);
            ImGui::End();
        });
    }
    void key(int index) {
        ImGuiIO& io = ImGui::GetIO();
        io.KeysDown[index] = true;
        draw(1);
        io.KeysDown[index] = false;
        draw(1);
    }
    static constexpr int ENTER = 13, ESCAPE = 27, SPACE = 32;
    fs::path folder;
    FileChooser chooser;
};

TEST_F(FileChooserDraw, FitsTheWindowWithEveryControlOnView) {
    const struct { float w, h; } windows[] = {{480, 230}, {560, 460}, {1280, 1024}};
    for (const auto& size : windows) {
        SCOPED_TRACE(std::to_string(int(size.w)) + "x" + std::to_string(int(size.h)));
        ImGui::GetIO().DisplaySize = ImVec2(size.w, size.h);
        file_chooser_open(chooser, "FD0", (folder / "disk0.xdf").string(), DISK_FILTER, "XDF", true);
        draw(4);
        ImGuiWindow* w = ImGui::FindWindowByName("FD0");
        ASSERT_NE(w, nullptr);
        EXPECT_GE(w->Pos.x, 0);
        EXPECT_GE(w->Pos.y, 0);
        EXPECT_LE(w->Pos.x + w->Size.x, size.w);
        EXPECT_LE(w->Pos.y + w->Size.y, size.h);
        EXPECT_EQ(w->ScrollMax.y, 0) << "the buttons are reached without scrolling";
        file_chooser_cancel(chooser);
        draw(2);
    }
}

// The panel's button opens the chooser in a frame of the panel's own size;
// the panel has grown to hold it by the next. The very first opening lies
// whole within the grown window, centred.
TEST_F(FileChooserDraw, TheFirstOpeningFitsTheWindowThatGrewAfterItsFirstFrame) {
    const struct { ImVec2 first, then; } cases[] = {{{480, 230}, {560, 460}}, {{1280, 1024}, {560, 460}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(int(c.first.x)) + "x" + std::to_string(int(c.first.y)));
        ImGuiFrames::TearDown();  // a context that never drew a chooser
        ImGuiFrames::SetUp();
        FileChooser fresh;
        ImGui::GetIO().DisplaySize = c.first;
        file_chooser_open(fresh, "FD0", (folder / "disk0.xdf").string(), DISK_FILTER, "XDF", true);
        auto draw_fresh = [&](int n) {
            frames(n, [&] {
                ImGui::SetNextWindowPos(ImVec2(0, 0));
                ImGui::SetNextWindowSize(ImGui::GetIO().DisplaySize);
                ImGui::Begin("pane", nullptr, ImGuiWindowFlags_NoDecoration);
                file_chooser_draw(fresh);
                ImGui::End();
            });
        };
        draw_fresh(1);
        ImGui::GetIO().DisplaySize = c.then;
        draw_fresh(3);
        ImGuiWindow* w = ImGui::FindWindowByName("FD0");
        ASSERT_NE(w, nullptr);
        EXPECT_GE(w->Pos.x, 0);
        EXPECT_GE(w->Pos.y, 0);
        EXPECT_LE(w->Pos.x + w->Size.x, c.then.x);
        EXPECT_LE(w->Pos.y + w->Size.y, c.then.y);
        EXPECT_NEAR(w->Pos.x, (c.then.x - w->Size.x) / 2, 1) << "centred";
    }
}

TEST_F(FileChooserDraw, TheKeyboardAloneChoosesOrCancels) {
    ImGui::GetIO().DisplaySize = ImVec2(480, 230);
    file_chooser_open(chooser, "FD0", (folder / "disk1.xdf").string(), DISK_FILTER, "XDF", true);
    draw(2);
    for (char c : std::string("disk7")) ImGui::GetIO().AddInputCharacter(c);
    draw(1);
    EXPECT_EQ(chooser.name, "disk7") << "the name box has the keys from the start, its text chosen";
    key(ENTER);
    EXPECT_EQ(chooser.result, FileChooserResult::Accepted);
    EXPECT_EQ(chooser.path, (folder / "disk7.XDF").string());
    draw(2);

    file_chooser_open(chooser, "FD0", (folder / "disk3.xdf").string(), DISK_FILTER, "XDF", true);
    draw(3);
    key(ENTER);
    draw(1);
    EXPECT_EQ(chooser.result, FileChooserResult::Accepted);
    EXPECT_EQ(chooser.path, (folder / "disk3.xdf").string());
    draw(2);

    file_chooser_open(chooser, "FD0", "", DISK_FILTER, "XDF", true);
    draw(3);
    key(ESCAPE);
    EXPECT_TRUE(chooser.visible) << "the first Escape leaves the name box";
    key(ESCAPE);
    EXPECT_FALSE(chooser.visible);
    EXPECT_EQ(chooser.result, FileChooserResult::Cancelled);
}

}  // namespace
