#include "host/font_renderer.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <iconv.h>

#include <cstring>
#include <optional>

namespace {

inline void set_pixel(GlyphCell& cell, int x, int y) {
    if (x < 0 || y < 0 || x >= cell.width || y >= cell.height) return;
    cell.bits[y * cell.bytes_per_row + (x >> 3)] |= static_cast<uint8_t>(0x80 >> (x & 7));
}

inline void clear_cell(GlyphCell& cell) {
    std::memset(cell.bits, 0, static_cast<size_t>(cell.bytes_per_row) * static_cast<size_t>(cell.height));
}

struct FaceFile {
    std::string path;
    int index;
};

// The installed face whose family (any of its names) is family.
std::optional<FaceFile> find_face(FcConfig* config, const std::string& family) {
    if (family.empty()) return std::nullopt;
    FcPattern* pat = FcPatternCreate();
    if (!pat) return std::nullopt;
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcConfigSubstitute(config, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult result;
    FcPattern* match = FcFontMatch(config, pat, &result);
    FcPatternDestroy(pat);
    if (!match) return std::nullopt;

    std::optional<FaceFile> found;
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
        if (FcStrCmpIgnoreCase(name, reinterpret_cast<const FcChar8*>(family.c_str())) != 0) continue;
        FcChar8* file = nullptr;
        int index = 0;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
            if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
            found = FaceFile{reinterpret_cast<const char*>(file), index};
        }
        break;
    }
    FcPatternDestroy(match);
    return found;
}

class FreeTypeRenderer final : public FontRenderer {
public:
    FreeTypeRenderer(FT_Library lib, FT_Face face, iconv_t sjis, iconv_t cp932)
        : lib_(lib), face_(face), sjis_(sjis), cp932_(cp932) {}
    ~FreeTypeRenderer() override {
        FT_Done_Face(face_);
        FT_Done_FreeType(lib_);
        iconv_close(sjis_);
        if (cp932_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cp932_);
    }

    bool set_font_height(int font_height) override {
        height_ = 0;
        if (font_height <= 0 || FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(font_height)) != 0) return false;
        // The character box is the em: its ascent and descent are shared out
        // over font_height rows, so the baseline sits at the ascent's part.
        long asc = face_->ascender, desc = -static_cast<long>(face_->descender);
        if (FT_IS_SCALABLE(face_) && asc > 0 && desc >= 0)
            baseline_ = static_cast<int>((font_height * asc * 2 + (asc + desc)) / ((asc + desc) * 2));
        else baseline_ = static_cast<int>(face_->size->metrics.ascender >> 6);
        height_ = font_height;
        return true;
    }

    void draw(uint16_t code, bool two_byte, GlyphCell& cell) override {
        clear_cell(cell);
        if (height_ == 0) return;
        uint32_t cp = to_unicode(code, two_byte);
        if (cp == 0) return;
        FT_UInt index = FT_Get_Char_Index(face_, cp);
        if (index == 0) return;
        const FT_Int32 flags = FT_LOAD_TARGET_MONO;
        if (FT_Load_Glyph(face_, index, flags) != 0) return;
        // A character wider than its cell (a full-width yen sign for the
        // half-width code 0x5C) is narrowed to the cell.
        const FT_Pos advance = face_->glyph->advance.x, room = static_cast<FT_Pos>(cell.width) * 64;
        bool narrowed = false;
        if (advance > room + 32) {
            FT_Matrix m{static_cast<FT_Fixed>((room << 16) / advance), 0, 0, 0x10000};
            FT_Set_Transform(face_, &m, nullptr);
            narrowed = true;
        }
        FT_Error err = FT_Load_Glyph(face_, index, flags | FT_LOAD_RENDER);
        if (narrowed) FT_Set_Transform(face_, nullptr, nullptr);
        if (err != 0) return;
        const FT_GlyphSlot slot = face_->glyph;
        const FT_Bitmap& bm = slot->bitmap;
        // Ink that the hinter rounded past an edge of the cell (the overline
        // of 0x7E sits a row above the character box) is moved back inside.
        const int x0 = fit(slot->bitmap_left, static_cast<int>(bm.width), cell.width);
        const int y0 = fit(baseline_ - slot->bitmap_top, static_cast<int>(bm.rows), cell.height);
        const int pitch = bm.pitch < 0 ? -bm.pitch : bm.pitch;
        for (unsigned r = 0; r < bm.rows; ++r) {
            const unsigned char* row = bm.buffer + static_cast<size_t>(bm.pitch < 0 ? bm.rows - 1 - r : r) * pitch;
            for (unsigned c = 0; c < bm.width; ++c) {
                bool on = bm.pixel_mode == FT_PIXEL_MODE_MONO   ? (row[c >> 3] & (0x80 >> (c & 7))) != 0
                          : bm.pixel_mode == FT_PIXEL_MODE_GRAY ? row[c] >= 0x80
                                                                : false;
                if (on) set_pixel(cell, x0 + static_cast<int>(c), y0 + static_cast<int>(r));
            }
        }
    }

