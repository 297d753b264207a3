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

// A drive button (as the font button) shows the end of a name too wide for
// it (the file's own name) after "...", cut between whole characters; an
// empty slot reads "no disk".
TEST_F(DialogsDraw, DriveLabelsShowTheEndOfALongName) {
    ImGui::NewFrame();
    const std::string deep = "/tmp/zolm-probe-0123456789/some/folders/deeper/still/disks/blank.x";
    const std::string kana = "/tmp/zolm-probe-0123456789/ディスク/ゲーム/ドライブ用/フロッピー.xdf";
    std::string japanese_folder = "/home/";
    for (int i = 0; i < 30; ++i) japanese_folder += "ゲーム";
    const float width = ImGui::CalcTextSize("/tmp/zolm-probe-0123456789/so").x;
    struct Case {
        std::string name, want_end;
        bool cut;
    } cases[] = {
        {"", "no disk", false},
        {"game.xdf", "game.xdf", false},
        {deep, "/disks/blank.x", true},
        {kana, "フロッピー.xdf", true},
        {"/home/user/" + std::string(80, 'd') + "/GAME.XDF", "/GAME.XDF", true},
        {japanese_folder + "/ディスク.XDF", "/ディスク.XDF", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string label = panel_drive_label(c.name, width);
        EXPECT_LE(ImGui::CalcTextSize(label.c_str(), nullptr, false).x, width);
        ASSERT_GE(label.size(), c.want_end.size());
        EXPECT_EQ(label.substr(label.size() - c.want_end.size()), c.want_end);
        EXPECT_EQ(label.rfind("...", 0) == 0, c.cut);
        if (c.cut) {  // as much of the end as fits, from the start of a character
            const std::string end = label.substr(3);
            EXPECT_EQ(c.name.substr(c.name.size() - end.size()), end);
            EXPECT_NE(static_cast<unsigned char>(end[0]) & 0xC0, 0x80);
            size_t before = c.name.size() - end.size() - 1;
            while (before > 0 && (static_cast<unsigned char>(c.name[before]) & 0xC0) == 0x80) --before;
            const std::string one_more = c.name.substr(before);
            EXPECT_GT(ImGui::CalcTextSize(("..." + one_more).c_str(), nullptr, false).x, width);
        }
    }
}

}  // namespace
