// The window's boxes on SDL's dummy video driver: each opens a window of its
// own without any other (SDL started and stopped for it), within the
// display, and answers the keys sent to it; an AC plug signal closes it.
// The other windows' events come again after it.
#include <gtest/gtest.h>

#include <SDL.h>

#include <string>
#include <vector>

#include "host/message_box_sdl.h"
#include "host/message_box_window.h"
#include "host/signals.h"
#include "host/virus_question.h"

namespace {

std::vector<SDL_Keycode> g_keys;  // sent to the box at its first frame
int g_frames = 0;
SDL_Rect g_box_rect, g_usable;
std::vector<std::string> g_lines;

void send_keys(BoxWindow& box) {
    if (g_frames++ > 0) return;
    SDL_GetWindowPosition(box.window(), &g_box_rect.x, &g_box_rect.y);
    SDL_GetWindowSize(box.window(), &g_box_rect.w, &g_box_rect.h);
    SDL_GetDisplayUsableBounds(SDL_GetWindowDisplayIndex(box.window()), &g_usable);
    g_lines = box.layout().lines;
    for (SDL_Keycode k : g_keys) {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.windowID = SDL_GetWindowID(box.window());
        e.key.keysym.sym = k;
        SDL_PushEvent(&e);
    }
}

class BoxWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Hints, not the environment: programs the other tests start keep X.
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
        SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
        g_box_window_frame_hook = send_keys;
        g_frames = 0;
        g_keys.clear();
        g_lines.clear();
    }
    void TearDown() override {
        g_box_window_frame_hook = nullptr;
        g_signal_ac_plug = false;
        SDL_ResetHint(SDL_HINT_VIDEODRIVER);
        SDL_ResetHint(SDL_HINT_RENDER_DRIVER);
    }
};

TEST_F(BoxWindowTest, BoxesAnswerTheirKeysWithoutAnyOtherWindow) {
    struct Case {
        const char* what;
        MessageBoxKind kind;
        std::vector<SDL_Keycode> keys;
        MessageBoxAnswer answer;
    };
    const Case cases[] = {
        {"OK with Enter", MB_INFO, {SDLK_RETURN}, MB_ANSWER_OK},
        {"OK with Esc", MB_PLAIN, {SDLK_ESCAPE}, MB_ANSWER_OK},
        {"Yes with Enter", MB_QUESTION, {SDLK_RETURN}, MB_ANSWER_YES},
        {"No with Esc", MB_QUESTION, {SDLK_ESCAPE}, MB_ANSWER_NO},
        {"No with Tab and Space", MB_QUESTION, {SDLK_TAB, SDLK_SPACE}, MB_ANSWER_NO},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_frames = 0;
        g_keys = c.keys;
        EXPECT_EQ(
            host_message_box_show_sdl("iplrom.dat または boot.rom が見つかりません\nドキュメントを参照してください\n",
                                      "ZOLM initialize 1", c.kind),
            c.answer);
        EXPECT_GT(g_frames, 0) << "no box was drawn";
        EXPECT_EQ(g_lines.size(), 2u);
        EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u) << "the box stops the video it started";
    }
    // Within the display's usable area.
    EXPECT_GE(g_box_rect.x, g_usable.x);
    EXPECT_GE(g_box_rect.y, g_usable.y);
    EXPECT_LE(g_box_rect.x + g_box_rect.w, g_usable.x + g_usable.w);
    EXPECT_LE(g_box_rect.y + g_box_rect.h, g_usable.y + g_usable.h);
}

