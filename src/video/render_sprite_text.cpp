// Sprite, BG and text layer rendering.
#include "video/render_sprite_text.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "machine/settings.h"
#include "video/crtc.h"
#include "video/render_common.h"
#include "video/sprite.h"
#include "video/video_state.h"
#include "video/vram.h"


namespace {

constexpr uint32_t ATTR_VFLIP = 0x8000, ATTR_HFLIP = 0x4000;

// Colours of the 16 sprite/BG palette blocks, index 0 transparent (host
// pixel 0): per dot, and per byte of a PCG row (two dots, the high nibble
// first; `mirrored` has them the other way round, for the horizontal flip).
// Kept while the palette stays the same.
struct CellColours {
    uint16_t palette[256];  // g_pal_host[256..511] they were made from
    render::ColourEntry dot[16][16];
    uint32_t ahead[16][256];
    uint32_t mirrored[16][256];
    bool lossy[16];  // some nonzero index of the block has colour 0
#if ZOLM_RENDER_SSSE3
    render::Palette16 split[16];
#endif
};
CellColours s_cell_colours;
bool s_cell_colours_made;

const CellColours& cell_colours() {
    CellColours& cc = s_cell_colours;
    const uint16_t* pal = g_video.g_pal_host + 256;
    if (s_cell_colours_made && std::memcmp(cc.palette, pal, sizeof cc.palette) == 0) return cc;
    std::memcpy(cc.palette, pal, sizeof cc.palette);
    for (uint32_t b = 0; b < 16; ++b) {
        const uint16_t* block = pal + 16 * b;
        for (uint32_t n = 0; n < 16; ++n) cc.dot[b][n] = n ? block[n] : 0;
        for (uint32_t x = 0; x < 256; ++x) {
            const uint32_t hi = cc.dot[b][x >> 4], lo = cc.dot[b][x & 0xF];
            cc.ahead[b][x] = hi | lo << 16;
            cc.mirrored[b][x] = lo | hi << 16;
        }
        cc.lossy[b] = std::find(block + 1, block + 16, 0) != block + 16;
#if ZOLM_RENDER_SSSE3
        render::palette16_of(cc.split[b], cc.dot[b]);
#endif
    }
    s_cell_colours_made = true;
    return cc;
}

}  // namespace

void spr_forget_cell_colours() { s_cell_colours_made = false; }

