#include "host/sdl_events.h"

#include <algorithm>

#include "host/keyboard_type.h"
#include "host/sdl_key_text.h"
#include "host/sdl_keys.h"

namespace {

constexpr uint32_t CHAR_BS = 0x08, CHAR_TAB = 0x09, CHAR_CR = 0x0D, CHAR_ESC = 0x1B;
constexpr uint32_t ASCII_FIRST = 0x20, ASCII_LAST = 0x7E;
// Characters beyond ASCII the machine has: ¥ as 0x5C, the half-width
// katakana U+FF61-FF9F as 0xA1-0xDF.
constexpr uint32_t YEN_SIGN = 0xA5, CHAR_YEN = 0x5C;
constexpr uint32_t HALF_KANA_FIRST = 0xFF61, HALF_KANA_LAST = 0xFF9F, CHAR_KANA_FIRST = 0xA1;
constexpr uint32_t NO_CHAR = 0;

// The next UTF-8 sequence of text at p as a code point; p moves past it.
// A malformed sequence is one byte that gives NO_CHAR.
uint32_t next_code_point(const unsigned char*& p) {
    uint32_t c = *p++;
    int more = c >= 0xF0 && c < 0xF8 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (c < 0x80) return c;
    if (more == 0 || c >= 0xF8) return NO_CHAR;
    c &= 0x3Fu >> more;
    for (; more > 0; more--) {
        if ((*p & 0xC0) != 0x80) return NO_CHAR;
        c = c << 6 | (*p++ & 0x3F);
    }
    return c;
}

// The machine's character code of a code point, NO_CHAR when it has none.
uint32_t machine_char(uint32_t cp) {
    if (cp >= ASCII_FIRST && cp <= ASCII_LAST) return cp;
    if (cp == YEN_SIGN) return CHAR_YEN;
    if (cp >= HALF_KANA_FIRST && cp <= HALF_KANA_LAST) return cp - HALF_KANA_FIRST + CHAR_KANA_FIRST;
    return NO_CHAR;
}

void add(EventMessages& out, uint32_t window, uint32_t message, uint32_t wparam, uint32_t lparam) {
    if (out.count < SDL_EVENT_MAX_MESSAGES) out.list[out.count++] = {window, message, wparam, lparam};
}

// The character a key makes that SDL does not give as text.
uint32_t control_char(const SDL_KeyboardEvent& k) {
    switch (k.keysym.sym) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return CHAR_CR;
    case SDLK_BACKSPACE: return CHAR_BS;
    case SDLK_TAB: return CHAR_TAB;
    case SDLK_ESCAPE: return CHAR_ESC;
    default: break;
    }
    if ((k.keysym.mod & KMOD_CTRL) && k.keysym.sym >= SDLK_a && k.keysym.sym <= SDLK_z)
        return uint32_t(k.keysym.sym - SDLK_a + 1);
    return 0;
}

uint32_t buttons_held(uint32_t state) {
    return (state & SDL_BUTTON_LMASK ? MK_LBUTTON : 0) | (state & SDL_BUTTON_RMASK ? MK_RBUTTON : 0);
}

void key_event(const SDL_KeyboardEvent& k, EventMessages& out) {
    HostKey key = sdl_scancode_to_vk(k.keysym.scancode, host_keyboard_japanese());
    bool alt = (k.keysym.mod & KMOD_ALT) != 0;
    if (key.vk == VK_NONE || key.vk == VK_MENU || key.vk == VK_F10 || alt) return;
    bool down = k.type == SDL_KEYDOWN;
    uint32_t lparam =
        KEY_LPARAM_REPEAT_ONE | uint32_t(key.set1) << KEY_LPARAM_SCAN_SHIFT | (key.extended ? KEY_LPARAM_EXTENDED : 0);
    if (!down) lparam |= KEY_LPARAM_WAS_DOWN | KEY_LPARAM_RELEASED;
    else if (k.repeat) lparam |= KEY_LPARAM_WAS_DOWN;
    add(out, k.windowID, down ? WM_KEYDOWN : WM_KEYUP, key.vk, lparam);
    if (down) {
        uint32_t c = control_char(k);
        // With the input method detached the key types its own character.
        if (!c && sdl_input_method_detached()) c = machine_char(sdl_key_character(k, host_keyboard_japanese()));
        if (c) add(out, k.windowID, WM_CHAR, c, lparam);
    }
}

}  // namespace

EventMessages sdl_event_messages(const SDL_Event& e, int picture_top, VirtualPointer* relative) {
    EventMessages out;
    switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: key_event(e.key, out); break;
    case SDL_TEXTINPUT:
        // Detached, the keys type (text still queued from before is dropped).
        if ((SDL_GetModState() & KMOD_ALT) || sdl_input_method_detached()) break;
        for (const unsigned char* p = reinterpret_cast<const unsigned char*>(e.text.text); *p;) {
            uint32_t c = machine_char(next_code_point(p));
            if (c != NO_CHAR) add(out, e.text.windowID, WM_CHAR, c, KEY_LPARAM_REPEAT_ONE);
        }
        break;
    case SDL_MOUSEMOTION:
        if (relative) {
            relative->x = std::clamp(relative->x + e.motion.xrel, 0, std::max(relative->width - 1, 0));
            relative->y = std::clamp(relative->y + e.motion.yrel, 0, std::max(relative->height - 1, 0));
        }
        add(out, e.motion.windowID, WM_MOUSEMOVE, buttons_held(e.motion.state),
            relative ? mouse_lparam(relative->x, relative->y) : mouse_lparam(e.motion.x, e.motion.y - picture_top));
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const SDL_MouseButtonEvent& b = e.button;
        bool down = e.type == SDL_MOUSEBUTTONDOWN;
        uint32_t msg;
        if (b.button == SDL_BUTTON_LEFT) msg = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        else if (b.button == SDL_BUTTON_RIGHT) msg = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        else break;  // the machine's mouse has two buttons
        add(out, b.windowID, msg, buttons_held(SDL_GetMouseState(nullptr, nullptr)),
            relative ? mouse_lparam(relative->x, relative->y) : mouse_lparam(b.x, b.y - picture_top));
        out.mouse_button = true;
        break;
    }
    default: break;
    }
    return out;
}

WindowMessage alt_as_f10(uint32_t window, bool down) {
    return {window, uint32_t(down ? WM_KEYDOWN : WM_KEYUP), VK_F10, 0};
}
