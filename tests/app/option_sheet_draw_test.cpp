// The option sheet drawn on every page in an ImGui context without a window.
#include "app/option_pages_keycode.h"
#include "app/option_sheet.h"
#include "imgui_frame.h"

namespace {

using OptionSheetDraw = ImGuiFrames;

TEST_F(OptionSheetDraw, EveryPage) {
    int vars[OPT_KEYS] = {};
    std::string font;
    OptionBindings bind;
    for (int k = 0; k < OPT_KEYS; ++k) bind.var[k] = &vars[k];
    bind.font = &font;
    g_opt_last_page = PAGE_SOUND;
    OptionSheet s;
    option_sheet_open(s, bind, OptionSystem{});
    frames(3, [&] { EXPECT_TRUE(option_sheet_draw(s)); });
    EXPECT_EQ(s.active, PAGE_SOUND) << "the tab bar's first frames do not change the page";
    for (int page = 0; page < OPTION_PAGES; ++page) {
        ASSERT_TRUE(option_sheet_select(s, page));
        s.select_tab = true;
        frames(3, [&] { option_sheet_draw(s); });
        EXPECT_EQ(s.active, page);
    }
    opt_keycode_start();
    opt_keycode_feed({KeycodeEventKind::KeyDown, 0x20});
    frames(1, [&] { option_sheet_draw(s); });
    EXPECT_EQ(g_keycode_text, "scan = (0020) code = (0000)");
    s.font_busy = true;
    file_chooser_open(s.font_chooser, "font", "", "ZOLMフォント (*.xfo)|*.xfo||", "XFO", false);
    ASSERT_TRUE(option_sheet_select(s, PAGE_SCREEN));
    s.font_busy = true;
    frames(3, [&] { option_sheet_draw(s); });
    option_sheet_cancel(s);
    frames(2, [&] { EXPECT_FALSE(option_sheet_draw(s)); });
}

}  // namespace
