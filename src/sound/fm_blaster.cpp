// The BLASTER environment variable: where the OPL card's ports are.
#include <cctype>
#include <cstdlib>
#include <string>

#include "machine/log_lines.h"
#include "sound/fm_card.h"

namespace {

constexpr uint32_t BLASTER_NUMBER_LIMIT = 0xFFFF;  // larger values saturate past it
constexpr int32_t PC98_PORT_FIRST = 0xD0, PC98_PORT_LAST = 0xDF;
constexpr int32_t PC98_PORT_ADD = 0x2000;
// The emulated card is always fitted: unset, BLASTER reads as its usual
// value, an OPL3 at $220.
constexpr const char* BLASTER_UNSET_TEXT = "A220 T6";

char upper(char c) { return char(std::toupper(static_cast<unsigned char>(c))); }

// A number from cursor up to a space or the end, hexadecimal or decimal.
// False when a character is not a digit (the parse ends there); the value
// keeps the digits read. Above $FFFF the value stays at $10000.
bool parse_number(const char*& cursor, uint32_t& out, uint32_t base) {
    out = 0;
    while (*cursor && *cursor != ' ') {
        char c = upper(*cursor++);
        uint32_t digit;
        if (c >= '0' && c <= '9') digit = uint32_t(c - '0');
        else if (base == 16 && c >= 'A' && c <= 'F') digit = uint32_t(c - 'A' + 10);
        else return false;
        out = out * base + digit;
        if (out > BLASTER_NUMBER_LIMIT) out = BLASTER_NUMBER_LIMIT + 1;
    }
    return true;
}

int32_t clamp_field(uint32_t v) { return int32_t(v > BLASTER_NUMBER_LIMIT ? BLASTER_NUMBER_LIMIT : v); }

}  // namespace

void fmcard_parse_blaster_text(FmCard& card, const char* text) {
    const char* cursor = text;
    while (*cursor) {
        char letter = upper(*cursor++);
        uint32_t v = 0;
        bool ok = true;
        switch (letter) {
        case 'A':
            ok = parse_number(cursor, v, 16);
            if (v > BLASTER_NUMBER_LIMIT) break;  // no port that large: no A field
            card.card_found = 1;
            card.port = int32_t(v);
            if (card.port >= PC98_PORT_FIRST && card.port <= PC98_PORT_LAST) {
                card.port += PC98_PORT_ADD;
                card.pc98_layout = 1;
            }
            break;
        // clang-format off
        case 'D': ok = parse_number(cursor, v, 10); card.blaster_d = clamp_field(v); break;
        case 'H': ok = parse_number(cursor, v, 10); card.blaster_h = clamp_field(v); break;
        case 'I': ok = parse_number(cursor, v, 10); card.blaster_i = clamp_field(v); break;
        case 'P': ok = parse_number(cursor, v, 16); card.blaster_p = clamp_field(v); break;
        case 'T': ok = parse_number(cursor, v, 10); card.channels = clamp_field(v); break;
        // clang-format on
        default: break;
        }
        if (!ok) return;
    }
}

void fmcard_parse_blaster(FmCard& card) {
    card.pc98_layout = card.card_found = card.channels = 0;
    const char* text = std::getenv("BLASTER");
    if (!text) {
        log_add_line("BLASTER変数は設定されていない");
        text = BLASTER_UNSET_TEXT;
    }
    log_add_line(std::string("BLASTER : ") + text);
    fmcard_parse_blaster_text(card, text);
}
