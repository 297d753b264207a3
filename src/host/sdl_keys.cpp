#include "host/sdl_keys.h"

#include <array>

namespace {

struct KeyRow {
    SDL_Scancode sc;
    uint32_t vk;
    bool extended;
};

// Keys other than letters, digits and F1-F12, by position.
constexpr KeyRow KEY_ROWS[] = {
    {SDL_SCANCODE_RETURN, 0x0D, false},     {SDL_SCANCODE_ESCAPE, 0x1B, false},
    {SDL_SCANCODE_BACKSPACE, 0x08, false},  {SDL_SCANCODE_TAB, 0x09, false},
    {SDL_SCANCODE_SPACE, 0x20, false},      {SDL_SCANCODE_MINUS, 0xBD, false},
    {SDL_SCANCODE_EQUALS, 0xBB, false},     {SDL_SCANCODE_LEFTBRACKET, 0xDB, false},
    {SDL_SCANCODE_RIGHTBRACKET, 0xDD, false}, {SDL_SCANCODE_BACKSLASH, 0xDC, false},
    {SDL_SCANCODE_NONUSHASH, 0xDC, false},  {SDL_SCANCODE_SEMICOLON, 0xBA, false},
    {SDL_SCANCODE_APOSTROPHE, 0xDE, false}, {SDL_SCANCODE_GRAVE, 0xC0, false},
    {SDL_SCANCODE_COMMA, 0xBC, false},      {SDL_SCANCODE_PERIOD, 0xBE, false},
    {SDL_SCANCODE_SLASH, 0xBF, false},      {SDL_SCANCODE_CAPSLOCK, 0x14, false},
    {SDL_SCANCODE_PRINTSCREEN, 0x2C, true}, {SDL_SCANCODE_SCROLLLOCK, 0x91, false},
    {SDL_SCANCODE_PAUSE, 0x13, false},      {SDL_SCANCODE_INSERT, 0x2D, true},
    {SDL_SCANCODE_HOME, 0x24, true},        {SDL_SCANCODE_PAGEUP, 0x21, true},
    {SDL_SCANCODE_DELETE, 0x2E, true},      {SDL_SCANCODE_END, 0x23, true},
    {SDL_SCANCODE_PAGEDOWN, 0x22, true},    {SDL_SCANCODE_RIGHT, 0x27, true},
    {SDL_SCANCODE_LEFT, 0x25, true},        {SDL_SCANCODE_DOWN, 0x28, true},
    {SDL_SCANCODE_UP, 0x26, true},          {SDL_SCANCODE_NUMLOCKCLEAR, 0x90, true},
    {SDL_SCANCODE_KP_DIVIDE, 0x6F, true},   {SDL_SCANCODE_KP_MULTIPLY, 0x6A, false},
    {SDL_SCANCODE_KP_MINUS, 0x6D, false},   {SDL_SCANCODE_KP_PLUS, 0x6B, false},
    {SDL_SCANCODE_KP_ENTER, 0x0D, true},    {SDL_SCANCODE_KP_PERIOD, 0x6E, false},
    {SDL_SCANCODE_KP_COMMA, 0x6C, false},   {SDL_SCANCODE_KP_EQUALS, 0x0C, false},
    {SDL_SCANCODE_NONUSBACKSLASH, 0xE2, false}, {SDL_SCANCODE_APPLICATION, 0x5D, true},
    {SDL_SCANCODE_INTERNATIONAL1, 0xE2, false}, // ろ (\ _)
    {SDL_SCANCODE_INTERNATIONAL2, 0x15, false}, // かな
    {SDL_SCANCODE_INTERNATIONAL3, 0xDC, false}, // ¥
    {SDL_SCANCODE_INTERNATIONAL4, 0x1C, false}, // 変換
    {SDL_SCANCODE_INTERNATIONAL5, 0x1D, false}, // 無変換
    {SDL_SCANCODE_LCTRL, 0x11, false},      {SDL_SCANCODE_RCTRL, 0x11, true},
    {SDL_SCANCODE_LSHIFT, 0x10, false},     {SDL_SCANCODE_RSHIFT, 0x10, false},
    {SDL_SCANCODE_LALT, 0x12, false},       {SDL_SCANCODE_RALT, 0x12, true},
    {SDL_SCANCODE_LGUI, 0x5B, true},        {SDL_SCANCODE_RGUI, 0x5C, true},
};

constexpr uint32_t VK_LETTER_A = 0x41, VK_DIGIT_1 = 0x31, VK_DIGIT_0 = 0x30, VK_F1 = 0x70,
                   VK_NUMPAD1 = 0x61, VK_NUMPAD0 = 0x60, VK_F13 = 0x7C;

std::array<HostKey, SDL_NUM_SCANCODES> make_table() {
    std::array<HostKey, SDL_NUM_SCANCODES> t{};
    for (int i = 0; i < 26; i++) t[SDL_SCANCODE_A + i] = {VK_LETTER_A + uint32_t(i), false};
    for (int i = 0; i < 9; i++) t[SDL_SCANCODE_1 + i] = {VK_DIGIT_1 + uint32_t(i), false};
    t[SDL_SCANCODE_0] = {VK_DIGIT_0, false};
    for (int i = 0; i < 12; i++) t[SDL_SCANCODE_F1 + i] = {VK_F1 + uint32_t(i), false};
    for (int i = 0; i < 12; i++) t[SDL_SCANCODE_F13 + i] = {VK_F13 + uint32_t(i), false};
    for (int i = 0; i < 9; i++) t[SDL_SCANCODE_KP_1 + i] = {VK_NUMPAD1 + uint32_t(i), false};
    t[SDL_SCANCODE_KP_0] = {VK_NUMPAD0, false};
    for (const KeyRow& r : KEY_ROWS) t[r.sc] = {r.vk, r.extended};
    return t;
}

const std::array<HostKey, SDL_NUM_SCANCODES> KEY_TABLE = make_table();

} // namespace

HostKey sdl_scancode_to_vk(SDL_Scancode sc) {
    if (sc < 0 || sc >= SDL_NUM_SCANCODES) return {VK_NONE, false};
    return KEY_TABLE[sc];
}
