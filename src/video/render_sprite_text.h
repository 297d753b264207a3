// Sprite, BG and text layer rendering into the host frame buffer of
// g_video_host. The sprite layer interleaves the 128 sprites of priorities 1-3
// with the two BG planes; the text layer combines the four 1-bit planes into
// 4-bit colour indices. Colour 0 is transparent everywhere, and nothing is
// ever written outside the picture (columns 16 .. 16 + src_width - 1, rows
// 16 .. 16 + src_height - 1): sprites and cells that start in the border or
// reach past the right edge are clipped.
#pragma once

#include <array>
#include <cstdint>


// Entry x has nibble j = 1 when bit 7 - j of x is set: a text plane byte
// spread to eight 4-bit dots, leftmost dot in the lowest nibble.
inline constexpr std::array<uint32_t, 256> g_bit_spread_table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t x = 0; x < 256; ++x)
        for (uint32_t j = 0; j < 8; ++j)
            if (x & (0x80u >> j)) t[x] |= 1u << (4 * j);
    return t;
}();

// Forgets the sprite/BG colour tables, so the next frame makes them afresh.
void spr_forget_cell_colours();

// Sprite/BG layer: drawn unchanged when the frame never displays sprites
// (BG control bit 9), else 1.
int32_t spr_draw(uint8_t* buffer, int32_t drawn);
// Sprites of one priority (1-3), from the live table or the snapshots.
void spr_draw_sprites(uint8_t* buffer, int32_t priority);
// BG plane n (0/1) from map page 0/1.
void spr_draw_bg(uint8_t* buffer, int32_t page, int32_t n);

// Whole patterns and cells with their top-left dot at buffer pixel (x, y).
// The attribute word gives the flips (bits 15, 14) and the palette block
// (bits 8-11); pattern n is cells 4n-4n+3.
void spr_draw_pattern16(uint8_t* buffer, int32_t x, int32_t y, uint32_t attr);
void spr_draw_cell(uint8_t* buffer, int32_t x, int32_t y, uint32_t attr, uint32_t cell);
// One displayed row of a pattern (0-15) or cell (0-7) whose top-left dot is
// at (x, y); the row lands on buffer row y + row. With the vertical flip the
// row shown there is the mirrored source row.
void spr_draw_pattern16_rows(uint8_t* buffer, int32_t x, int32_t y, uint32_t attr, int32_t row);
void spr_draw_cell_row(uint8_t* buffer, int32_t x, int32_t y, uint32_t attr, uint32_t cell, int32_t row);

// The stop-watch around the text layer's drawing, when one is set: the
// application times it with its "temp" watch.
struct LayerWatch {
    void (*start)() = nullptr;
    void (*stop)() = nullptr;
};
extern LayerWatch g_text_layer_watch;

// Text layer: drawn unchanged when text is off on every line, else 1.
int32_t tvram_draw(uint8_t* buffer, int32_t drawn);
void tvram_draw_lines(uint8_t* buffer);
