// The IOCS keyboard work area in main RAM (KEY 0): key matrix, shift byte
// and the 64-entry key buffer.
#include "input/keyboard.h"

#include "input/work_area.h"

namespace {

// Matrix bytes behind the shift byte: SHIFT, CTRL, OPT.1, OPT.2 in $80E
// bits 0-3; かな, ローマ字, コード入力, CAPS in $80B bits 2-5.
constexpr uint32_t MATRIX_MODIFIERS = 0xE, MATRIX_MODES = 0xB;

// The buffer slot a pointer word names, as an even offset 0-$7E.
uint32_t slot_of(uint16_t pointer) { return (uint32_t(pointer) - KEY_WORK_READ) & KEY_WORK_SLOT_MASK; }

}  // namespace


void key_set_matrix(uint16_t entry, bool pressed) {
    uint32_t scan = (entry >> 8) & KEY_SCAN_MASK;
    uint32_t addr = KEY_WORK_MATRIX + ((scan >> 3) & 0xF);
    if (!work_area_has(KEY_WORK_MATRIX, KEY_WORK_SHIFT + 1 - KEY_WORK_MATRIX)) return;
    uint8_t bit = uint8_t(1u << (scan & 7));
    if (pressed) g_machine.main_ram[addr] |= bit;
    else g_machine.main_ram[addr] &= uint8_t(~bit);
    uint8_t modifiers = work_area_byte(KEY_WORK_MATRIX + MATRIX_MODIFIERS) & 0x0F;
    uint8_t modes = uint8_t((work_area_byte(KEY_WORK_MATRIX + MATRIX_MODES) << 2) & 0xF0);
    g_machine.main_ram[KEY_WORK_SHIFT] = uint8_t(modifiers | modes);
    key_led_changed(scan);
}

bool key_iocs_has_room() {
    return work_area_has(KEY_WORK_MATRIX, KEY_WORK_BUFFER + 2 * KEY_WORK_ENTRIES - KEY_WORK_MATRIX) &&
           work_area_word(KEY_WORK_COUNT) < KEY_WORK_ENTRIES;
}

bool key_push_iocs(uint16_t entry) {
    if (!key_iocs_has_room()) return false;
    uint16_t count = work_area_word(KEY_WORK_COUNT);
    uint32_t p = slot_of(work_area_word(KEY_WORK_WRITE));
    work_area_set_word(KEY_WORK_BUFFER + p, entry);
    work_area_set_word(KEY_WORK_WRITE, uint16_t(KEY_WORK_BUFFER + p));
    work_area_set_word(KEY_WORK_COUNT, uint16_t(count + 1));
    return true;
}

uint16_t key_pop_iocs(bool remove) {
    uint16_t count = work_area_word(KEY_WORK_COUNT);
    if (count == 0) return 0;
    uint32_t p = slot_of(work_area_word(KEY_WORK_READ));
    uint16_t entry = work_area_word(KEY_WORK_BUFFER + p);
    if (remove) {
        work_area_set_word(KEY_WORK_READ, uint16_t(KEY_WORK_BUFFER + p));
        work_area_set_word(KEY_WORK_COUNT, uint16_t(count - 1));
    }
    return entry;
}
