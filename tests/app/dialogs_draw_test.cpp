// The disk panel, its chooser and the information dialogs drawn in an
// ImGui context without a window.
#include <string>

#include "app/disk_panel.h"
#include "app/info_dialogs.h"
#include "app/info_dialogs_frame.h"
#include "imgui_frame.h"

namespace {

using DialogsDraw = ImGuiFrames;

TEST_F(DialogsDraw, PanelChooserAndInformation) {
    DiskPanel panel;
    panel_refresh(panel);
    frames(2, [&] { disk_panel_draw(panel); });
    panel_choose_image(panel, 1);
    EXPECT_EQ(panel.chooser_drive, 1);
    frames(3, [&] { disk_panel_draw(panel); });
    file_chooser_cancel(panel.chooser);
    frames(1, [&] { disk_panel_draw(panel); });
    EXPECT_EQ(panel.chooser_drive, -1);

    const std::string text[DEBUG_TEXT_LINES] = {"pc=00ff0000 sr=2700 sp=00002000",
                                                "draw= 55  vsync=55 cycle.base=181818"};
    frames(2, [&] { debug_info_draw(text); });

    InfoDialog info;
    info_dialog_open(info);
    frames(3, [&] { EXPECT_TRUE(info_dialog_draw(info)); });
    EXPECT_FALSE(info.lines.empty());
}

// A drive button (or the font button) too narrow for its path shows the
// path's end, the file name, after "...", and never half a character.
TEST_F(DialogsDraw, ALongNameShowsItsEnd) {
    ImGui::NewFrame();
    const std::string long_folder = "/home/user/" + std::string(80, 'd');
    std::string japanese_folder = "/home/";
    for (int i = 0; i < 30; ++i) japanese_folder += "ゲーム";
    const struct {
        std::string name, shown_end;
    } cases[] = {
        {"A.XDF", "A.XDF"},
        {long_folder + "/GAME.XDF", "/GAME.XDF"},
        {japanese_folder + "/ディスク.XDF", "/ディスク.XDF"},
    };
    constexpr float WIDTH = 200;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string shown = dialog_text_tail(c.name, WIDTH);
        EXPECT_TRUE(shown.ends_with(c.shown_end)) << shown;
        EXPECT_LE(ImGui::CalcTextSize(shown.c_str()).x, WIDTH);
        if (shown != c.name) {
            ASSERT_TRUE(shown.starts_with("...")) << shown;
            EXPECT_NE(static_cast<unsigned char>(shown[3]) & 0xC0, 0x80) << "a whole character first";
            EXPECT_GT(ImGui::CalcTextSize(("..." + c.name.substr(c.name.size() - shown.size() + 2)).c_str()).x, WIDTH)
                << "as much of the end as fits";
        }
    }
    ImGui::EndFrame();
}

}  // namespace
