// Host fonts drawn into 1-bit-per-pixel character cells, for the substitute
// CG ROM.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// A cell of width x height pixels, bytes_per_row = (width + 7) / 8 bytes a
// row, top row first, the leftmost pixel in bit 7 of a row's first byte,
// 1 for a drawn pixel.
struct GlyphCell {
    int width;
    int height;
    int bytes_per_row;
    uint8_t* bits;  // bytes_per_row * height bytes
};

class FontRenderer {
public:
    virtual ~FontRenderer() = default;
    // Selects the face at a character height of font_height pixels. False
    // when the face cannot be had at that height.
    virtual bool set_font_height(int font_height) = 0;
    // Clears the cell and draws one character at (0, 0), the top of the
    // character box at row 0. code is a single byte (0-255) or, with
    // two_byte, the Shift JIS code lead << 8 | trail. A code that is no
    // character, or that the face lacks, leaves the cell blank. Pixels
    // outside the cell are dropped.
    virtual void draw(uint16_t code, bool two_byte, GlyphCell& cell) = 0;
};

// The FreeType back end: the face whose family is face_name, else IPAGothic
// (fonts-ipafont-gothic), found through fontconfig; codes are taken as
// Shift JIS (single bytes as JIS X 0201: 0x5C is the yen sign). nullptr
// when neither face is installed; *why (when given) then says what failed.
std::unique_ptr<FontRenderer> font_renderer_open_freetype(const std::string& face_name, std::string* why = nullptr);

// A synthetic source for tests: the cell of a code is a fixed pattern made
// of the code, two_byte and the font height, cut to the cell width.
// set_font_height fails for fail_height (0: never).
std::unique_ptr<FontRenderer> font_renderer_synthetic(int fail_height = 0);
// The row byte the synthetic source draws (before the cut to the cell).
uint8_t synthetic_glyph_byte(uint16_t code, bool two_byte, int font_height, int row, int byte);
