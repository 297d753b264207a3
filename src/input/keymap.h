// The key and pad map "AT2X.KEY": host key and character codes to X68000
// scan codes, and host joystick inputs to the joystick port bits.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>

inline constexpr int KEYMAP_SIZE = 256;
inline constexpr int KEYMAP_UPPER = 0x80;           // the "/tsca." and "/tasc." halves
inline constexpr int KEYMAP_LINE_MAX = 255;         // characters of a line that are parsed
inline constexpr uint32_t KEYMAP_EXT_BIT = 0x8000;  // "/sca." value: no buffer entry at key-down
inline constexpr uint8_t KEYMAP_KEY_MASK = 0x7F;    // "/key." scan codes
inline constexpr int KEYMAP_PAD_STAR = 32;          // keymap_pad_char_index of '*'
inline constexpr int KEYMAP_PAD_BITS = 16;          // output bits of a pad line, 15 down to 0
inline constexpr int KEYMAP_PAD_COLUMN = 3;         // where a pad line's groups start
inline constexpr char KEYMAP_FILE_NAME[] = "AT2X.KEY";

struct KeymapState {
    uint8_t sca[KEYMAP_SIZE];  // virtual key -> scan code, IOCS path
    uint8_t ext[KEYMAP_SIZE];  // virtual key: nonzero, key-down makes no buffer entry
    uint8_t asc[KEYMAP_SIZE];  // character -> scan code of the key typing it
    uint8_t key[KEYMAP_SIZE];  // virtual key -> scan code, key bytes through the MFP
    uint8_t old_pad_format;    // a pad line used the older format's characters
};
extern KeymapState g_keymap;

// Power-on: the built-in tables. The pad tables are the joystick's.
void keymap_power_on();
std::span<const uint8_t> keymap_state();

// Reads "AT2X.KEY" from the start folder, else the program's folder; at
// every machine reset. Without the file the tables stay as they are.
void keymap_load();
// Reads an open map file into the tables: the key tables cleared first,
// the pad tables kept but for those the file defines. A pad line in the
// older format sets g_keymap.old_pad_format, for keymap_load's notice. Memory
// stays bounded whatever the file holds.
void keymap_read(std::FILE* f);

// The host input source a pad line's character names: 0-3 the directions
// '1' '2' '4' '8', 4-15 buttons 'A'-'L', 20-31 autofire 'a'-'l';
// KEYMAP_PAD_STAR for '*', -1 for anything else.
int keymap_pad_char_index(char c);