namespace {

// What one pass of the sprite layer draws into.
struct CellTarget {
    render::Surface s;
    render::SideCopy side;
    const CellColours* colours;
};

bool target_of(uint8_t* buffer, CellTarget& t) {
    if (!render::surface_of(buffer, t.s)) return false;
    t.side = render::side_copy_of(g_video.szp_active, t.s);
    t.colours = &cell_colours();
    return true;
}

// One row of a PCG cell, dots most significant nibble first.
uint32_t pcg_row(uint32_t cell, uint32_t row) {
    const uint8_t* p = g_sprite_area + SPR_PCG + (cell & 1023) * 32 + (row & 7) * 4;
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// Eight dots of `bits` wholly inside the picture, no side copy: at once.
template <bool kHflip> inline void draw_dots8(uint16_t* dst, uint32_t bits, const CellColours& cc, uint32_t block) {
    if constexpr (kHflip) {
        const uint32_t* m = cc.mirrored[block];
        render::over8(dst, render::pairs(m[bits & 0xFF], m[(bits >> 8) & 0xFF], m[(bits >> 16) & 0xFF], m[bits >> 24]));
    } else {
        const uint32_t* a = cc.ahead[block];
        render::over8(dst, render::pairs(a[bits >> 24], a[(bits >> 16) & 0xFF], a[(bits >> 8) & 0xFF], a[bits & 0xFF]));
    }
}

// Whether a nonzero dot of `bits` has colour 0.
inline bool loses_dot(uint32_t bits, const render::ColourEntry* pal) {
    for (; bits; bits >>= 4)
        if ((bits & 0xF) && !pal[bits & 0xF]) return true;
    return false;
}

// Draws the eight dots of `bits` on picture line `line` from picture
// column `first`, rightwards, or leftwards from first + 7 when mirrored,
// clipped to the picture.
void draw_dots(const CellTarget& t, int32_t first, int32_t line, uint32_t bits, uint32_t block, bool hflip) {
    if (line < 0 || line >= t.s.height || first <= -8 || first >= t.s.width) return;
    const CellColours& cc = *t.colours;
    const render::ColourEntry* pal = cc.dot[block];
    uint16_t* dst = t.s.line(line) + first;
    if (!t.side.active && first >= 0 && first + 8 <= t.s.width) {
        if (cc.lossy[block] && loses_dot(bits, pal)) g_video.szp_clean = 0;
        if (hflip) draw_dots8<true>(dst, bits, cc, block);
        else draw_dots8<false>(dst, bits, cc, block);
        return;
    }
    for (int32_t d = 0; d < 8; ++d, bits <<= 4) {
        const uint32_t n = bits >> 28;
        if (!n) continue;
        const int32_t off = hflip ? 7 - d : d;
        const int32_t col = first + off;
        if (col < 0 || col >= t.s.width) continue;
        const uint32_t c = pal[n];
        if (c) {
            dst[off] = uint16_t(c);
        } else {
            g_video.szp_clean = 0;
            if (t.side.covers(col, line)) dst[off] = dst[off + t.side.offset];
        }
    }
}

// The rows of a cell at picture column `first`, top on picture line `top`.
template <bool kVflip, bool kHflip>
bool draw_cell_rows(const CellTarget& t, int32_t first, int32_t top, uint32_t block, uint32_t cell) {
    const uint8_t* rows = g_sprite_area + SPR_PCG + cell * 32;
    const CellColours& cc = *t.colours;
    const bool fast = !t.side.active && first >= 0 && first + 8 <= t.s.width;
    bool any = false;
    for (int32_t r = 0; r < 8; ++r) {
        const uint8_t* p = rows + 4 * r;
        const uint32_t bits = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
        if (!bits) continue;
        any = true;
        const int32_t line = top + (kVflip ? 7 - r : r);
        if (!fast) {
            draw_dots(t, first, line, bits, block, kHflip);
        } else if (line >= 0 && line < t.s.height) {
            if (cc.lossy[block] && loses_dot(bits, cc.dot[block])) g_video.szp_clean = 0;
            draw_dots8<kHflip>(t.s.line(line) + first, bits, cc, block);
        }
    }
    return any;
}

#if ZOLM_RENDER_SSSE3
// The dot indices of two PCG rows (the four bytes of each in v, two dots a
// byte, the high nibble first), mirrored for the horizontal flip: `first`
// the rows of bytes 0-7, `second` those of bytes 8-15.
template <bool kHflip>
__attribute__((target("ssse3"))) inline void cell_indices(__m128i v, __m128i& first, __m128i& second) {
    if constexpr (kHflip) v = _mm_shuffle_epi8(v, _mm_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12));
    const __m128i nib = _mm_set1_epi8(0x0F);
    const __m128i hi = _mm_and_si128(_mm_srli_epi16(v, 4), nib), lo = _mm_and_si128(v, nib);
    first = kHflip ? _mm_unpacklo_epi8(lo, hi) : _mm_unpacklo_epi8(hi, lo);
    second = kHflip ? _mm_unpackhi_epi8(lo, hi) : _mm_unpackhi_epi8(hi, lo);
}

// A whole cell, wholly inside the picture's columns, without the side copy
// and in a block without colour-0 dots: all eight rows at once. Returns
// whether the cell has a nonzero dot.
template <bool kVflip, bool kHflip>
__attribute__((target("ssse3"))) bool draw_cell_rows_ssse3(const CellTarget& t, int32_t first, int32_t top,
                                                           uint32_t block, uint32_t cell) {
    const uint8_t* rows = g_sprite_area + SPR_PCG + cell * 32;
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows + 16));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_or_si128(a, b), _mm_setzero_si128())) == 0xFFFF) return false;
    const render::Palette16& pal = t.colours->split[block];
    const __m128i lo = _mm_load_si128(reinterpret_cast<const __m128i*>(pal.lo));
    const __m128i hi = _mm_load_si128(reinterpret_cast<const __m128i*>(pal.hi));
    __m128i idx[4], px[8];
    cell_indices<kHflip>(a, idx[0], idx[1]);
    cell_indices<kHflip>(b, idx[2], idx[3]);
    for (int32_t k = 0; k < 4; ++k) render::colours16(idx[k], lo, hi, px[2 * k], px[2 * k + 1]);
    // A row of index 0 leaves what is under it, so blank rows need no test.
    for (int32_t r = 0; r < 8; ++r) {
        const int32_t line = top + (kVflip ? 7 - r : r);
        if (line >= 0 && line < t.s.height) render::over8_sse(t.s.line(line) + first, px[r]);
    }
    return true;
}
#endif

