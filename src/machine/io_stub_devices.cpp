// Devices whose subsystems come later, with the least behaviour that keeps
// the memory map and the I/O page whole: stored bytes, fixed answers or bus
// errors. Each device's handlers leave this file when the device is written.
#include <string>

#include "core/bus.h"
#include "host/message_box.h"
#include "machine/io_page.h"
#include "machine/machine.h"
#include "machine/memory_map.h"
#include "machine/sram.h"
#include "sound/fm_card.h"
#include "video/sprite.h"

// MIDI board (sound): switched off, so its addresses are bus errors.
uint32_t midi_read_byte(uint32_t addr) { mem_bus_error_read(addr); return 0; }
uint32_t midi_read_word(uint32_t addr) { mem_bus_error_read(addr); return 0; }
uint32_t midi_read_long(uint32_t addr) { mem_bus_error_read(addr); return 0; }
void midi_write_byte(uint32_t addr, uint32_t) { mem_bus_error_write(addr); }
void midi_write_word(uint32_t addr, uint32_t) { mem_bus_error_write(addr); }
void midi_write_long(uint32_t addr, uint32_t) { mem_bus_error_write(addr); }

// Slot 2, DMA controller (disks): a stored register image of four channels.
static uint8_t s_dma_regs[0x100];
uint32_t dma_read_byte(uint32_t addr) { return s_dma_regs[addr & 0xFF]; }
void dma_write_byte(uint32_t addr, uint32_t value) { s_dma_regs[addr & 0xFF] = uint8_t(value); }
uint32_t dma_read_word(uint32_t addr) { return io_word_of_bytes<dma_read_byte>(addr); }
uint32_t dma_read_long(uint32_t addr) { return io_long_of_bytes<dma_read_byte>(addr); }
void dma_write_word(uint32_t addr, uint32_t value) { io_word_to_bytes<dma_write_byte>(addr, value); }
void dma_write_long(uint32_t addr, uint32_t value) { io_long_to_bytes<dma_write_byte>(addr, value); }

// Slot 6, printer port (input): reads 0, writes vanish.
uint32_t prt_read_byte(uint32_t) { return 0; }
uint32_t prt_read_word(uint32_t) { return 0; }
uint32_t prt_read_long(uint32_t) { return 0; }
void prt_write_byte(uint32_t, uint32_t) {}
void prt_write_word(uint32_t, uint32_t) {}
void prt_write_long(uint32_t, uint32_t) {}

// Slot 8, YM2151 (sound): every read is the status byte; $E90001 latches a
// register number, $E90003 stores into it.
static uint8_t s_opm_latch;
uint32_t opm_read_byte(uint32_t) { return g_fmcard.opm_regs[0]; }
uint32_t opm_read_word(uint32_t addr) { return opm_read_byte(addr); }
uint32_t opm_read_long(uint32_t addr) { return (opm_read_word(addr) << 16) | opm_read_word(addr + 2); }
void opm_write_byte(uint32_t addr, uint32_t value) {
    if ((addr & 0xFFFFFF) == 0xE90001) s_opm_latch = uint8_t(value);
    else if ((addr & 0xFFFFFF) == 0xE90003) g_fmcard.opm_regs[s_opm_latch] = uint8_t(value);
}
void opm_write_word(uint32_t addr, uint32_t value) { io_word_to_bytes<opm_write_byte>(addr, value); }
void opm_write_long(uint32_t addr, uint32_t value) { io_long_to_bytes<opm_write_byte>(addr, value); }

// Slot 9, ADPCM (sound): stored bytes.
static uint8_t s_adpcm_regs[4];
uint32_t adpcm_read_byte(uint32_t addr) { return s_adpcm_regs[addr & 3]; }
void adpcm_write_byte(uint32_t addr, uint32_t value) { s_adpcm_regs[addr & 3] = uint8_t(value); }
uint32_t adpcm_read_word(uint32_t addr) { return io_word_of_bytes<adpcm_read_byte>(addr); }
uint32_t adpcm_read_long(uint32_t addr) { return io_long_of_bytes<adpcm_read_byte>(addr); }
void adpcm_write_word(uint32_t addr, uint32_t value) { io_word_to_bytes<adpcm_write_byte>(addr, value); }
void adpcm_write_long(uint32_t addr, uint32_t value) { io_long_to_bytes<adpcm_write_byte>(addr, value); }

