// Typing the command line's paste text into the machine, one character
// per IOCS call once the delay has passed.
#include "input/keyboard.h"
#include "input/keymap.h"
#include "machine/settings.h"

std::string g_paste_text;

namespace {

constexpr char PASTE_RETURN = ';';
constexpr uint8_t CHAR_CR = 0x0D;

// Room for the character: a make and a break byte in the ring, or an entry
// in the IOCS buffer.
bool room_for_char() {
    if (g_settings.key) return g_keyboard.ring_count + 2 < KEY_RING_SIZE;
    return key_iocs_has_room();
}

}  // namespace

void key_type_next_char() {
    if (g_paste_text.empty() || g_paste_text[0] == 0) return;
    if (!room_for_char()) return;
    uint8_t ch = static_cast<uint8_t>(g_paste_text[0]);
    if (ch == PASTE_RETURN) ch = CHAR_CR;
    uint8_t scan = g_keymap.asc[ch];
    if (g_settings.key) {
        scan &= KEY_SCAN_MASK;
        // An unmapped character sends nothing.
        if (scan) {
            key_send_to_mfp(scan);
            key_send_to_mfp(uint8_t(scan | KEY_BREAK));
        }
    } else {
        key_push_iocs(uint16_t(scan << 8 | ch));
    }
    g_paste_text.erase(0, 1);
}

void key_type_pump() {
    if (g_keyboard.paste_delay > 0) {
        g_keyboard.paste_delay--;
        return;
    }
    key_type_next_char();
}