void draw_cell(const CellTarget& t, int32_t x, int32_t y, uint32_t attr, uint32_t cell) {
    cell &= 1023;
    uint8_t& nonempty = g_video.pcg_cell_nonempty[cell];
    if (!nonempty) return;
    const int32_t first = x - 16, top = y - 16;
    if (first <= -8 || first >= t.s.width || top <= -8 || top >= t.s.height) return;
    const uint32_t block = (attr >> 8) & 0xF;
    bool any;
#if ZOLM_RENDER_SSSE3
    if (render::g_use_ssse3 && !t.side.active && first >= 0 && first + 8 <= t.s.width && !t.colours->lossy[block]) {
        switch (attr >> 14 & 3) {
        case 0: any = draw_cell_rows_ssse3<false, false>(t, first, top, block, cell); break;
        case 1: any = draw_cell_rows_ssse3<false, true>(t, first, top, block, cell); break;
        case 2: any = draw_cell_rows_ssse3<true, false>(t, first, top, block, cell); break;
        default: any = draw_cell_rows_ssse3<true, true>(t, first, top, block, cell); break;
        }
        nonempty = any ? 1 : 0;
        return;
    }
#endif
    switch (attr >> 14 & 3) {
    case 0: any = draw_cell_rows<false, false>(t, first, top, block, cell); break;
    case 1: any = draw_cell_rows<false, true>(t, first, top, block, cell); break;
    case 2: any = draw_cell_rows<true, false>(t, first, top, block, cell); break;
    default: any = draw_cell_rows<true, true>(t, first, top, block, cell); break;
    }
    nonempty = any ? 1 : 0;
}

// Cell q of a pattern (bit 0: lower half, bit 1: right half) goes to
// (dx, dy) by the flips.
void draw_pattern16(const CellTarget& t, int32_t x, int32_t y, uint32_t attr) {
    const uint32_t base = (attr & 0xFF) * 4;
    const int32_t h = (attr & ATTR_HFLIP) ? 1 : 0, v = (attr & ATTR_VFLIP) ? 1 : 0;
    for (int32_t q = 0; q < 4; ++q) {
        const int32_t dx = ((q >> 1) ^ h) * 8, dy = ((q & 1) ^ v) * 8;
        draw_cell(t, x + dx, y + dy, attr, base + q);
    }
}

// Displayed row `row` of a cell whose top is at y: with the vertical flip
// it shows source row 7 - row.
void draw_cell_row(const CellTarget& t, int32_t x, int32_t y, uint32_t attr, uint32_t cell, int32_t row) {
    row &= 7;
    const uint32_t bits = pcg_row(cell, (attr & ATTR_VFLIP) ? 7 - row : row);
    if (bits) draw_dots(t, x - 16, y + row - 16, bits, (attr >> 8) & 0xF, attr & ATTR_HFLIP);
}

