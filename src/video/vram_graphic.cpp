// Graphic VRAM page handlers ($C00000-$DFFFFF) for the three store layouts,
// their dirty lines, and the conversion of the store between colour modes.
#include <cstring>
#include <memory>

#include "core/bus.h"
#include "machine/memory_map.h"
#include "video/video_state.h"
#include "video/vram.h"

uint8_t* g_gvram;

void gvram_power_on() {
    if (g_gvram) std::memset(g_gvram, 0, GVRAM_SIZE);
}
std::span<const uint8_t> gvram_state() {
    if (!g_gvram) return {};
    return {g_gvram, GVRAM_SIZE};
}

namespace {

// Byte-per-pixel layouts: pixel index of a word address.
inline uint32_t pixel_of(uint32_t addr) { return (addr & 0x1FFFFF) >> 1; }
inline void mark_512(uint32_t pixel) { g_video.g_gvram_dirty_lines[(pixel >> 9) & 0x7FF] = 1; }
inline void mark_1024(uint32_t pixel) { g_video.g_gvram_dirty_lines[(pixel >> 10) & 0x3FF] = 1; }
// 65536 colours: byte offset in the store.
inline uint32_t offset_64k(uint32_t addr) { return addr & (GVRAM_SIZE - 1); }
inline void mark_64k(uint32_t offset) { g_video.g_gvram_dirty_lines[(offset >> 10) & 0x1FF] = 1; }

// Byte-per-pixel readers. A long at the last word of a page is two words, the
// second through the page above (which may not be graphic VRAM in this mode).
uint32_t gvram_read_byte(uint32_t addr) { return (addr & 1) ? g_gvram[pixel_of(addr)] : 0; }
uint32_t gvram_read_word(uint32_t addr) { return g_gvram[pixel_of(addr)]; }
uint32_t gvram_read_long(uint32_t addr) {
    if (mem_last_word_of_page(addr)) [[unlikely]]
        return mem_read_long_split(addr);
    uint32_t p = pixel_of(addr);
    return (uint32_t(g_gvram[p]) << 16) | g_gvram[p + 1];
}

// Byte-per-pixel writes; Mark marks the pixel's line (512 or 1024 pixels).
template <void (*Mark)(uint32_t)> void write_pixel_byte(uint32_t addr, uint32_t value) {
    if (!(addr & 1)) return;
    uint32_t p = pixel_of(addr);
    g_gvram[p] = uint8_t(value);
    Mark(p);
}
template <void (*Mark)(uint32_t)> void write_pixel_word(uint32_t addr, uint32_t value) {
    uint32_t p = pixel_of(addr);
    g_gvram[p] = uint8_t(value);
    Mark(p);
}
template <void (*Mark)(uint32_t)> void write_pixel_long(uint32_t addr, uint32_t value) {
    if (mem_last_word_of_page(addr)) [[unlikely]]
        return mem_write_long_split(addr, value);
    uint32_t p = pixel_of(addr);
    g_gvram[p] = uint8_t(value >> 16);
    g_gvram[p + 1] = uint8_t(value);
    Mark(p);
    Mark(p + 1);
}

// 16 and 256 colours: 512-pixel lines.
void gvram_write_byte(uint32_t addr, uint32_t value) { write_pixel_byte<mark_512>(addr, value); }
void gvram_write_word(uint32_t addr, uint32_t value) { write_pixel_word<mark_512>(addr, value); }
void gvram_write_long(uint32_t addr, uint32_t value) { write_pixel_long<mark_512>(addr, value); }

// 1024 x 1024: 1024-pixel lines.
void gvram_write_byte_1024(uint32_t addr, uint32_t value) { write_pixel_byte<mark_1024>(addr, value); }
void gvram_write_word_1024(uint32_t addr, uint32_t value) { write_pixel_word<mark_1024>(addr, value); }
void gvram_write_long_1024(uint32_t addr, uint32_t value) { write_pixel_long<mark_1024>(addr, value); }

// 65536 colours.
uint32_t gvram_read_byte_64k(uint32_t addr) { return g_gvram[offset_64k(addr)]; }
uint32_t gvram_read_word_64k(uint32_t addr) { return be_read16(g_gvram + offset_64k(addr)); }
uint32_t gvram_read_long_64k(uint32_t addr) {
    if (mem_last_word_of_page(addr)) [[unlikely]]
        return mem_read_long_split(addr);
    return be_read32(g_gvram + offset_64k(addr));
}
void gvram_write_byte_64k(uint32_t addr, uint32_t value) {
    uint32_t offset = offset_64k(addr);
    g_gvram[offset] = uint8_t(value);
    mark_64k(offset);
}
void gvram_write_word_64k(uint32_t addr, uint32_t value) {
    uint32_t offset = offset_64k(addr);
    be_write16(g_gvram + offset, value);
    mark_64k(offset);
}
void gvram_write_long_64k(uint32_t addr, uint32_t value) {
    if (mem_last_word_of_page(addr)) [[unlikely]]
        return mem_write_long_split(addr, value);
    uint32_t offset = offset_64k(addr);
    be_write32(g_gvram + offset, value);
    mark_64k(offset);
    mark_64k(offset + 3);
}

}  // namespace

