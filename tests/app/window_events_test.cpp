// Host events as the machine's window messages, and their routing to the
// devices: key records with virtual keys, characters, mouse records in
// client coordinates; F10 and Alt kept from the machine; only the main
// window's records reach it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/keyboard_type.h"
#include "host/sdl_events.h"
#include "host/sdl_key_text.h"
#include "host/sdl_keys.h"
#include "input/window_input.h"
#include "machine/settings.h"
#include "video/video_state.h"

namespace {

constexpr uint32_t MAIN = 7, OTHER = 8;
constexpr int MENU_BAR = 22;

SDL_Event key(uint32_t type, SDL_Scancode sc, SDL_Keycode sym, uint16_t mod = KMOD_NONE, uint8_t repeat = 0) {
    SDL_Event e{};
    e.key.type = type;
    e.key.windowID = MAIN;
    e.key.repeat = repeat;
    e.key.keysym.scancode = sc;
    e.key.keysym.sym = sym;
    e.key.keysym.mod = mod;
    return e;
}

std::vector<WindowMessage> messages(const SDL_Event& e) {
    EventMessages m = sdl_event_messages(e, MENU_BAR);
    return {m.list, m.list + m.count};
}

constexpr uint32_t set1(uint32_t scan) { return scan << KEY_LPARAM_SCAN_SHIFT; }
constexpr uint32_t DOWN = KEY_LPARAM_REPEAT_ONE, HELD = DOWN | KEY_LPARAM_WAS_DOWN,
                   UP = DOWN | KEY_LPARAM_WAS_DOWN | KEY_LPARAM_RELEASED;

TEST(WindowEvents, KeysBecomeVirtualKeyAndCharacterRecords) {
    struct Case {
        const char* what;
        SDL_Event event;
        std::vector<WindowMessage> want;
    } cases[] = {
        {"letter", key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a), {{MAIN, WM_KEYDOWN, 0x41, DOWN | set1(0x1E)}}},
        {"autorepeat",
         key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a, KMOD_NONE, 1),
         {{MAIN, WM_KEYDOWN, 0x41, HELD | set1(0x1E)}}},
        {"release", key(SDL_KEYUP, SDL_SCANCODE_Z, SDLK_z), {{MAIN, WM_KEYUP, 0x5A, UP | set1(0x2C)}}},
        {"digit 0", key(SDL_KEYDOWN, SDL_SCANCODE_0, SDLK_0), {{MAIN, WM_KEYDOWN, 0x30, DOWN | set1(0x0B)}}},
        {"arrow, extended",
         key(SDL_KEYDOWN, SDL_SCANCODE_UP, SDLK_UP),
         {{MAIN, WM_KEYDOWN, 0x26, DOWN | set1(0x48) | KEY_LPARAM_EXTENDED}}},
        {"Enter",
         key(SDL_KEYDOWN, SDL_SCANCODE_RETURN, SDLK_RETURN),
         {{MAIN, WM_KEYDOWN, VK_RETURN, DOWN | set1(0x1C)}, {MAIN, WM_CHAR, 0x0D, DOWN | set1(0x1C)}}},
        {"BS",
         key(SDL_KEYDOWN, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE),
         {{MAIN, WM_KEYDOWN, VK_BACK, DOWN | set1(0x0E)}, {MAIN, WM_CHAR, 0x08, DOWN | set1(0x0E)}}},
        {"Esc",
         key(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE),
         {{MAIN, WM_KEYDOWN, VK_ESCAPE, DOWN | set1(0x01)}, {MAIN, WM_CHAR, 0x1B, DOWN | set1(0x01)}}},
        {"Ctrl+C",
         key(SDL_KEYDOWN, SDL_SCANCODE_C, SDLK_c, KMOD_LCTRL),
         {{MAIN, WM_KEYDOWN, 0x43, DOWN | set1(0x2E)}, {MAIN, WM_CHAR, 0x03, DOWN | set1(0x2E)}}},
        {"F10", key(SDL_KEYDOWN, SDL_SCANCODE_F10, SDLK_F10), {}},
        {"Alt", key(SDL_KEYDOWN, SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT), {}},
        {"Alt+O", key(SDL_KEYDOWN, SDL_SCANCODE_O, SDLK_o, KMOD_LALT), {}},
        {"no such key", key(SDL_KEYDOWN, SDL_SCANCODE_UNKNOWN, SDLK_UNKNOWN), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(messages(c.event), c.want);
    }
}