// Slot 10, floppy controller stub (disks): eight stored bytes; the main
// status register changes on every read so that polling code goes on.
static uint8_t s_fdc_regs[8];
static uint32_t s_fdc_last_access, s_fdc_access_count;
void fdc_reset_counters() { s_fdc_last_access = s_fdc_access_count = 0; }
uint32_t fdc_read_byte(uint32_t addr) {
    addr &= 0xFFFFFF;
    if (addr >= 0xE94008) return 0;
    s_fdc_last_access = addr;
    s_fdc_access_count++;
    uint8_t& reg = s_fdc_regs[addr & 7];
    if ((addr & 7) == 1) {
        uint8_t v = uint8_t((reg | 0x80) ^ 0x10);
        if (!(v & 0x10)) v ^= 0x40;
        reg = v;
    }
    return reg;
}
void fdc_write_byte(uint32_t addr, uint32_t value) {
    addr &= 0xFFFFFF;
    if (addr < 0xE94000 || addr >= 0xE94008) return;
    s_fdc_regs[addr - 0xE94000] = uint8_t(value);
    s_fdc_last_access = addr;
    s_fdc_access_count++;
}
uint32_t fdc_read_word(uint32_t addr) { return io_word_of_bytes<fdc_read_byte>(addr); }
uint32_t fdc_read_long(uint32_t addr) { return io_long_of_bytes<fdc_read_byte>(addr); }
void fdc_write_word(uint32_t addr, uint32_t value) { io_word_to_bytes<fdc_write_byte>(addr, value); }
void fdc_write_long(uint32_t addr, uint32_t value) { io_long_to_bytes<fdc_write_byte>(addr, value); }

// Slot 11, SASI stub (disks): reads 0, writes vanish.
uint32_t sasi_read_byte(uint32_t) { return 0; }
uint32_t sasi_read_word(uint32_t) { return 0; }
uint32_t sasi_read_long(uint32_t) { return 0; }
void sasi_write_byte(uint32_t, uint32_t) {}
void sasi_write_word(uint32_t, uint32_t) {}
void sasi_write_long(uint32_t, uint32_t) {}

// Slot 12, SCC (input): stored bytes; a word write is a byte write of its
// low byte to address + 1.
static uint8_t s_scc_regs[8];
uint32_t scc_read_byte(uint32_t addr) { return s_scc_regs[addr & 7]; }
void scc_write_byte(uint32_t addr, uint32_t value) { s_scc_regs[addr & 7] = uint8_t(value); }
uint32_t scc_read_word(uint32_t addr) { return io_word_of_bytes<scc_read_byte>(addr); }
uint32_t scc_read_long(uint32_t addr) { return io_long_of_bytes<scc_read_byte>(addr); }
void scc_write_word(uint32_t addr, uint32_t value) { scc_write_byte(addr + 1, value); }
void scc_write_long(uint32_t addr, uint32_t value) {
    scc_write_word(addr, value >> 16);
    scc_write_word(addr + 2, value);
}

// Slot 13, i8255 (input): the ports read 0xFF (nothing pressed); a word
// access uses the byte at address + 1.
static uint8_t s_ppi_regs[16] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
uint32_t ppi_read_byte(uint32_t addr) { return s_ppi_regs[addr & 0xF]; }
void ppi_write_byte(uint32_t addr, uint32_t value) {
    if ((addr & 0xFFFFFF) < 0xE9A008) s_ppi_regs[addr & 7] = uint8_t(value);
}
uint32_t ppi_read_word(uint32_t addr) { return ppi_read_byte(addr + 1); }
uint32_t ppi_read_long(uint32_t addr) { return (ppi_read_word(addr) << 16) | ppi_read_word(addr + 2); }
void ppi_write_word(uint32_t addr, uint32_t value) { ppi_write_byte(addr + 1, value); }
void ppi_write_long(uint32_t addr, uint32_t value) {
    ppi_write_word(addr, value >> 16);
    ppi_write_word(addr + 2, value);
}

// Slot 15, host-file-system drive (disks): not fitted yet, so its port is a
// bus error and the emulated driver finds no drive.
uint32_t windrv_io_read_byte(uint32_t addr) { mem_bus_error_read(addr); return 0; }
void windrv_io_write_byte(uint32_t addr, uint32_t) { mem_bus_error_write(addr); }

// Configuration (application) and virus warning (disks) of the SRAM boot check.
int g_cfg_warnvirus;
int g_virus_warn_off;

int32_t disk_confirm_write(int32_t kind) {
    if (!g_cfg_warnvirus || g_virus_warn_off) return 0;
    const char* what = kind <= 3   ? "フロッピーディスクのIPL領域の書き換えを検出しました"
                       : kind == 4 ? "ハードディスクのIPL領域の書き換えを検出しました"
                                   : "SRAM内の起動設定の書き換えを検出しました";
    std::string text = std::string(what) +
                       "\nユーザーの意図する動作でない場合には\nウイルスの疑いがあります。\n"
                       "この書き込みを許可しますか？";
    return host_message_box(text.c_str(), "X68000用Virusの警告", MB_QUESTION) == MB_ANSWER_YES ? 0 : 1;
}
