// Clicks reach the dialogs however they come: a press whose pointer
// arrived in the same instant (a tap, a jump of the pointer), with press
// and release between two frames, still chooses the option sheet's tab,
// also right after a control was clicked (the control was hovered last).
// The pointer's moves alone light a tab and bring a greyed control's
// tooltip, and its leaving the window takes them away, after a click too.
// An SDL window on the dummy video driver; the events as SDL gives them.
#include <gtest/gtest.h>

#include <imgui.h>
#include <imgui_internal.h>

#include <string>

#include "app/option_pages.h"
#include "app/option_sheet.h"
#include "host/sdl_window.h"

namespace {

class WindowClicks : public ::testing::Test {
protected:
    void SetUp() override {
        // Hints, not the environment: programs the other tests start keep X.
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
        SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
        if (SDL_Init(SDL_INIT_VIDEO) != 0) GTEST_SKIP() << "no dummy video: " << SDL_GetError();
        ASSERT_TRUE(window.open("clicks", 800, 600, SDL_WINDOW_SHOWN, {OPTION_SHEET_TITLE}));
        for (int k = 0; k < OPT_KEYS; ++k) bind.var[k] = &vars[k];
        bind.font = &font;
        g_opt_last_page = PAGE_SCREEN;
        option_sheet_open(sheet, bind, OptionSystem{});
    }
    void TearDown() override {
        window.close();
        SDL_Quit();
    }
    void frames(int n) {
        for (int i = 0; i < n; ++i) {
            window.begin_frame();
            option_sheet_draw(sheet);
            window.end_frame();
        }
    }
    SDL_Event button(uint32_t type, ImVec2 at) {
        SDL_Event e{};
        e.button.type = type;
        e.button.windowID = window.id();
        e.button.button = SDL_BUTTON_LEFT;
        e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.button.clicks = 1;
        e.button.x = int(at.x);
        e.button.y = int(at.y);
        return e;
    }
    // The pointer jumps to at and clicks there before the next frame.
    void tap(ImVec2 at) {
        SDL_WarpMouseInWindow(window.window(), int(at.x), int(at.y));
        SDL_PumpEvents();
        SDL_FlushEvent(SDL_MOUSEMOTION);
        window.process_event(button(SDL_MOUSEBUTTONDOWN, at));
        window.process_event(button(SDL_MOUSEBUTTONUP, at));
        settle();
    }
    SDL_Event motion(ImVec2 at) {
        SDL_Event e{};
        e.motion.type = SDL_MOUSEMOTION;
        e.motion.windowID = window.id();
        e.motion.x = int(at.x);
        e.motion.y = int(at.y);
        return e;
    }
    SDL_Event pointer_left() {
        SDL_Event e{};
        e.window.type = SDL_WINDOWEVENT;
        e.window.windowID = window.id();
        e.window.event = SDL_WINDOWEVENT_LEAVE;
        return e;
    }
    // A frame after the event: the width of the text of the tooltip it
    // drew (0 without one) and the id of the control under the pointer.
    float frame_after(const SDL_Event& e, ImGuiID& hovered) {
        window.process_event(e);
        window.begin_frame();
        option_sheet_draw(sheet);
        const ImGuiWindow* tip = ImGui::FindWindowByName("##Tooltip_00");
        const float width = tip && tip->Active ? tip->DC.CursorMaxPos.x - tip->DC.CursorStartPos.x : 0.0f;
        hovered = GImGui->HoveredId;
        window.end_frame();
        return width;
    }
    // Frames until no button event waits, and two more: a release takes effect a frame after its press.
    void settle() {
        for (int i = 0; i < 16 && window.input_held(); ++i) frames(1);
        frames(2);
    }
    // The middle of tab page's button and of the first radio button below the bar.
    ImVec2 tab_centre(int page) {
        window.make_current();
        ImGuiTabBar* bar = GImGui->TabBars.GetByIndex(0);
        const ImGuiTabItem& tab = bar->Tabs[page];
        return ImVec2(bar->BarRect.Min.x + tab.Offset + tab.Width / 2, (bar->BarRect.Min.y + bar->BarRect.Max.y) / 2);
    }
    ImVec2 first_control() {
        window.make_current();
        ImGuiTabBar* bar = GImGui->TabBars.GetByIndex(0);
        const float h = ImGui::GetFrameHeight();
        return ImVec2(bar->BarRect.Min.x + h / 2, bar->BarRect.Max.y + ImGui::GetStyle().ItemSpacing.y + h / 2);
    }