TEST_F(BoxWindowTest, VirusQuestionTakesItsButtonsAndCheckBox) {
    const VirusQuestionText text{
        "X68000用Virusの警告",
        "フロッピーディスクのIPL領域の書き換えを検出しました",
        "ユーザーの意図する動作でない場合には\nウイルスの疑いがあります。\nこの書き込みを許可しますか？",
        "許可する",
        "許可しない",
        "ZOLMの再起動まで 警告の必要は無い(許可する時)"};
    struct Case {
        const char* what;
        std::vector<SDL_Keycode> keys;
        VirusAnswer answer;
    };
    const Case cases[] = {
        {"Enter allows", {SDLK_RETURN}, VirusAnswer::allow},
        {"Esc refuses", {SDLK_ESCAPE}, VirusAnswer::refuse},
        {"the refuse button", {SDLK_RIGHT, SDLK_RETURN}, VirusAnswer::refuse},
        {"ticked and allowed", {SDLK_TAB, SDLK_TAB, SDLK_SPACE, SDLK_RETURN}, VirusAnswer::allow_quiet},
        {"ticked and refused", {SDLK_LEFT, SDLK_SPACE, SDLK_ESCAPE}, VirusAnswer::refuse},
    };
    host_message_box_use_sdl(nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_frames = 0;
        g_keys = c.keys;
        EXPECT_EQ(g_virus_question(text), c.answer);
        EXPECT_EQ(g_lines.size(), 3u);
        EXPECT_LE(g_box_rect.x + g_box_rect.w, g_usable.x + g_usable.w);
        EXPECT_GE(g_box_rect.x, g_usable.x) << "the box starts on the screen";
    }
    host_message_box_use_stderr();
}

TEST_F(BoxWindowTest, AcPlugClosesTheBoxAndIsLeftForTheLoop) {
    g_signal_ac_plug = true;
    EXPECT_EQ(host_message_box_show_sdl("Go on?", "Q", MB_QUESTION), MB_ANSWER_NO);
    EXPECT_TRUE(host_signal_ac_plug_pending());
}

// A run of the pointer's moves over another window while a box waits
// comes again after it as its last move: that window lights what is under
// the pointer, not what was under it before the box.
TEST_F(BoxWindowTest, ThePointersLastMoveOverAnotherWindowComesAgainAfterTheBox) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    SDL_Window* other = SDL_CreateWindow("other", 0, 0, 320, 200, SDL_WINDOW_SHOWN);
    ASSERT_NE(other, nullptr) << SDL_GetError();
    static uint32_t other_id;
    other_id = SDL_GetWindowID(other);
    g_keys = {SDLK_RETURN};
    g_box_window_frame_hook = [](BoxWindow& box) {
        for (int x : {10, 15, 20}) {
            if (g_frames > 0) break;
            SDL_Event e{};
            e.motion.type = SDL_MOUSEMOTION;
            e.motion.windowID = other_id;
            e.motion.x = x;
            e.motion.y = 2 * x;
            SDL_PushEvent(&e);
        }
        send_keys(box);  // Enter, after the moves
    };
    BoxSpec question;
    question.text = "Go on?";
    question.buttons = {"OK"};
    BoxWindow box;
    ASSERT_TRUE(box.open(question, other));
    EXPECT_EQ(box.run(), 0);
    std::vector<SDL_Point> moves;
    SDL_Event e;
    while (SDL_PollEvent(&e))
        if (e.type == SDL_MOUSEMOTION && e.motion.windowID == other_id) moves.push_back({e.motion.x, e.motion.y});
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].x, 20);
    EXPECT_EQ(moves[0].y, 40);
    SDL_DestroyWindow(other);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

TEST_F(BoxWindowTest, ANoticeStaysUntilItsOwnerClosesIt) {
    BoxSpec notice;
    notice.text = "準備が出来るまでお待ちください";
    BoxWindow box;
    ASSERT_TRUE(box.open(notice, nullptr));
    EXPECT_TRUE(SDL_GetWindowFlags(box.window()) & SDL_WINDOW_SHOWN);
    EXPECT_TRUE(SDL_GetWindowFlags(box.window()) & SDL_WINDOW_BORDERLESS) << "no caption";
    EXPECT_EQ(box.run(), -1) << "nothing to answer";
    EXPECT_TRUE(box.is_open());
    box.close();
    EXPECT_FALSE(box.is_open());
}

}  // namespace