// Displayed row `row` (0-15) of a pattern whose top is at y.
void draw_pattern16_row(const CellTarget& t, int32_t x, int32_t y, uint32_t attr, int32_t row) {
    row &= 15;
    const bool hflip = attr & ATTR_HFLIP;
    const int32_t src = (attr & ATTR_VFLIP) ? 15 - row : row;
    const uint32_t base = (attr & 0xFF) * 4 + (src >> 3);
    for (int32_t half = 0; half < 2; ++half) {
        const uint32_t bits = pcg_row(base + 2 * half, src & 7);
        if (bits) draw_dots(t, x - 16 + (half ^ (hflip ? 1 : 0)) * 8, y + row - 16, bits, (attr >> 8) & 0xF, hflip);
    }
}

// Display offsets of the sprite plane against the CRTC picture.
struct PlaneOffset {
    int32_t x, y;
};

PlaneOffset plane_offset() {
    PlaneOffset o;
    o.x =
        (static_cast<int32_t>(spr_area_word(SPR_H_DISP)) - static_cast<int32_t>(crtc_reg(CRTC_H_DISP_START))) * 8 - 32;
    o.y = static_cast<int32_t>(spr_area_word(SPR_V_DISP)) - static_cast<int32_t>(crtc_reg(CRTC_V_DISP_START));
    if ((g_sprite_unit.resolution & 0xC) == 0) o.y /= 2;
    return o;
}

}  // namespace

void spr_draw_cell(uint8_t* buffer, int32_t x, int32_t y, uint32_t attr, uint32_t cell) {
    CellTarget t;
    if (target_of(buffer, t)) draw_cell(t, x, y, attr, cell);
}

void spr_draw_pattern16(uint8_t* buffer, int32_t x, int32_t y, uint32_t attr) {
    CellTarget t;
    if (target_of(buffer, t)) draw_pattern16(t, x, y, attr);
}

void spr_draw_cell_row(uint8_t* buffer, int32_t x, int32_t y, uint32_t attr, uint32_t cell, int32_t row) {
    CellTarget t;
    if (target_of(buffer, t)) draw_cell_row(t, x, y, attr, cell, row);
}

void spr_draw_pattern16_rows(uint8_t* buffer, int32_t x, int32_t y, uint32_t attr, int32_t row) {
    CellTarget t;
    if (target_of(buffer, t)) draw_pattern16_row(t, x, y, attr, row);
}

void spr_draw_sprites(uint8_t* buffer, int32_t priority) {
    CellTarget t;
    if (!target_of(buffer, t)) return;
    g_render_trace += "SP1";
    const PlaneOffset off = plane_offset();
    const int32_t plane_h = g_video.sprite_plane_height;
    const SpriteUnit& unit = g_sprite_unit;

    // Sprite 127 first, so that sprite 0 ends on top. A sprite at plane
    // coordinate 16 starts on the picture's first dot.
    auto draw_table = [&](const uint8_t* table, bool banded, int32_t first, int32_t last) {
        for (int32_t s = 127; s >= 0; --s) {
            const uint32_t rec = 8 * s;
            if (static_cast<int32_t>(spr_table_word(table, rec + 6) & 3) != priority) continue;
            const int32_t x = (static_cast<int32_t>(spr_table_word(table, rec)) + off.x) & 0x3FF;
            const int32_t y = (static_cast<int32_t>(spr_table_word(table, rec + 2)) + off.y) & 0x3FF;
            if (x >= t.s.width + 16 || y >= plane_h + 16) continue;
            if (banded && (y < first || y > last + 32)) continue;
            draw_pattern16(t, x, y, spr_table_word(table, rec + 4));
        }
    };

    const uint32_t count = std::min(unit.snapshot_count, SPR_SNAPSHOTS);
    if (count == 0) {
        draw_table(g_sprite_area + SPR_TABLE, false, 0, 0);
        return;
    }
    for (uint32_t k = 0; k < count; ++k)
        draw_table(unit.snapshots[k], true, unit.snapshot_bands[k].first, unit.snapshot_bands[k].last);
}

