// The disk panel, its chooser and the information dialogs drawn in an
// ImGui context without a window.
#include "app/disk_panel.h"
#include "app/info_dialogs.h"
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

}  // namespace
