#include "host/png_writer.h"

#include <png.h>

#include <csetjmp>
#include <new>
#include <vector>

#include "host/paths.h"

namespace {

// 5- and 6-bit fields to 8 bits, the low bits repeating the high ones.
inline uint8_t expand5(uint32_t v) { return uint8_t((v << 3) | (v >> 2)); }
inline uint8_t expand6(uint32_t v) { return uint8_t((v << 2) | (v >> 4)); }

// libpng's output: the bytes gather in the vector at the io pointer.
void append_bytes(png_structp png, png_bytep data, png_size_t size) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    bool grown = true;
    try {
        out->insert(out->end(), data, data + size);
    } catch (const std::bad_alloc&) { grown = false; }
    if (!grown) png_error(png, "out of memory");
}
void flush_nothing(png_structp) {}

// All libpng work, with nothing here that a longjmp could skip a destructor of.
bool encode_rows(std::vector<uint8_t>* out, png_bytep* rows, png_uint_32 w, png_uint_32 h) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, append_bytes, flush_nothing);
    png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool png_write_rgb16(const std::string& path, const uint16_t* pixels, int32_t stride_pixels, int32_t w, int32_t h,
                     bool rgb565) {
    if (!pixels || w <= 0 || h <= 0 || stride_pixels < w) return false;
    std::vector<uint8_t> rgb(size_t(w) * size_t(h) * 3);
    std::vector<png_bytep> rows(static_cast<size_t>(h));
    for (int32_t y = 0; y < h; y++) {
        const uint16_t* src = pixels + size_t(y) * size_t(stride_pixels);
        uint8_t* dst = rgb.data() + size_t(y) * size_t(w) * 3;
        rows[size_t(y)] = dst;
        for (int32_t x = 0; x < w; x++, dst += 3) {
            uint32_t p = src[x];
            if (rgb565) {
                dst[0] = expand5((p >> 11) & 0x1F);
                dst[1] = expand6((p >> 5) & 0x3F);
            } else {
                dst[0] = expand5((p >> 10) & 0x1F);
                dst[1] = expand5((p >> 5) & 0x1F);
            }
            dst[2] = expand5(p & 0x1F);
        }
    }
    // Encoded in memory, then written whole or not at all.
    std::vector<uint8_t> file;
    if (!encode_rows(&file, rows.data(), png_uint_32(w), png_uint_32(h))) return false;
    return write_file_whole(path, file.data(), file.size());
}
