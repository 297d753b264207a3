#include "host/sdl_keys.h"

#include <array>

#include "host/window_message.h"

namespace {

struct KeyRow {
    SDL_Scancode sc;
    uint8_t set1;
    bool extended;
    uint8_t vk_us, vk_jp;  // 0: no key in that layout
};

// Keys other than letters, digits, F1-F12 and the number pad, by position.
constexpr KeyRow KEY_ROWS[] = {
    {SDL_SCANCODE_ESCAPE, 0x01, false, 0x1B, 0x1B},
    {SDL_SCANCODE_MINUS, 0x0C, false, 0xBD, 0xBD},
    {SDL_SCANCODE_EQUALS, 0x0D, false, 0xBB, 0xDE},  // JP ^
    {SDL_SCANCODE_BACKSPACE, 0x0E, false, 0x08, 0x08},
    {SDL_SCANCODE_TAB, 0x0F, false, 0x09, 0x09},
    {SDL_SCANCODE_LEFTBRACKET, 0x1A, false, 0xDB, 0xC0},   // JP @
    {SDL_SCANCODE_RIGHTBRACKET, 0x1B, false, 0xDD, 0xDB},  // JP [
    {SDL_SCANCODE_RETURN, 0x1C, false, 0x0D, 0x0D},
    {SDL_SCANCODE_LCTRL, 0x1D, false, 0x11, 0x11},
    {SDL_SCANCODE_SEMICOLON, 0x27, false, 0xBA, 0xBB},   // JP ;
    {SDL_SCANCODE_APOSTROPHE, 0x28, false, 0xDE, 0xBA},  // JP :
    {SDL_SCANCODE_GRAVE, 0x29, false, 0xC0, 0x00},       // JP 半角/全角: the input method's
    {SDL_SCANCODE_LSHIFT, 0x2A, false, 0x10, 0x10},
    {SDL_SCANCODE_BACKSLASH, 0x2B, false, 0xDC, 0xDD},  // JP ]
    {SDL_SCANCODE_NONUSHASH, 0x2B, false, 0xDC, 0xDD},
    {SDL_SCANCODE_COMMA, 0x33, false, 0xBC, 0xBC},
    {SDL_SCANCODE_PERIOD, 0x34, false, 0xBE, 0xBE},
    {SDL_SCANCODE_SLASH, 0x35, false, 0xBF, 0xBF},
    {SDL_SCANCODE_RSHIFT, 0x36, false, 0x10, 0x10},
    {SDL_SCANCODE_KP_MULTIPLY, 0x37, false, 0x6A, 0x6A},
    {SDL_SCANCODE_LALT, 0x38, false, 0x12, 0x12},
    {SDL_SCANCODE_SPACE, 0x39, false, 0x20, 0x20},
    {SDL_SCANCODE_CAPSLOCK, 0x3A, false, 0x14, 0x14},
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x45, true, 0x90, 0x90},
    {SDL_SCANCODE_SCROLLLOCK, 0x46, false, 0x91, 0x91},
    {SDL_SCANCODE_KP_MINUS, 0x4A, false, 0x6D, 0x6D},
    {SDL_SCANCODE_KP_PLUS, 0x4E, false, 0x6B, 0x6B},
    {SDL_SCANCODE_KP_PERIOD, 0x53, false, 0x6E, 0x6E},
    {SDL_SCANCODE_NONUSBACKSLASH, 0x56, false, 0xE2, 0x00},
    {SDL_SCANCODE_INTERNATIONAL2, 0x70, false, 0x00, 0x15},  // かな
    {SDL_SCANCODE_INTERNATIONAL1, 0x73, false, 0x00, 0xE2},  // ろ \ _
    {SDL_SCANCODE_INTERNATIONAL4, 0x79, false, 0x00, 0x1C},  // 変換
    {SDL_SCANCODE_INTERNATIONAL5, 0x7B, false, 0x00, 0x1D},  // 無変換
    {SDL_SCANCODE_INTERNATIONAL3, 0x7D, false, 0x00, 0xDC},  // ¥
    {SDL_SCANCODE_PAUSE, 0x45, false, 0x13, 0x13},
    {SDL_SCANCODE_KP_ENTER, 0x1C, true, 0x0D, 0x0D},
    {SDL_SCANCODE_RCTRL, 0x1D, true, 0x11, 0x11},
    {SDL_SCANCODE_KP_DIVIDE, 0x35, true, 0x6F, 0x6F},
    {SDL_SCANCODE_PRINTSCREEN, 0x37, true, 0x2C, 0x2C},
    {SDL_SCANCODE_RALT, 0x38, true, 0x12, 0x12},
    {SDL_SCANCODE_HOME, 0x47, true, 0x24, 0x24},
    {SDL_SCANCODE_UP, 0x48, true, 0x26, 0x26},
    {SDL_SCANCODE_PAGEUP, 0x49, true, 0x21, 0x21},
    {SDL_SCANCODE_LEFT, 0x4B, true, 0x25, 0x25},
    {SDL_SCANCODE_RIGHT, 0x4D, true, 0x27, 0x27},
    {SDL_SCANCODE_END, 0x4F, true, 0x23, 0x23},
    {SDL_SCANCODE_DOWN, 0x50, true, 0x28, 0x28},
    {SDL_SCANCODE_PAGEDOWN, 0x51, true, 0x22, 0x22},
    {SDL_SCANCODE_INSERT, 0x52, true, 0x2D, 0x2D},
    {SDL_SCANCODE_DELETE, 0x53, true, 0x2E, 0x2E},
    {SDL_SCANCODE_LGUI, 0x5B, true, 0x5B, 0x5B},
    {SDL_SCANCODE_RGUI, 0x5C, true, 0x5C, 0x5C},
    {SDL_SCANCODE_APPLICATION, 0x5D, true, 0x5D, 0x5D},
};

