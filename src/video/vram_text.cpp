// Text VRAM page handlers ($E00000-$E7FFFF): four 1-bit planes, the write
// mask and simultaneous plane access of CRTC R21/R23, and the dirty lines.
#include <cstring>

#include "core/bus.h"
#include "machine/memory_map.h"
#include "video/crtc.h"
#include "video/video_state.h"
#include "video/vram.h"

uint8_t* g_tvram;

void tvram_power_on() {
    if (g_tvram) std::memset(g_tvram, 0, TVRAM_SIZE);
}
std::span<const uint8_t> tvram_state() {
    if (!g_tvram) return {};
    return {g_tvram, TVRAM_SIZE};
}

namespace {

inline uint32_t offset_of(uint32_t addr) { return addr & (TVRAM_SIZE - 1); }
inline void mark_line(uint32_t offset) { g_video.g_tvram_dirty_lines[(offset >> 7) & 0x3FF] = 1; }
inline uint32_t selected_planes(uint32_t r21) { return (r21 >> CRTC_ACCESS_WRITE_SHIFT) & 0xF; }

// Bits of the write mask that keep the old data (0 when the mask is off).
inline uint32_t kept_bits_byte(uint32_t r21, uint32_t addr) {
    if (!(r21 & CRTC_ACCESS_MASKED)) return 0;
    uint32_t r23 = crtc_reg(CRTC_TEXT_MASK);
    return (addr & 1) ? r23 & 0xFF : r23 >> 8;
}
inline uint32_t kept_bits_word(uint32_t r21) { return (r21 & CRTC_ACCESS_MASKED) ? crtc_reg(CRTC_TEXT_MASK) : 0; }

inline void store_byte(uint8_t* p, uint32_t value, uint32_t keep) { *p = uint8_t((*p & keep) | (value & ~keep)); }
inline void store_word(uint8_t* p, uint32_t value, uint32_t keep) {
    be_write16(p, (be_read16(p) & keep) | (value & ~keep));
}

uint32_t tvram_read_byte(uint32_t addr) { return g_tvram[offset_of(addr)]; }
uint32_t tvram_read_word(uint32_t addr) { return be_read16(g_tvram + offset_of(addr)); }
uint32_t tvram_read_long(uint32_t addr) {
    uint32_t offset = offset_of(addr);
    // The last word of the image: the second half is read on the next page.
    if (offset > TVRAM_SIZE - 4) [[unlikely]]
        return mem_read_long_split(addr);
    return be_read32(g_tvram + offset);
}

void tvram_write_byte(uint32_t addr, uint32_t value) {
    uint32_t r21 = crtc_reg(CRTC_TEXT_ACCESS), offset = offset_of(addr), keep = kept_bits_byte(r21, addr);
    if (r21 & CRTC_ACCESS_SIMULTANEOUS) {
        uint32_t planes = selected_planes(r21);
        if (!planes) return;
        offset &= TVRAM_PLANE_SIZE - 1;
        for (uint32_t p = 0; p < 4; p++) {
            if (planes & (1u << p)) store_byte(g_tvram + p * TVRAM_PLANE_SIZE + offset, value, keep);
        }
    } else {
        store_byte(g_tvram + offset, value, keep);
    }
    mark_line(offset);
}

void tvram_write_word(uint32_t addr, uint32_t value) {
    uint32_t r21 = crtc_reg(CRTC_TEXT_ACCESS), offset = offset_of(addr), keep = kept_bits_word(r21);
    if (r21 & CRTC_ACCESS_SIMULTANEOUS) {
        uint32_t planes = selected_planes(r21);
        if (!planes) return;
        offset &= TVRAM_PLANE_SIZE - 1;
        for (uint32_t p = 0; p < 4; p++) {
            if (planes & (1u << p)) store_word(g_tvram + p * TVRAM_PLANE_SIZE + offset, value, keep);
        }
    } else {
        store_word(g_tvram + offset, value, keep);
    }
    mark_line(offset);
}

void tvram_write_long(uint32_t addr, uint32_t value) {
    uint32_t r21 = crtc_reg(CRTC_TEXT_ACCESS);
    bool last_word_of_plane = mem_last_word_of_page(addr);  // a page is one plane
    if (r21 & CRTC_ACCESS_MASKED) {
        // Two masked word writes, the low word first.
        uint32_t next = (addr + 2) & 0xFFFFFF;
        if (last_word_of_plane) [[unlikely]]
            g_bus_write_word_table[bus_page(next)](next, value & 0xFFFF);
        else tvram_write_word(next, value & 0xFFFF);
        tvram_write_word(addr, value >> 16);
        return;
    }
    // At the end of a plane each half goes to its own address: the next
    // plane, its plane-0 image under simultaneous access, or the page above
    // the text VRAM.
    if (last_word_of_plane) [[unlikely]]
        return mem_write_long_split(addr, value);
    uint32_t offset = offset_of(addr);
    if (r21 & CRTC_ACCESS_SIMULTANEOUS) {
        uint32_t planes = selected_planes(r21);
        if (!planes) return;
        offset &= TVRAM_PLANE_SIZE - 1;
        for (uint32_t p = 0; p < 4; p++) {
            if (planes & (1u << p)) be_write32(g_tvram + p * TVRAM_PLANE_SIZE + offset, value);
        }
    } else {
        be_write32(g_tvram + offset, value);
    }
    // A long can span two text lines.
    mark_line(offset);
    mark_line(offset + 3);
}

}  // namespace

const BusDevice TVRAM_BUS = {tvram_read_byte,  tvram_read_word,  tvram_read_long, tvram_write_byte,
                             tvram_write_word, tvram_write_long, nullptr};