void spr_draw_bg(uint8_t* buffer, int32_t page, int32_t n) {
    CellTarget t;
    if (!target_of(buffer, t)) return;
    VideoState& v = g_video;
    n &= 1;
    g_render_trace += "BG(" + std::to_string(n) + ")";
    const PlaneOffset off = plane_offset();
    const int32_t step = vid_line_step();
    const uint32_t required = n == 0 ? 0x201 : 0x208;
    const int32_t plane_h = v.sprite_plane_height;
    const int32_t w = v.sprite_plane_width <= 256 ? 8 : 16;
    const int32_t m = w == 8 ? 511 : 1023;
    const uint32_t map = page ? SPR_BG_MAP1 : SPR_BG_MAP0;
    const uint16_t* xlog = v.g_line_log_bgscroll[2 * n];
    const uint16_t* ylog = v.g_line_log_bgscroll[2 * n + 1];
    const int32_t smask = v.g_bgscroll_log_mask;
    auto entry_at = [&](int32_t row, int32_t col) { return spr_area_word(map + (row * 64 + col) * 2); };

    // Column of map entry j: L counts from one cell left of the picture.
    auto column = [&](int32_t j, int32_t x) { return ((j + 1) * w + off.x - (x & m)) & m; };

    if (v.bgscroll_change_count[2 * n] <= 0 && v.bgscroll_change_count[2 * n + 1] <= 0) {
        // One scroll for the whole frame: draw band by band, one cell high.
        for (int32_t band = -w; band < plane_h; band += w) {
            const int32_t r = render::raster_of(band < 0 ? 4 : band + 4, step);
            if ((v.g_line_log_bgctrl[r & v.g_bgctrl_log_mask] & required) != required) continue;
            const int32_t x = xlog[r & smask], y = ylog[r & smask];
            const int32_t row = ((band + y + off.y + w) & m) / w;
            const int32_t top = 16 + band + w - ((band + y + off.y) & (w - 1));
            for (int32_t j = 0; j < 64; ++j) {
                const int32_t l = column(j, x);
                if (l >= w + t.s.width) continue;
                const uint32_t e = entry_at(row, j);
                if (w == 8) draw_cell(t, l - w + 16, top, e & 0xFF00, e & 0xFF);
                else draw_pattern16(t, l - w + 16, top, e);
            }
        }
        return;
    }

    // The scroll changes within the frame: line by line.
    const int32_t lines = std::min(plane_h, t.s.height);
    for (int32_t i = 0; i < lines; ++i) {
        const int32_t r = render::raster_of(i, step);
        if ((v.g_line_log_bgctrl[r] & required) != required) continue;
        const int32_t x = xlog[r & smask], y = ylog[r & smask];
        const int32_t dot_row = (i + (y & m) + off.y) & m;
        const int32_t row_in_cell = dot_row & (w - 1);
        const int32_t top = 16 + i - row_in_cell;
        for (int32_t j = 0; j < 64; ++j) {
            const int32_t l = column(j, x);
            if (l >= w + t.s.width) continue;
            const uint32_t e = entry_at(dot_row / w, j);
            if (w == 8) draw_cell_row(t, l - w + 16, top, e & 0xFF00, e & 0xFF, row_in_cell);
            else draw_pattern16_row(t, l - w + 16, top, e, row_in_cell);
        }
    }
}