// Set-1 codes of the letters A-Z, of the digits 1-9 and 0, of F1-F12 and of
// the number pad's 1-9 and 0 (NumLock on: VK_NUMPAD1-9, VK_NUMPAD0).
constexpr uint8_t SET1_LETTERS[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
                                      0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
constexpr uint8_t SET1_DIGITS[10] = {0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B};
constexpr uint8_t SET1_F_KEYS[12] = {0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42, 0x43, 0x44, 0x57, 0x58};
constexpr uint8_t SET1_PAD[10] = {0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49, 0x52};

constexpr uint32_t VK_LETTER_A = 0x41, VK_DIGIT_1 = 0x31, VK_DIGIT_0 = 0x30, VK_F1 = 0x70, VK_NUMPAD1 = 0x61,
                   VK_NUMPAD0 = 0x60;

using KeyTable = std::array<HostKey, SDL_NUM_SCANCODES>;

KeyTable make_table(bool japanese) {
    KeyTable t{};
    for (int i = 0; i < 26; i++) t[SDL_SCANCODE_A + i] = {VK_LETTER_A + uint32_t(i), false, SET1_LETTERS[i]};
    for (int i = 0; i < 9; i++) t[SDL_SCANCODE_1 + i] = {VK_DIGIT_1 + uint32_t(i), false, SET1_DIGITS[i]};
    t[SDL_SCANCODE_0] = {VK_DIGIT_0, false, SET1_DIGITS[9]};
    for (int i = 0; i < 12; i++) t[SDL_SCANCODE_F1 + i] = {VK_F1 + uint32_t(i), false, SET1_F_KEYS[i]};
    for (int i = 0; i < 9; i++) t[SDL_SCANCODE_KP_1 + i] = {VK_NUMPAD1 + uint32_t(i), false, SET1_PAD[i]};
    t[SDL_SCANCODE_KP_0] = {VK_NUMPAD0, false, SET1_PAD[9]};
    for (const KeyRow& r : KEY_ROWS) {
        uint8_t vk = japanese ? r.vk_jp : r.vk_us;
        if (vk) t[r.sc] = {vk, r.extended, r.set1};
    }
    return t;
}

const KeyTable US_TABLE = make_table(false);
const KeyTable JP_TABLE = make_table(true);

}  // namespace

HostKey sdl_scancode_to_vk(SDL_Scancode sc, bool japanese) {
    if (sc < 0 || sc >= SDL_NUM_SCANCODES) return {VK_NONE, false, 0};
    return (japanese ? JP_TABLE : US_TABLE)[sc];
}

uint32_t vk_set1_lparam(uint32_t vk) {
    if (vk == VK_NONE) return 0;
    for (const HostKey& k : US_TABLE)
        if (k.vk == vk) return uint32_t(k.set1) << KEY_LPARAM_SCAN_SHIFT | (k.extended ? KEY_LPARAM_EXTENDED : 0);
    return 0;
}

bool sdl_layout_is_japanese() { return SDL_GetKeyFromScancode(SDL_SCANCODE_LEFTBRACKET) == SDLK_AT; }