private:
    // Start of a run of len pixels at pos, moved to lie inside 0..room when it fits there.
    static int fit(int pos, int len, int room) {
        if (len > room) return pos;
        if (pos + len > room) pos = room - len;
        return pos < 0 ? 0 : pos;
    }

    // One Unicode character from the bytes, 0 when they are none.
    static uint32_t convert(iconv_t cd, const char* bytes, size_t len) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char in_buf[2];
        std::memcpy(in_buf, bytes, len);
        unsigned char out_buf[8];
        char* in = in_buf;
        char* out = reinterpret_cast<char*>(out_buf);
        size_t in_left = len, out_left = sizeof out_buf;
        if (iconv(cd, &in, &in_left, &out, &out_left) == static_cast<size_t>(-1) || in_left != 0 ||
            sizeof out_buf - out_left != 4)
            return 0;
        return static_cast<uint32_t>(out_buf[0]) | static_cast<uint32_t>(out_buf[1]) << 8 |
               static_cast<uint32_t>(out_buf[2]) << 16 | static_cast<uint32_t>(out_buf[3]) << 24;
    }

    uint32_t to_unicode(uint16_t code, bool two_byte) const {
        char bytes[2];
        size_t len;
        if (two_byte) {
            bytes[0] = static_cast<char>(code >> 8);
            bytes[1] = static_cast<char>(code & 0xFF);
            len = 2;
        } else {
            if (code > 0xFF) return 0;
            bytes[0] = static_cast<char>(code);
            len = 1;
        }
        uint32_t cp = convert(sjis_, bytes, len);
        // Vendor codes outside JIS X 0208.
        if (cp == 0 && two_byte && cp932_ != reinterpret_cast<iconv_t>(-1)) cp = convert(cp932_, bytes, len);
        if (cp < 0x20 || cp == 0x7F) return 0;  // control codes draw nothing
        return cp;
    }

    FT_Library lib_;
    FT_Face face_;
    iconv_t sjis_, cp932_;
    int height_ = 0;
    int baseline_ = 0;
};

class SyntheticRenderer final : public FontRenderer {
public:
    explicit SyntheticRenderer(int fail_height) : fail_height_(fail_height) {}
    bool set_font_height(int font_height) override {
        if (font_height == fail_height_) return false;
        height_ = font_height;
        return true;
    }
    void draw(uint16_t code, bool two_byte, GlyphCell& cell) override {
        clear_cell(cell);
        for (int y = 0; y < cell.height; ++y)
            for (int b = 0; b < cell.bytes_per_row; ++b) {
                int keep = cell.width - b * 8;  // pixels of this byte inside the cell
                uint8_t mask = keep >= 8 ? 0xFF : static_cast<uint8_t>(0xFF << (8 - keep));
                cell.bits[y * cell.bytes_per_row + b] = synthetic_glyph_byte(code, two_byte, height_, y, b) & mask;
            }
    }

private:
    int fail_height_;
    int height_ = 0;
};

}  // namespace

uint8_t synthetic_glyph_byte(uint16_t code, bool two_byte, int font_height, int row, int byte) {
    uint32_t h = code * 0x9E3779B1u ^ (two_byte ? 0x5555u : 0u) ^ static_cast<uint32_t>(font_height) << 24 ^
                 static_cast<uint32_t>(row) * 0x85EBCA77u ^ static_cast<uint32_t>(byte) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return static_cast<uint8_t>(h | 1);  // never blank, so a missing glyph shows
}

std::unique_ptr<FontRenderer> font_renderer_open_freetype(const std::string& face_name, std::string* why) {
    auto fail = [why](std::string text) -> std::unique_ptr<FontRenderer> {
        if (why) *why = std::move(text);
        return nullptr;
    };
    // A configuration of our own, dropped after the search: the shared one
    // that FcInit makes is never freed.
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config) return fail("no fontconfig configuration");
    std::optional<FaceFile> file = find_face(config, face_name);
    if (!file) file = find_face(config, "IPAGothic");
    FcConfigDestroy(config);
    if (!file) return fail("no font \"" + face_name + "\" nor IPAGothic (fonts-ipafont-gothic)");

    iconv_t sjis = iconv_open("UTF-32LE", "SHIFT_JIS");
    if (sjis == reinterpret_cast<iconv_t>(-1)) return fail("no Shift JIS conversion (iconv)");
    iconv_t cp932 = iconv_open("UTF-32LE", "CP932");

    FT_Library lib = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&lib) != 0) lib = nullptr;
    if (!lib || FT_New_Face(lib, file->path.c_str(), file->index, &face) != 0) {
        if (lib) FT_Done_FreeType(lib);
        iconv_close(sjis);
        if (cp932 != reinterpret_cast<iconv_t>(-1)) iconv_close(cp932);
        return fail("cannot open the font file " + file->path);
    }
    return std::make_unique<FreeTypeRenderer>(lib, face, sjis, cp932);
}

std::unique_ptr<FontRenderer> font_renderer_synthetic(int fail_height) {
    return std::make_unique<SyntheticRenderer>(fail_height);
}