TEST(WindowEvents, TextGivesTheMachinesCharacters) {
    SDL_Event e{};
    e.text.type = SDL_TEXTINPUT;
    e.text.windowID = MAIN;
    // ASCII as it is, ¥ as 0x5C, half-width katakana ｡ and ﾟ as 0xA1 and
    // 0xDF; あ, é, a broken sequence and a control character are dropped.
    std::snprintf(e.text.text, sizeof e.text.text, "%s", "a~ あ¥\xEF\xBD\xA1\xEF\xBE\x9F\xC3\xA9\xE3\x81\x1F");
    std::vector<WindowMessage> want = {{MAIN, WM_CHAR, 'a', DOWN},  {MAIN, WM_CHAR, '~', DOWN},
                                       {MAIN, WM_CHAR, ' ', DOWN},  {MAIN, WM_CHAR, 0x5C, DOWN},
                                       {MAIN, WM_CHAR, 0xA1, DOWN}, {MAIN, WM_CHAR, 0xDF, DOWN}};
    EXPECT_EQ(messages(e), want);
}

// With the input method detached (IME set) SDL gives no text: each key
// press types its character from the layout, for the machine as WM_CHAR
// after the key's own record; text SDL still had queued is dropped.
TEST(WindowEvents, DetachedKeysTypeTheirLayoutsCharacters) {
    constexpr uint16_t SHIFT = KMOD_LSHIFT, CAPS = KMOD_CAPS, NUM = KMOD_NUM;
    struct Case {
        const char* what;
        bool japanese;
        SDL_Event event;
        uint32_t want;  // the code point; 0: none
    } cases[] = {
        {"a", false, key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a), 'a'},
        {"Shift+a", false, key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a, SHIFT), 'A'},
        {"Caps Lock a", false, key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a, CAPS), 'A'},
        {"Caps Lock Shift+a", false, key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a, SHIFT | CAPS), 'a'},
        {"space", false, key(SDL_KEYDOWN, SDL_SCANCODE_SPACE, SDLK_SPACE), ' '},
        {"US Shift+2", false, key(SDL_KEYDOWN, SDL_SCANCODE_2, SDLK_2, SHIFT), '@'},
        {"JP Shift+2", true, key(SDL_KEYDOWN, SDL_SCANCODE_2, SDLK_2, SHIFT), '"'},
        {"US Shift+'", false, key(SDL_KEYDOWN, SDL_SCANCODE_APOSTROPHE, SDLK_QUOTE, SHIFT), '"'},
        {"JP Shift+:", true, key(SDL_KEYDOWN, SDL_SCANCODE_APOSTROPHE, SDLK_COLON, SHIFT), '*'},
        {"JP ro, Shift", true, key(SDL_KEYDOWN, SDL_SCANCODE_INTERNATIONAL1, SDLK_BACKSLASH, SHIFT), '_'},
        {"JP yen", true, key(SDL_KEYDOWN, SDL_SCANCODE_INTERNATIONAL3, SDLK_BACKSLASH), '\\'},
        {"JP Shift+0 types nothing", true, key(SDL_KEYDOWN, SDL_SCANCODE_0, SDLK_0, SHIFT), 0},
        {"keypad 7 with Num Lock", false, key(SDL_KEYDOWN, SDL_SCANCODE_KP_7, SDLK_KP_7, NUM), '7'},
        {"keypad 7 without", false, key(SDL_KEYDOWN, SDL_SCANCODE_KP_7, SDLK_KP_7), 0},
        {"keypad +", false, key(SDL_KEYDOWN, SDL_SCANCODE_KP_PLUS, SDLK_KP_PLUS), '+'},
        {"Ctrl+1", false, key(SDL_KEYDOWN, SDL_SCANCODE_1, SDLK_1, KMOD_LCTRL), 0},
        {"release", false, key(SDL_KEYUP, SDL_SCANCODE_A, SDLK_a), 0},
        {"F1", false, key(SDL_KEYDOWN, SDL_SCANCODE_F1, SDLK_F1), 0},
    };
    const HostKeyboardType saved = host_keyboard_type();
    sdl_detach_input_method(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(sdl_key_character(c.event.key, c.japanese), c.want);
        host_set_keyboard_type(c.japanese ? HOST_KEYBOARD_JP106 : HOST_KEYBOARD_US101);
        const std::vector<WindowMessage> m = messages(c.event);
        const bool typed = m.size() == 2 && m[1].message == WM_CHAR;
        EXPECT_EQ(typed, c.want != 0);
        if (typed) { EXPECT_EQ(m[1].wparam, c.want); }
    }
    SDL_Event text{};
    text.text.type = SDL_TEXTINPUT;
    text.text.windowID = MAIN;
    std::snprintf(text.text.text, sizeof text.text.text, "%s", "a");
    EXPECT_TRUE(messages(text).empty());
    sdl_detach_input_method(false);
    EXPECT_EQ(messages(text).size(), 1u);
    EXPECT_EQ(messages(key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a)).size(), 1u) << "attached, SDL's text types";
    host_set_keyboard_type(saved);
}

