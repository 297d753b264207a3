#include "host/sdl_key_text.h"

#include <string_view>

namespace {

bool g_detached = false;

constexpr uint32_t NO_CHAR = 0;

// Pairs of a key's character and its character with Shift.
constexpr std::string_view US_SHIFTED = "`~1!2@3#4$5%6^7&8*9(0)-_=+[{]}\\|;:'\",<.>/?";
constexpr std::string_view JP_SHIFTED = "1!2\"3#4$5%6&7'8(9)-=^~@`[{]};+:*,<.>/?";

uint32_t shifted(uint32_t c, std::string_view pairs) {
    for (size_t i = 0; i + 1 < pairs.size(); i += 2)
        if (uint32_t(static_cast<unsigned char>(pairs[i])) == c) return static_cast<unsigned char>(pairs[i + 1]);
    return NO_CHAR;
}

// The keypad's keys type with Num Lock (but for its operators and Enter,
// which need none; Enter is no text).
uint32_t keypad_character(SDL_Scancode sc, bool num_lock) {
    switch (sc) {
    case SDL_SCANCODE_KP_DIVIDE: return '/';
    case SDL_SCANCODE_KP_MULTIPLY: return '*';
    case SDL_SCANCODE_KP_MINUS: return '-';
    case SDL_SCANCODE_KP_PLUS: return '+';
    case SDL_SCANCODE_KP_EQUALS: return '=';
    case SDL_SCANCODE_KP_COMMA: return ',';
    default: break;
    }
    if (!num_lock) return NO_CHAR;
    if (sc == SDL_SCANCODE_KP_0) return '0';
    if (sc >= SDL_SCANCODE_KP_1 && sc <= SDL_SCANCODE_KP_9) return uint32_t('1' + (sc - SDL_SCANCODE_KP_1));
    if (sc == SDL_SCANCODE_KP_PERIOD) return '.';
    return NO_CHAR;
}

}  // namespace

void sdl_detach_input_method(bool detached) {
    g_detached = detached;
    if (detached) SDL_StopTextInput();
    else SDL_StartTextInput();
}

bool sdl_input_method_detached() { return g_detached; }

uint32_t sdl_key_character(const SDL_KeyboardEvent& k, bool japanese) {
    const uint16_t mod = k.keysym.mod;
    if (k.type != SDL_KEYDOWN || (mod & (KMOD_CTRL | KMOD_ALT | KMOD_GUI | KMOD_MODE))) return NO_CHAR;
    const SDL_Scancode sc = k.keysym.scancode;
    if (sc >= SDL_SCANCODE_KP_DIVIDE && sc <= SDL_SCANCODE_KP_PERIOD) return keypad_character(sc, mod & KMOD_NUM);
    if (sc == SDL_SCANCODE_KP_EQUALS || sc == SDL_SCANCODE_KP_COMMA) return keypad_character(sc, mod & KMOD_NUM);
    const bool shift = (mod & KMOD_SHIFT) != 0;
    // The JP-106 keys "ろ" and "￥" both type \ (the machine's ¥), with Shift _ and |.
    if (japanese && sc == SDL_SCANCODE_INTERNATIONAL1) return shift ? '_' : '\\';
    if (japanese && sc == SDL_SCANCODE_INTERNATIONAL3) return shift ? '|' : '\\';
    const SDL_Keycode sym = k.keysym.sym;
    if (sym >= SDLK_a && sym <= SDLK_z) {
        const bool upper = shift != ((mod & KMOD_CAPS) != 0);
        return uint32_t(upper ? sym - SDLK_a + 'A' : sym);
    }
    if (sym == SDLK_SPACE) return ' ';
    if (sym <= ' ' || sym > '~') return NO_CHAR;
    return shift ? shifted(uint32_t(sym), japanese ? JP_SHIFTED : US_SHIFTED) : uint32_t(sym);
}
