// Keyboard IOCS calls served on the host while KEY is 0.
#include "input/keyboard_iocs.h"

#include <cstring>

#include "core/boundary.h"
#include "core/cpu_regs.h"
#include "input/keyboard.h"
#include "input/work_area.h"

namespace {

constexpr uint32_t KEYSNS_WAITING = 0x10000;  // _B_KEYSNS: an entry waits
// _B_SFTSNS bits 8-10: INS ($80B bit 6), ひらがな ($80B bit 7), 全角 ($80C bit 0).
constexpr uint32_t MATRIX_INS_HIRA = 0xB, MATRIX_ZENKAKU = 0xC;

uint32_t& d0() { return g_cpu_regs.r[0]; }

}  // namespace

// An empty buffer: the call waits as the ROM's does, the TRAP running again
// so that frames, interrupts and host events go on until an entry comes.
void key_iocs_b_keyinp() {
    uint16_t e = key_pop_iocs(true);
    if (e == 0) {
        g_iocs_call_again = 1;
        return;
    }
    d0() = e;
}

void key_iocs_b_keysns() {
    uint16_t e = key_pop_iocs(false);
    d0() = e ? (e | KEYSNS_WAITING) : 0;
}

void key_iocs_b_sftsns() {
    uint32_t shift = work_area_byte(KEY_WORK_SHIFT);
    uint32_t ins_hira = (work_area_byte(KEY_WORK_MATRIX + MATRIX_INS_HIRA) >> 6) & 3;
    uint32_t zenkaku = work_area_byte(KEY_WORK_MATRIX + MATRIX_ZENKAKU) & 1;
    d0() = (d0() & 0xFFFF0000) | shift | ins_hira << 8 | zenkaku << 10;
}

void key_iocs_key_init() {
    key_init();
    if (work_area_has(KEY_WORK_MATRIX, 16)) std::memset(g_machine.main_ram + KEY_WORK_MATRIX, 0, 16);
}

void key_iocs_bitsns() { d0() = (d0() & 0xFFFFFF00) | work_area_byte(KEY_WORK_MATRIX + (g_cpu_regs.r[1] & 0xF)); }
