// Host input without a window: physical keys to virtual keys in both
// layouts, and game controllers and plain joysticks as the ports read them.
#include <gtest/gtest.h>

#include "host/keyboard_type.h"
#include "host/sdl_joysticks.h"
#include "host/sdl_keys.h"
#include "host/window_message.h"

namespace {

TEST(SdlKeys, ScancodesToVirtualKeysInBothLayouts) {
    struct Case {
        SDL_Scancode sc;
        uint32_t us, jp;
    };
    const Case cases[] = {
        {SDL_SCANCODE_A, 0x41, 0x41},
        {SDL_SCANCODE_0, 0x30, 0x30},
        {SDL_SCANCODE_F12, 0x7B, 0x7B},
        {SDL_SCANCODE_KP_7, 0x67, 0x67},  // NumLock on
        {SDL_SCANCODE_KP_PERIOD, 0x6E, 0x6E},
        {SDL_SCANCODE_KP_ENTER, 0x0D, 0x0D},
        {SDL_SCANCODE_LSHIFT, 0x10, 0x10},
        {SDL_SCANCODE_RSHIFT, 0x10, 0x10},
        {SDL_SCANCODE_LCTRL, 0x11, 0x11},
        {SDL_SCANCODE_RCTRL, 0x11, 0x11},
        {SDL_SCANCODE_LEFTBRACKET, 0xDB, 0xC0},   // JP @
        {SDL_SCANCODE_RIGHTBRACKET, 0xDD, 0xDB},  // JP [
        {SDL_SCANCODE_BACKSLASH, 0xDC, 0xDD},     // JP ]
        {SDL_SCANCODE_APOSTROPHE, 0xDE, 0xBA},    // JP :
        {SDL_SCANCODE_SEMICOLON, 0xBA, 0xBB},     // JP ;
        {SDL_SCANCODE_EQUALS, 0xBB, 0xDE},        // JP ^
        {SDL_SCANCODE_INTERNATIONAL3, 0, 0xDC},   // ¥
        {SDL_SCANCODE_INTERNATIONAL1, 0, 0xE2},   // \ _
        {SDL_SCANCODE_INTERNATIONAL4, 0, 0x1C},   // 変換
        {SDL_SCANCODE_INTERNATIONAL5, 0, 0x1D},   // 無変換
        {SDL_SCANCODE_GRAVE, 0xC0, 0},            // JP 半角/全角 stays with the input method
        {SDL_SCANCODE_VOLUMEUP, 0, 0},
        {SDL_SCANCODE_UNKNOWN, 0, 0},
        {SDL_NUM_SCANCODES, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sdl_scancode_to_vk(c.sc, false).vk, c.us) << c.sc;
        EXPECT_EQ(sdl_scancode_to_vk(c.sc, true).vk, c.jp) << c.sc;
    }
    HostKey up = sdl_scancode_to_vk(SDL_SCANCODE_UP, true);
    EXPECT_TRUE(up.extended);
    EXPECT_EQ(up.set1, 0x48);
    EXPECT_EQ(vk_set1_lparam(0x26), 0x48u << KEY_LPARAM_SCAN_SHIFT | KEY_LPARAM_EXTENDED);
    EXPECT_EQ(vk_set1_lparam(0x41), 0x1Eu << KEY_LPARAM_SCAN_SHIFT);
    EXPECT_EQ(vk_set1_lparam(0xFF), 0u);
}

TEST(SdlKeys, KeyboardTypeIsInjectable) {
    HostKeyboardType saved = host_keyboard_type();
    EXPECT_FALSE(host_keyboard_japanese());
    host_set_keyboard_type(HOST_KEYBOARD_JP106);
    EXPECT_TRUE(host_keyboard_japanese());
    host_set_keyboard_type({HOST_KEYBOARD_JAPANESE, 1, 12});  // a subtype of 1 is not JP-106
    EXPECT_FALSE(host_keyboard_japanese());
    host_set_keyboard_type(saved);
}

TEST(SdlJoysticks, ReadingsAsThePortsTakeThem) {
    int16_t axes[SDL_CONTROLLER_AXIS_MAX] = {};
    bool buttons[SDL_CONTROLLER_BUTTON_MAX] = {};
    axes[SDL_CONTROLLER_AXIS_LEFTX] = -32768;
    axes[SDL_CONTROLLER_AXIS_LEFTY] = 32767;
    HostJoyPos p = game_controller_pos(axes, buttons);
    EXPECT_EQ(p.x, 0u);
    EXPECT_EQ(p.y, 65535u);
    EXPECT_EQ(p.buttons, 0u);
    // The d-pad is full deflection; A ... RS are buttons 1-10, the triggers 11 and 12.
    buttons[SDL_CONTROLLER_BUTTON_DPAD_RIGHT] = buttons[SDL_CONTROLLER_BUTTON_DPAD_UP] = true;
    buttons[SDL_CONTROLLER_BUTTON_A] = buttons[SDL_CONTROLLER_BUTTON_START] = true;
    buttons[SDL_CONTROLLER_BUTTON_RIGHTSTICK] = true;
    axes[SDL_CONTROLLER_AXIS_TRIGGERRIGHT] = 30000;
    axes[SDL_CONTROLLER_AXIS_TRIGGERLEFT] = 1000;
    p = game_controller_pos(axes, buttons);
    EXPECT_EQ(p.x, 65535u);
    EXPECT_EQ(p.y, 0u);
    EXPECT_EQ(p.buttons, 0x001u | 0x080u | 0x200u | 0x800u);

    p = plain_joystick_pos(0, -32768, SDL_HAT_CENTERED, 0xFFFFF);
    EXPECT_EQ(p.x, 32768u);
    EXPECT_EQ(p.y, 0u);
    EXPECT_EQ(p.buttons, 0xFFFu) << "buttons 0-11 only";
    p = plain_joystick_pos(0, 0, SDL_HAT_LEFTDOWN, 0);
    EXPECT_EQ(p.x, 0u);
    EXPECT_EQ(p.y, 65535u);
}

}  // namespace
