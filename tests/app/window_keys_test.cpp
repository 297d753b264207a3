// Keys reach the dialogs however quickly they come: a press and its release
// between two frames (as a synthetic key tap sends them) still shows as a
// press, and each of several taps of a key in one poll counts. An SDL
// window on the dummy video driver; the events as SDL gives them.
#include <gtest/gtest.h>

#include <imgui.h>

#include <vector>

#include "app/option_sheet.h"
#include "host/sdl_key_text.h"
#include "host/sdl_window.h"

namespace {

class WindowKeys : public ::testing::Test {
protected:
    void SetUp() override {
        // Hints, not the environment: programs the other tests start keep X.
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
        SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
        if (SDL_Init(SDL_INIT_VIDEO) != 0) GTEST_SKIP() << "no dummy video: " << SDL_GetError();
        ASSERT_TRUE(window.open("keys", 800, 600, SDL_WINDOW_SHOWN, {OPTION_SHEET_TITLE}));
        window.enable_keyboard_navigation();
    }
    void TearDown() override {
        window.close();
        SDL_Quit();
    }
    SDL_Event key(uint32_t type, SDL_Scancode code) {
        SDL_Event e{};
        e.key.type = type;
        e.key.windowID = window.id();
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.scancode = code;
        e.key.keysym.sym = SDL_GetKeyFromScancode(code);
        return e;
    }
    // Presses and releases code `taps` times before the next frame.
    void tap(SDL_Scancode code, int taps = 1) {
        for (int i = 0; i < taps; ++i) {
            window.process_event(key(SDL_KEYDOWN, code));
            window.process_event(key(SDL_KEYUP, code));
        }
    }
    // Frames until no key event waits, and two more; each draws with draw().
    template <typename F> void settle(F draw) {
        for (int i = 0; i < 16; ++i) {
            const bool last = !window.input_held();
            window.begin_frame();
            draw();
            window.end_frame();
            if (last && i >= 2) break;
        }
    }

    HostWindow window;
};

TEST_F(WindowKeys, EachTapBetweenTwoFramesIsOnePressAndAHeldKeyOne) {
    const struct {
        SDL_Scancode code;
        int taps;
    } cases[] = {{SDL_SCANCODE_RETURN, 1}, {SDL_SCANCODE_SPACE, 2}, {SDL_SCANCODE_ESCAPE, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(SDL_GetScancodeName(c.code));
        settle([] {});
        tap(c.code, c.taps);
        int presses = 0;
        settle([&] { presses += ImGui::IsKeyPressed(c.code, false); });
        EXPECT_EQ(presses, c.taps);
        window.make_current();
        EXPECT_FALSE(ImGui::GetIO().KeysDown[c.code]) << "released in the end";
    }
    // A key held down across frames (with its autorepeat) stays one press.
    window.process_event(key(SDL_KEYDOWN, SDL_SCANCODE_RETURN));
    int held_presses = 0, down_frames = 0;
    for (int i = 0; i < 3; ++i) {
        window.begin_frame();
        held_presses += ImGui::IsKeyPressed(SDL_SCANCODE_RETURN, false);
        down_frames += ImGui::IsKeyDown(SDL_SCANCODE_RETURN);
        window.end_frame();
        window.process_event(key(SDL_KEYDOWN, SDL_SCANCODE_RETURN));  // the autorepeat
    }
    window.process_event(key(SDL_KEYUP, SDL_SCANCODE_RETURN));
    settle([&] { down_frames += ImGui::IsKeyDown(SDL_SCANCODE_RETURN); });
    EXPECT_EQ(held_presses, 1);
    EXPECT_EQ(down_frames, 3);
}

// With the input method detached (IME set) SDL's text input is off, and a
// text box still takes what the keys type; attached again, SDL's text does.
TEST_F(WindowKeys, ATextBoxTakesTheKeysWithTheInputMethodDetached) {
    char text[16] = "";
    const auto draw = [&] {
        ImGui::SetNextWindowPos(ImVec2(0, 0));
        ImGui::Begin("name");
        if (ImGui::IsWindowAppearing()) ImGui::SetKeyboardFocusHere();
        ImGui::InputText("##name", text, sizeof text);
        ImGui::End();
    };
    settle(draw);
    sdl_detach_input_method(true);
    EXPECT_FALSE(SDL_IsTextInputActive());
    SDL_Event shift = key(SDL_KEYDOWN, SDL_SCANCODE_LSHIFT);
    window.process_event(shift);
    for (SDL_Scancode code : {SDL_SCANCODE_A, SDL_SCANCODE_1}) {
        SDL_Event down = key(SDL_KEYDOWN, code);
        down.key.keysym.mod = code == SDL_SCANCODE_1 ? KMOD_LSHIFT : KMOD_NONE;
        window.process_event(down);
        window.process_event(key(SDL_KEYUP, code));
    }
    settle(draw);
    EXPECT_STREQ(text, "a!");

    sdl_detach_input_method(false);
    EXPECT_TRUE(SDL_IsTextInputActive());
    window.process_event(key(SDL_KEYDOWN, SDL_SCANCODE_B));
    SDL_Event typed{};
    typed.text.type = SDL_TEXTINPUT;
    typed.text.windowID = window.id();
    typed.text.text[0] = 'b';
    window.process_event(typed);
    window.process_event(key(SDL_KEYUP, SDL_SCANCODE_B));
    settle(draw);
    EXPECT_STREQ(text, "a!b") << "attached: the text event types, the key alone does not";
}

// A quick Enter (down and up before the next frame) is the option sheet's OK.
TEST_F(WindowKeys, AQuickEnterClosesTheOptionSheet) {
    int vars[OPT_KEYS] = {};
    std::string font;
    OptionBindings bind;
    for (int k = 0; k < OPT_KEYS; ++k) bind.var[k] = &vars[k];
    bind.font = &font;
    g_opt_last_page = PAGE_SCREEN;
    OptionSheet sheet;
    option_sheet_open(sheet, bind, OptionSystem{});
    const auto draw = [&] { option_sheet_draw(sheet); };
    settle(draw);
    ASSERT_TRUE(sheet.open);
    tap(SDL_SCANCODE_RETURN);
    settle(draw);
    EXPECT_FALSE(sheet.open);
}

}  // namespace