int32_t spr_draw(uint8_t* buffer, int32_t drawn) {
    VideoState& v = g_video;
    if (!(v.bgctrl_or & 0x200)) return drawn;
    render::Surface s;
    if (!render::surface_of(buffer, s)) return drawn;
    const uint32_t res = g_sprite_unit.resolution;
    v.sprite_plane_width = static_cast<uint16_t>(256 << (res & 1));
    v.sprite_plane_height = static_cast<uint16_t>(256 << ((res >> 2) & 1));
    if (!drawn) vid_fill_lines(buffer, 0);

    v.szp_active = 0;
    if (!v.szp_clean && g_settings.priority && render::side_copy_begin(buffer, s)) {
        v.szp_active = 1;
        g_render_trace += "(S.Zp)";
    }
    v.szp_clean = 1;

    // Within one frame a cell found empty stays skipped.
    std::memset(v.pcg_cell_nonempty, 1, sizeof v.pcg_cell_nonempty);

    const uint32_t ctrl = spr_area_word(SPR_BG_CTRL);
    if (!g_video_host.layer_off[1]) spr_draw_sprites(buffer, 1);
    if (!g_video_host.layer_off[3] && (v.bgctrl_or & 8) && v.sprite_plane_width <= 256)
        spr_draw_bg(buffer, (ctrl >> 4) & 1, 1);
    if (!g_video_host.layer_off[1]) spr_draw_sprites(buffer, 2);
    if (!g_video_host.layer_off[2] && (v.bgctrl_or & 1)) spr_draw_bg(buffer, (ctrl >> 1) & 1, 0);
    if (!g_video_host.layer_off[1]) spr_draw_sprites(buffer, 3);
    return 1;
}

namespace {

#if ZOLM_RENDER_SSSE3
// Entry x has byte j = 1 when bit 7 - j of x is set: a text plane byte
// spread to eight dot indices, leftmost dot in the lowest byte.
constexpr std::array<uint64_t, 256> k_byte_spread_table = [] {
    std::array<uint64_t, 256> t{};
    for (uint32_t x = 0; x < 256; ++x)
        for (uint32_t j = 0; j < 8; ++j)
            if (x & (0x80u >> j)) t[x] |= uint64_t(1) << (8 * j);
    return t;
}();

// The eight dot indices of text byte b of a line (plane 0 at p0), leftmost
// dot in the lowest byte.
inline uint64_t text_indices(const uint8_t* p0, uint32_t b) {
    const auto& t = k_byte_spread_table;
    return t[p0[b]] | t[p0[b + 0x20000]] << 1 | t[p0[b + 0x40000]] << 2 | t[p0[b + 0x60000]] << 3;
}

// One text line from text byte x / 8 on, as the portable loop of
// tvram_draw_lines draws it. Returns whether it holds a nonzero dot.
__attribute__((target("ssse3"))) bool text_line_ssse3(uint16_t* dst, const uint8_t* p0, uint32_t x, int32_t width,
                                                      const render::ColourEntry* pal, const render::Palette16& split) {
    const __m128i lo = _mm_load_si128(reinterpret_cast<const __m128i*>(split.lo));
    const __m128i hi = _mm_load_si128(reinterpret_cast<const __m128i*>(split.hi));
    const int32_t groups = (width + 8) / 8;
    const int32_t first = -static_cast<int32_t>(x & 7);
    uint64_t any = 0;
    for (int32_t k = 0; k < groups; ++k) {
        const int32_t col0 = first + 8 * k;
        const uint64_t a = text_indices(p0, (x / 8 + k) & 127);
        any |= a;
        if (col0 >= 0 && col0 + 16 <= width && k + 1 < groups) {
            const uint64_t b = text_indices(p0, (x / 8 + k + 1) & 127);
            any |= b;
            render::over16_idx(dst + col0, _mm_set_epi64x(int64_t(b), int64_t(a)), lo, hi);
            ++k;
            continue;
        }
        if (col0 >= 0 && col0 + 8 <= width) {
            __m128i px, unused;
            render::colours16(_mm_cvtsi64_si128(int64_t(a)), lo, hi, px, unused);
            render::over8_sse(dst + col0, px);
            continue;
        }
        for (int32_t d = 0; d < 8; ++d) {
            const int32_t col = col0 + d;
            if (col < 0 || col >= width) continue;
            const uint32_t c = pal[(a >> (8 * d)) & 0xF];
            if (c) dst[col] = uint16_t(c);
        }
    }
    return any != 0;
}
#endif

}  // namespace

