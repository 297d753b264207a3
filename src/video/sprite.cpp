// Sprite, BG and PCG area: the page handlers of $EA0000-$EBFFFF, the
// per-raster logs of the BG registers and the snapshots of the sprite table.
#include "video/sprite.h"

#include <cstring>

#include "machine/device.h"
#include "machine/machine.h"
#include "machine/memory_map.h"
#include "sound/midi.h"
#include "video/crtc.h"
#include "video/video_state.h"

uint8_t* g_sprite_area;
SpriteUnit g_sprite_unit;
const int32_t g_spr_raster_factor_table[8] = {2, 4, 4, 4, 1, 2, 4, 4};

namespace {

constexpr uint32_t REG_AREA = 0x800;  // below: sprite table and the rest of $EB0000-$EB07FF
constexpr uint32_t BG_SCROLL_END = 0x808, BG_CTRL_END = 0x80A;

uint32_t image_offset(uint32_t addr) { return (addr - SPRITE_AREA_BASE) & (SPRITE_AREA_SIZE - 1); }

void before_store(uint32_t offset) {
    if (offset < REG_AREA && g_sprite_unit.armed) spr_take_snapshot();
}

// The BG scroll and control registers are logged per raster line with the
// whole word as it stands after the store.
void after_store(uint32_t offset) {
    if (offset < REG_AREA || offset >= BG_CTRL_END) return;
    uint32_t line = g_machine.frame.raster_line & 0x1FF;
    uint16_t entry = uint16_t(spr_area_word(offset) | VID_LOG_FLAG);
    if (offset < BG_SCROLL_END) {
        g_video.g_line_log_bgscroll[(offset & 6) >> 1][line] = entry;
        g_video.g_bgscroll_log_mask = 0x1FF;
    } else {
        g_video.g_line_log_bgctrl[line] = entry;
    }
}

}  // namespace

void spr_power_on() {
    device_clear(g_sprite_unit);
    spr_init_area();
}
std::span<const uint8_t> spr_state() { return device_state_bytes(g_sprite_unit); }

void spr_init_area() {
    if (g_sprite_area) std::memset(g_sprite_area, 0xFF, SPRITE_AREA_SIZE);
}

int32_t spr_scale_raster(int32_t value) { return value * g_spr_raster_factor_table[crtc_scan_mode()] / 2; }

void spr_take_snapshot() {
    SpriteUnit& u = g_sprite_unit;
    if (u.snapshot_count >= SPR_SNAPSHOTS || !g_sprite_area) return;
    u.armed = 0;
    uint32_t k = u.snapshot_count;
    u.snapshot_bands[k].first = uint16_t(spr_scale_raster(int32_t(u.prev_raster)));
    u.snapshot_bands[k].last = uint16_t(spr_scale_raster(int32_t(u.cur_raster)));
    u.prev_raster = u.cur_raster;
    std::memcpy(u.snapshots[k], g_sprite_area + SPR_TABLE, SPR_TABLE_BYTES);
    u.snapshot_count = k + 1;
}

namespace {

uint32_t spr_read_byte(uint32_t addr) {
    if (addr < SPRITE_AREA_BASE) return MIDI_BUS.read_byte(addr);
    return g_sprite_area[image_offset(addr)];
}
uint32_t spr_read_word(uint32_t addr) {
    if (addr < SPRITE_AREA_BASE) return MIDI_BUS.read_word(addr);
    return spr_area_word(image_offset(addr));
}
uint32_t spr_read_long(uint32_t addr) {
    if (addr < SPRITE_AREA_BASE) return MIDI_BUS.read_long(addr);
    // At $EBFFFE the second word belongs to the page above.
    if (mem_last_word_of_page(addr)) return mem_read_long_split(addr);
    return (spr_read_word(addr) << 16) | spr_read_word(addr + 2);
}

void spr_write_byte(uint32_t addr, uint32_t value) {
    if (addr < SPRITE_AREA_BASE) return MIDI_BUS.write_byte(addr, value);
    uint32_t offset = image_offset(addr);
    before_store(offset);
    g_sprite_area[offset] = uint8_t(value);
    after_store(offset);
}
void spr_write_word(uint32_t addr, uint32_t value) {
    if (addr < SPRITE_AREA_BASE) return MIDI_BUS.write_word(addr, value);
    uint32_t offset = image_offset(addr) & ~1u;
    before_store(offset);
    g_sprite_area[offset] = uint8_t(value >> 8);
    g_sprite_area[offset + 1] = uint8_t(value);
    after_store(offset);
}
void spr_write_long(uint32_t addr, uint32_t value) {
    if (addr < SPRITE_AREA_BASE) return MIDI_BUS.write_long(addr, value);
    if (mem_last_word_of_page(addr)) return mem_write_long_split(addr, value);
    spr_write_word(addr, value >> 16);
    spr_write_word(addr + 2, value & 0xFFFF);
}

}  // namespace

const BusDevice SPRITE_BUS = {spr_read_byte,  spr_read_word,  spr_read_long, spr_write_byte,
                              spr_write_word, spr_write_long, nullptr};