const BusDevice GVRAM_BUS = {gvram_read_byte,  gvram_read_word,  gvram_read_long, gvram_write_byte,
                             gvram_write_word, gvram_write_long, nullptr};
const BusDevice GVRAM_1024_BUS = {gvram_read_byte,       gvram_read_word,       gvram_read_long, gvram_write_byte_1024,
                                  gvram_write_word_1024, gvram_write_long_1024, nullptr};
const BusDevice GVRAM_64K_BUS = {gvram_read_byte_64k,
                                 gvram_read_word_64k,
                                 gvram_read_long_64k,
                                 gvram_write_byte_64k,
                                 gvram_write_word_64k,
                                 gvram_write_long_64k,
                                 nullptr};

// Layout conversion. Every layout is gathered into a 512 x 512 image of
// 16-bit words W(r, c) and scattered from it:
//   16 colours   nibble k of W = page k
//   256 colours  low byte = pages 0/1, high byte = pages 2/3
//   65536        W is the pixel
//   1024         nibble k of W = quadrant k (left/right, then top/bottom)
namespace {

constexpr uint32_t SIDE = 512, PAGE_BYTES = 0x40000;

inline uint32_t at_512(uint32_t page, uint32_t r, uint32_t c) { return page * PAGE_BYTES + r * SIDE + c; }
inline uint32_t at_1024(uint32_t x, uint32_t y) { return y * 1024 + x; }

void gather(int32_t mode, uint16_t* words) {
    const uint8_t* g = g_gvram;
    for (uint32_t r = 0; r < SIDE; r++) {
        for (uint32_t c = 0; c < SIDE; c++) {
            uint32_t w;
            switch (mode) {
            case 0:
                w = (g[at_512(3, r, c)] & 0xFu) << 12 | (g[at_512(2, r, c)] & 0xFu) << 8 |
                    (g[at_512(1, r, c)] & 0xFu) << 4 | (g[at_512(0, r, c)] & 0xFu);
                break;
            case 1: w = uint32_t(g[at_512(1, r, c)]) << 8 | g[at_512(0, r, c)]; break;
            case 3: w = be_read16(g + r * 1024 + c * 2); break;
            default:
                w = (g[at_1024(512 + c, 512 + r)] & 0xFu) << 12 | (g[at_1024(c, 512 + r)] & 0xFu) << 8 |
                    (g[at_1024(512 + c, r)] & 0xFu) << 4 | (g[at_1024(c, r)] & 0xFu);
                break;
            }
            words[r * SIDE + c] = uint16_t(w);
        }
    }
}

// Pages 0 and 2 (and the quadrants in their place) take a whole byte; only
// its low nibble is shown.
void scatter(int32_t mode, const uint16_t* words) {
    uint8_t* g = g_gvram;
    for (uint32_t r = 0; r < SIDE; r++) {
        for (uint32_t c = 0; c < SIDE; c++) {
            uint32_t w = words[r * SIDE + c];
            switch (mode) {
            case 0:
                g[at_512(0, r, c)] = uint8_t(w);
                g[at_512(1, r, c)] = uint8_t((w & 0xFF) >> 4);
                g[at_512(2, r, c)] = uint8_t(w >> 8);
                g[at_512(3, r, c)] = uint8_t(w >> 12);
                break;
            case 1:
                g[at_512(0, r, c)] = uint8_t(w);
                g[at_512(1, r, c)] = uint8_t(w >> 8);
                break;
            case 3: be_write16(g + r * 1024 + c * 2, w); break;
            default:
                g[at_1024(c, r)] = uint8_t(w);
                g[at_1024(512 + c, r)] = uint8_t((w & 0xFF) >> 4);
                g[at_1024(c, 512 + r)] = uint8_t(w >> 8);
                g[at_1024(512 + c, 512 + r)] = uint8_t(w >> 12);
                break;
            }
        }
    }
}

// Modes 2 and 4-7 (and the start-up value) share the 1024 x 1024 layout.
int32_t layout_of(int32_t mode) {
    mode &= 7;
    return mode == 0 || mode == 1 || mode == 3 ? mode : 4;
}

}  // namespace

void gvram_convert_layout(int32_t new_mode, int32_t old_mode) {
    // Modes that share a layout leave the store as it is.
    int32_t from = layout_of(old_mode), to = layout_of(new_mode);
    if (from == to || !g_gvram) return;
    // The image lives only through the conversion.
    auto words = std::make_unique_for_overwrite<uint16_t[]>(SIDE * SIDE);
    gather(from, words.get());
    scatter(to, words.get());
}
