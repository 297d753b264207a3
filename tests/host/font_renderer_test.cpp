#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "host/font_renderer.h"

namespace {

struct Ink {
    int count = 0;
    int top = 1 << 30, bottom = -1, left = 1 << 30, right = -1;
};

Ink draw(FontRenderer& r, uint16_t code, bool two_byte, int w, int h, int font_height) {
    const int bpr = (w + 7) / 8;
    std::vector<uint8_t> bits(static_cast<size_t>(bpr * h) + 1, 0xFF);  // one guard byte
    GlyphCell cell{w, h, bpr, bits.data()};
    EXPECT_TRUE(r.set_font_height(font_height));
    r.draw(code, two_byte, cell);
    EXPECT_EQ(bits.back(), 0xFF) << "wrote past the cell";
    Ink ink;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < bpr * 8; ++x) {
            if (!(bits[y * bpr + x / 8] & (0x80 >> (x % 8)))) continue;
            EXPECT_LT(x, w) << "pixel right of the cell";
            ++ink.count;
            ink.top = std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
            ink.left = std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
        }
    return ink;
}

class FreeTypeFont : public ::testing::Test {
protected:
    void SetUp() override {
        // An unknown face falls back to IPAGothic.
        renderer_ = font_renderer_open_freetype("No Such Face 0123");
        if (!renderer_) GTEST_SKIP() << "IPAGothic (fonts-ipafont-gothic) is not installed";
    }
    std::unique_ptr<FontRenderer> renderer_;
};

TEST_F(FreeTypeFont, CharactersFillTheirCells) {
    // box: the width the character takes, half the height for single bytes.
    struct Case {
        uint16_t code;
        bool two_byte;
        int w, h, font_height, box;
    };
    const Case cases[] = {
        {0x889F, true, 16, 16, 16, 16},                                  // 亜
        {0x889F, true, 24, 24, 24, 24}, {0x82A0, true, 16, 16, 16, 16},  // あ
        {0x41, false, 8, 16, 16, 8},                                     // A
        {0x41, false, 12, 12, 12, 6},   // the 12 x 12 cell holds a half-width character
        {0xB1, false, 12, 24, 24, 12},  // half-width ｱ
        {0x5C, false, 8, 16, 16, 8},    // yen sign, narrowed from the face's full width
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.code << " at " << std::dec << c.font_height);
        Ink ink = draw(*renderer_, c.code, c.two_byte, c.w, c.h, c.font_height);
        EXPECT_GT(ink.count, c.box * c.h / 12);
        EXPECT_LT(ink.count, c.box * c.h / 2);
        // Neither shifted out of the cell nor squeezed into a corner.
        EXPECT_LE(ink.top, c.h / 4);
        EXPECT_GE(ink.bottom, c.h * 3 / 4 - 1);
        EXPECT_LE(ink.left, c.box / 4);
        EXPECT_GE(ink.right, c.box * 3 / 4 - 1);
        EXPECT_LT(ink.right, c.box);
    }
}

TEST_F(FreeTypeFont, OverlineThatTheHinterPutsAboveTheBoxStaysInside) {
    Ink ink = draw(*renderer_, 0x7E, false, 8, 16, 16);
    EXPECT_GT(ink.count, 0);
    EXPECT_LE(ink.bottom, 3);
}

TEST_F(FreeTypeFont, CodesThatAreNoCharacterLeaveTheCellBlank) {
    struct Case {
        uint16_t code;
        bool two_byte;
    };
    const Case cases[] = {
        {0x8140, true},  // ideographic space
        {0x8540, true},  // unassigned
        {0x20, false},   // space
        {0x0A, false},   // control code
        {0x81, false},   // a lead byte alone
        {0xFF, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.code);
        EXPECT_EQ(draw(*renderer_, c.code, c.two_byte, 16, 16, 16).count, 0);
    }
}

}  // namespace