void tvram_draw_lines(uint8_t* buffer) {
    render::Surface s;
    if (!render::surface_of(buffer, s)) return;
    VideoState& v = g_video;
    const int32_t step = vid_line_step();
    const uint32_t y_scroll = crtc_reg(CRTC_TEXT_Y);
    // Text colours, index 0 transparent (host pixel 0), per dot and per
    // byte of spread dots (two dots, the low nibble first).
    render::ColourEntry pal[16];
    std::copy(v.g_pal_host + 256, v.g_pal_host + 272, pal);
    pal[0] = 0;
    uint32_t pair[256];
    for (uint32_t b = 0; b < 256; ++b) pair[b] = pal[b & 0xF] | pal[b >> 4] << 16;
    const int32_t groups = (s.width + 8) / 8;
#if ZOLM_RENDER_SSSE3
    render::Palette16 split;
    render::palette16_of(split, pal);
#endif
    for (int32_t i = 0; i < s.height; ++i) {
        const int32_t r = render::raster_of(i, step);
        if (!v.line_redraw[i] || !(v.g_line_log_layers[r] & 0x20)) continue;
        vid_widen_dirty(i);
        const uint32_t line = (y_scroll + i) & 0x3FF;
        if (!v.text_line_nonempty[line]) continue;
        const uint32_t x = v.g_line_log_tscroll[r & v.g_tscroll_log_mask] & 0x3FF;
        const uint8_t* p0 = g_tvram + line * 128;
        const uint8_t* p1 = p0 + 0x20000;
        const uint8_t* p2 = p0 + 0x40000;
        const uint8_t* p3 = p0 + 0x60000;
        uint16_t* dst = s.line(i);
#if ZOLM_RENDER_SSSE3
        if (render::g_use_ssse3) {
            v.text_line_nonempty[line] = text_line_ssse3(s.line(i), p0, x, s.width, pal, split) ? 1 : 0;
            continue;
        }
#endif
        const int32_t first = -static_cast<int32_t>(x & 7);
        bool any = false;
        for (int32_t k = 0; k < groups; ++k) {
            const uint32_t b = (x / 8 + k) & 127;
            const auto& spread = g_bit_spread_table;
            uint32_t bits = ((spread[p3[b]] << 1 | spread[p2[b]]) << 1 | spread[p1[b]]) << 1 | spread[p0[b]];
            const int32_t col0 = first + 8 * k;
            any |= bits != 0;
            if (col0 >= 0 && col0 + 8 <= s.width) {
                // Blank groups too: cheaper than a branch the dots cannot predict.
                render::over8(dst + col0, render::pairs(pair[bits & 0xFF], pair[(bits >> 8) & 0xFF],
                                                        pair[(bits >> 16) & 0xFF], pair[bits >> 24]));
                continue;
            }
            for (int32_t d = 0; d < 8; ++d, bits >>= 4) {
                const int32_t col = col0 + d;
                if (col < 0 || col >= s.width) continue;
                const uint32_t c = pal[bits & 0xF];
                if (c) dst[col] = uint16_t(c);
            }
        }
        v.text_line_nonempty[line] = any ? 1 : 0;
    }
}

LayerWatch g_text_layer_watch;

int32_t tvram_draw(uint8_t* buffer, int32_t drawn) {
    if (!(g_video.layers_or & 0x20)) return drawn;
    render::Surface s;
    if (!render::surface_of(buffer, s)) return drawn;
    g_render_trace += "T1";
    if (g_text_layer_watch.start) g_text_layer_watch.start();
    if (!drawn) vid_fill_lines(buffer, g_video.g_pal_host[256]);
    tvram_draw_lines(buffer);
    if (g_text_layer_watch.stop) g_text_layer_watch.stop();
    return 1;
}