    HostWindow window;
    int vars[OPT_KEYS] = {};
    std::string font;
    OptionBindings bind;
    OptionSheet sheet;
};

TEST_F(WindowClicks, ATapOnATabAfterAControlChangesThePage) {
    vars[OPT_CRT] = 2;
    frames(3);
    tap(first_control());
    ASSERT_EQ(sheet.values[OPT_CRT], 0) << "the tap on the first radio button chose it";
    tap(tab_centre(PAGE_OTHER));
    EXPECT_EQ(sheet.active, PAGE_OTHER);
    EXPECT_EQ(vars[OPT_CRT], 0) << "the screen page was committed";
    frames(2);  // the sheet takes the new page's height
    tap(tab_centre(PAGE_STICK));
    EXPECT_EQ(sheet.active, PAGE_STICK) << "a tap from tab to tab";
}

TEST_F(WindowClicks, TapsBetweenTwoFramesEachTakeEffectWhereTheyWere) {
    frames(3);
    // The check boxes AUTOSIZE and FRAME, the third and fourth controls.
    window.make_current();
    const ImVec2 first = first_control();
    const float row = ImGui::GetFrameHeightWithSpacing(), gap = ImGui::GetStyle().ItemSpacing.y;
    const ImVec2 autosize(first.x, first.y + 2 * row + 2 * gap), frame(autosize.x, autosize.y + row);
    SDL_WarpMouseInWindow(window.window(), int(frame.x), int(frame.y));
    SDL_PumpEvents();
    for (ImVec2 at : {autosize, frame}) {
        window.process_event(button(SDL_MOUSEBUTTONDOWN, at));
        window.process_event(button(SDL_MOUSEBUTTONUP, at));
    }
    settle();
    EXPECT_EQ(sheet.values[OPT_AUTOSIZE], 1);
    EXPECT_EQ(sheet.values[OPT_FRAME], 1);
}

TEST_F(WindowClicks, ThePointerMovingOverAControlHighlightsItUntilItLeaves) {
    frames(3);
    tap(tab_centre(PAGE_OTHER));
    ASSERT_EQ(sheet.active, PAGE_OTHER);
    window.make_current();
    const ImVec2 vsync = first_control();
    const float row = ImGui::GetFrameHeightWithSpacing();
    const ImGuiID sound_tab = GImGui->TabBars.GetByIndex(0)->Tabs[PAGE_SOUND].ID;
    const auto& controls = OPTION_PAGE_TABLE[PAGE_OTHER].controls;
    ASSERT_EQ(controls[0].key, OPT_VSYNC);
    ASSERT_EQ(controls[5].key, OPT_WINFD);
    const struct {
        const char* what;
        ImVec2 at;
        const char* tooltip;  // nullptr: the control lights instead
    } cases[] = {
        {"greyed VSYNC", vsync, controls[0].why_disabled},
        {"greyed WINFD, the sixth box", ImVec2(vsync.x, vsync.y + 5 * row), controls[5].why_disabled},
        {"the SOUND tab", tab_centre(PAGE_SOUND), nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ImGuiID hovered = 0;
        float tip = frame_after(motion(c.at), hovered);
        if (c.tooltip) {
            EXPECT_FLOAT_EQ(tip, ImGui::CalcTextSize(c.tooltip).x) << "its own tooltip";
        } else {
            EXPECT_EQ(hovered, sound_tab);
        }
        tip = frame_after(pointer_left(), hovered);
        EXPECT_EQ(tip, 0.0f) << "a tooltip after the pointer left";
        EXPECT_EQ(hovered, 0u) << "still lit after the pointer left";
    }
}

TEST_F(WindowClicks, AClickedTabIsNoLongerLitOnceThePointerLeft) {
    frames(3);
    const ImVec2 sound = tab_centre(PAGE_SOUND);
    tap(sound);
    ASSERT_EQ(sheet.active, PAGE_SOUND);
    ImGuiID hovered = 0;
    frame_after(motion(sound), hovered);
    ASSERT_NE(hovered, 0u) << "the tab under the pointer";
    frame_after(pointer_left(), hovered);
    EXPECT_EQ(hovered, 0u);
}

}  // namespace