TEST(WindowEvents, RelativeModeMovesAVirtualPointerInThePicture) {
    VirtualPointer p{10, 10, 100, 50};
    SDL_Event move{};
    move.motion.type = SDL_MOUSEMOTION;
    move.motion.windowID = MAIN;
    move.motion.x = 700;  // where the host pointer is plays no part
    move.motion.y = 700;
    struct Step {
        int dx, dy;
        uint32_t x, y;
    };
    const Step steps[] = {{5, -3, 15, 7}, {-40, 0, 0, 7}, {500, 500, 99, 49}};
    for (const Step& s : steps) {
        move.motion.xrel = s.dx;
        move.motion.yrel = s.dy;
        EventMessages m = sdl_event_messages(move, MENU_BAR, &p);
        ASSERT_EQ(m.count, 1);
        EXPECT_EQ(m.list[0].lparam, s.y << 16 | s.x);
    }
}

TEST(WindowEvents, MouseRecordsAreInPictureCoordinates) {
    SDL_Event move{};
    move.motion.type = SDL_MOUSEMOTION;
    move.motion.windowID = MAIN;
    move.motion.x = 100;
    move.motion.y = MENU_BAR + 40;
    move.motion.state = SDL_BUTTON_LMASK;
    EventMessages m = sdl_event_messages(move, MENU_BAR);
    ASSERT_EQ(m.count, 1);
    EXPECT_EQ(m.list[0], (WindowMessage{MAIN, WM_MOUSEMOVE, MK_LBUTTON, 40u << 16 | 100u}));
    EXPECT_FALSE(m.mouse_button);

    SDL_Event press{};
    press.button.type = SDL_MOUSEBUTTONDOWN;
    press.button.windowID = MAIN;
    press.button.button = SDL_BUTTON_RIGHT;
    press.button.x = 3;
    press.button.y = MENU_BAR;
    m = sdl_event_messages(press, MENU_BAR);
    ASSERT_EQ(m.count, 1);
    EXPECT_EQ(m.list[0].message, uint32_t(WM_RBUTTONDOWN));
    EXPECT_EQ(m.list[0].lparam, 3u);
    EXPECT_TRUE(m.mouse_button) << "a button event ends the pump";

    press.button.button = SDL_BUTTON_MIDDLE;
    EXPECT_EQ(sdl_event_messages(press, MENU_BAR).count, 0);
}

// What the devices were given, in order.
std::vector<std::string> g_seen;

TEST(WindowEvents, OnlyTheMainWindowsRecordsReachTheDevices) {
    g_seen.clear();
    WindowInputSinks saved = g_window_input;
    uint32_t saved_id = g_main_window_id;
    int saved_key = g_settings.key;
    int32_t saved_h = g_video.h_scale, saved_v = g_video.v_scale;
    g_window_input = {};
    g_window_input.joy_on_key_down = [](uint32_t vk) { g_seen.push_back("joy down " + std::to_string(vk)); };
    g_window_input.key_on_key_down = [](const WindowMessage& m) {
        g_seen.push_back("key down " + std::to_string(m.wparam));
    };
    g_window_input.key_on_char = [](const WindowMessage& m) { g_seen.push_back("char " + std::to_string(m.wparam)); };
    g_window_input.mouse_move = [](uint32_t l) { g_seen.push_back("move " + std::to_string(l)); };
    g_window_input.mouse_left_down = [] { g_seen.push_back("left down"); };
    g_main_window_id = MAIN;
    g_video.h_scale = 4096;
    g_video.v_scale = 0;  // no picture yet: moves are not given

    g_settings.key = 1;
    for (WindowMessage m : std::vector<WindowMessage>{{MAIN, WM_KEYDOWN, 0x41, DOWN},
                                                      {OTHER, WM_KEYDOWN, 0x42, DOWN},
                                                      {MAIN, WM_CHAR, 'a', DOWN},
                                                      {MAIN, WM_MOUSEMOVE, 0, 5},
                                                      {MAIN, WM_LBUTTONDOWN, MK_LBUTTON, 5},
                                                      {MAIN, WM_KEYUP, 0x41, UP}})
        EXPECT_EQ(emu_dispatch_window_message(m), 1u);
    g_settings.key = 0;
    g_video.v_scale = 1024;
    emu_dispatch_window_message({MAIN, WM_CHAR, 'b', DOWN});
    emu_dispatch_window_message({MAIN, WM_MOUSEMOVE, 0, 6});
    EXPECT_EQ(g_seen, (std::vector<std::string>{"joy down 65", "key down 65", "left down", "char 98", "move 6"}));

    g_window_input = saved;
    g_main_window_id = saved_id;
    g_settings.key = saved_key;
    g_video.h_scale = saved_h;
    g_video.v_scale = saved_v;
}

}  // namespace
