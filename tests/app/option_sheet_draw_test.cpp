// The option sheet drawn on every page in an ImGui context without a
// window: its place, its keys, and the information dialog's keys.
#include <imgui_internal.h>

#include "app/info_dialogs.h"
#include "app/option_pages_keycode.h"
#include "app/option_sheet.h"
#include "imgui_frame.h"

namespace {

class OptionSheetDraw : public ImGuiFrames {
protected:
    void SetUp() override {
        ImGuiFrames::SetUp();
        ImGuiIO& io = ImGui::GetIO();
        io.KeyMap[ImGuiKey_Enter] = ENTER;
        io.KeyMap[ImGuiKey_Escape] = ESCAPE;
        io.KeyMap[ImGuiKey_Space] = SPACE;
        io.ConfigFlags |= ImGuiConfigFlags_NavEnableKeyboard;  // as the window has it while a dialog is open
        for (int k = 0; k < OPT_KEYS; ++k) bind.var[k] = &vars[k];
        bind.font = &font;
    }
    void open(int page) {
        g_opt_last_page = page;
        option_sheet_open(s, bind, OptionSystem{});
        draw(3);
    }
    void draw(int n) {
        frames(n, [&] {
            option_sheet_draw(s);
            info_dialog_draw(info);
        });
    }
    void key(int index) {
        ImGui::GetIO().KeysDown[index] = true;
        draw(1);
        ImGui::GetIO().KeysDown[index] = false;
        draw(2);
    }
    float tab_bar_y() {
        ImGuiTabBar* bar = GImGui->TabBars.GetByIndex(0);
        return bar ? bar->BarRect.Min.y : -1;
    }
    static constexpr int ENTER = 13, ESCAPE = 27, SPACE = 32;
    int vars[OPT_KEYS] = {};
    std::string font;
    OptionBindings bind;
    OptionSheet s;
    InfoDialog info;
};

TEST_F(OptionSheetDraw, EveryPageAndTheSheetKeepsItsPlace) {
    open(PAGE_SOUND);
    EXPECT_TRUE(s.open);
    EXPECT_EQ(s.active, PAGE_SOUND) << "the tab bar's first frames do not change the page";
    const float bar_y = tab_bar_y();
    for (int page = 0; page < OPTION_PAGES; ++page) {
        ASSERT_TRUE(option_sheet_select(s, page));
        s.select_tab = true;
        draw(3);
        EXPECT_EQ(s.active, page);
        EXPECT_EQ(tab_bar_y(), bar_y) << "page " << page << ": the tab bar stays where it was";
        ImGuiWindow* w = ImGui::FindWindowByName(OPTION_SHEET_TITLE);
        ASSERT_NE(w, nullptr);
        EXPECT_LE(w->Pos.y + w->Size.y, ImGui::GetIO().DisplaySize.y) << "page " << page << " on the window";
    }
    opt_keycode_start();
    opt_keycode_feed({KeycodeEventKind::KeyDown, 0x20});
    draw(1);
    EXPECT_EQ(g_keycode_text, "scan = (0020) code = (0000)");
    key(ENTER);
    EXPECT_TRUE(s.open) << "the key-code readout takes Enter";
    opt_keycode_stop();
    s.font_busy = true;
    file_chooser_open(s.font_chooser, "font", "", "ZOLMフォント (*.xfo)|*.xfo||", "XFO", false);
    ASSERT_TRUE(option_sheet_select(s, PAGE_SCREEN));
    s.font_busy = true;
    draw(3);
    option_sheet_cancel(s);
    frames(2, [&] { EXPECT_FALSE(option_sheet_draw(s)); });
}

TEST_F(OptionSheetDraw, EnterIsOkEscapeIsCancelSpacePressesOk) {
    const struct {
        int key;
        bool committed;
    } cases[] = {{ENTER, true}, {ESCAPE, false}, {SPACE, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        vars[OPT_CRT] = 0;
        open(PAGE_SCREEN);
        s.values[OPT_CRT] = 2;
        key(c.key);
        EXPECT_FALSE(s.open);
        EXPECT_EQ(vars[OPT_CRT], c.committed ? 2 : 0);
        draw(2);

        info_dialog_open(info);
        draw(3);
        key(c.key);
        EXPECT_FALSE(info.open) << "the information dialog closes too";
        draw(2);
    }
}

// The picture under a dialog never shows through it; the information
// dialog's lines are read whole, a line wider than the window wrapped.
TEST_F(OptionSheetDraw, DialogsAreOpaqueAndTheirLinesWhole) {
    ImGui::GetIO().DisplaySize = ImVec2(640, 560);  // the main window while a dialog is open
    open(PAGE_SCREEN);
    const auto background_alpha = [](const char* title) {
        ImGuiWindow* w = ImGui::FindWindowByName(title);
        return w && !w->DrawList->VtxBuffer.empty() ? w->DrawList->VtxBuffer[0].col >> IM_COL32_A_SHIFT : 0u;
    };
    EXPECT_EQ(background_alpha(OPTION_SHEET_TITLE), 0xFFu);
    option_sheet_cancel(s);
    draw(2);

    info_dialog_open(info);
    info.lines.insert(info.lines.begin(), "Platform: Linux " + std::string(120, 'x') + " x86_64");
    draw(3);
    EXPECT_EQ(background_alpha(INFO_DIALOG_TITLE), 0xFFu);
    ImGuiWindow* dialog = ImGui::FindWindowByName(INFO_DIALOG_TITLE);
    ASSERT_NE(dialog, nullptr);
    EXPECT_LE(dialog->Pos.x + dialog->Size.x, 640);
    for (ImGuiWindow* w : GImGui->Windows) {
        if (w->ParentWindow != dialog) continue;
        EXPECT_LE(w->ScrollMax.x, 1.0f) << "no line reaches past the list's right (but by rounding)";
    }
}

}  // namespace
