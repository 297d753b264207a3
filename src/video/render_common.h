// Helpers shared by the layer renderers: the picture rectangle of the host
// buffer, clamped so that no renderer writes outside it, the raster line of
// an output line, the half-tone average and the side copy of the (G.Zp) and
// (S.Zp) passes.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "video/video_state.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ZOLM_RENDER_SSSE3 1
#else
#define ZOLM_RENDER_SSSE3 0
#endif

namespace render {

// The picture inside the host buffer: output line i is buffer row 16 + i,
// dot n is column 16 + n. width and height are src_width and src_height
// cut to what the buffer and the per-line tables hold.
struct Surface {
    uint8_t* base = nullptr;
    int32_t stride = 0;  // bytes per row
    int32_t width = 0;
    int32_t height = 0;

    // Buffer row y (0 = the top border row), as pixels.
    uint16_t* buffer_row(int32_t y) const {
        return reinterpret_cast<uint16_t*>(base + static_cast<intptr_t>(y) * stride);
    }
    // Output line i from its first picture dot.
    uint16_t* line(int32_t i) const { return buffer_row(16 + i) + 16; }
};

// False (and nothing may be drawn) unless the buffer is a 16-bit one with
// room for at least one picture dot.
inline bool surface_of(uint8_t* buffer, Surface& s) {
    const VideoState& v = g_video;
    const VideoHost& h = g_video_host;
    if (!buffer || h.bits_per_pixel != 16 || h.bytes_per_pixel != 2) return false;
    if (h.stride < 2 * 17 || (h.stride & 1) || h.buffer_height <= 16) return false;
    const int32_t row_dots = std::min(h.stride / 2 - 16, h.buffer_width);
    const int32_t rows = std::min<int32_t>(h.buffer_height - 16, sizeof v.line_redraw);
    s.base = buffer;
    s.stride = h.stride;
    s.width = std::clamp(v.src_width, 0, std::max(row_dots, 0));
    s.height = std::clamp(v.src_height, 0, rows);
    return s.width > 0 && s.height > 0;
}

// Raster line of output line i for line step `step` (vid_line_step): the
// logs hold 512 lines, and writes past the last raster line land on 511.
inline int32_t raster_of(int32_t i, int32_t step) { return std::min(i * step / 2, VID_LOG_LINES - 1); }

// 50 % blend of two host pixels; the mask clears the low bit of each colour
// field so that the sum cannot carry from one field into the next.
inline uint16_t halftone(uint32_t a, uint32_t b, uint32_t mask) {
    return static_cast<uint16_t>(((a & mask) + (b & mask)) >> 1);
}

// c over `under` where c is 0 for a transparent dot, without a branch (the
// dots of real pictures are too irregular to predict).
inline uint16_t over(uint32_t c, uint16_t under) {
    return static_cast<uint16_t>(c | (under & (0u - static_cast<uint32_t>(c == 0))));
}

// Eight host pixels at once: c over the eight pixels at dst, where a 0 in c
// keeps the pixel under it.
using Px8 = uint16_t __attribute__((vector_size(16)));
inline void over8(uint16_t* dst, Px8 c) {
    Px8 under;
    std::memcpy(&under, dst, sizeof under);
    under = c | (under & reinterpret_cast<Px8>(c == 0));
    std::memcpy(dst, &under, sizeof under);
}

// Eight pixels from four entries of a table of pixel pairs (first pixel in
// the low half).
using Pair4 = uint32_t __attribute__((vector_size(16)));
inline Px8 pairs(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    if constexpr (std::endian::native == std::endian::little) {
        return reinterpret_cast<Px8>(Pair4{a, b, c, d});
    } else {
        return Px8{uint16_t(a), uint16_t(a >> 16), uint16_t(b), uint16_t(b >> 16),
                   uint16_t(c), uint16_t(c >> 16), uint16_t(d), uint16_t(d >> 16)};
    }
}

#if ZOLM_RENDER_SSSE3
// Whether the SSSE3 paths run: only on a host that has the instructions.
// They draw exactly what the portable paths draw.
inline bool g_use_ssse3 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3") != 0;
}();

// A 16-colour palette split into the low and the high bytes of its host
// pixels, for byte shuffles.
struct Palette16 {
    alignas(16) uint8_t lo[16];
    alignas(16) uint8_t hi[16];
};

template <class T> inline void palette16_of(Palette16& p, const T* colours) {
    for (int32_t n = 0; n < 16; ++n) {
        p.lo[n] = static_cast<uint8_t>(colours[n]);
        p.hi[n] = static_cast<uint8_t>(colours[n] >> 8);
    }
}

// The host pixels of the 16 indices (0-15) in idx: the dots of the low
// eight in `first`, of the high eight in `second`.
__attribute__((target("ssse3"))) inline void colours16(__m128i idx, __m128i lo, __m128i hi, __m128i& first,
                                                       __m128i& second) {
    const __m128i l = _mm_shuffle_epi8(lo, idx), h = _mm_shuffle_epi8(hi, idx);
    first = _mm_unpacklo_epi8(l, h);
    second = _mm_unpackhi_epi8(l, h);
}

// Eight host pixels px over the eight pixels at dst: a 0 keeps the pixel
// under it (as over8).
__attribute__((target("ssse3"))) inline void over8_sse(uint16_t* dst, __m128i px) {
    const __m128i under = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst));
    const __m128i keep = _mm_cmpeq_epi16(px, _mm_setzero_si128());
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_or_si128(px, _mm_and_si128(under, keep)));
}

// Sixteen dots of indices idx (0-15) over the sixteen pixels at dst.
__attribute__((target("ssse3"))) inline void over16_idx(uint16_t* dst, __m128i idx, __m128i lo, __m128i hi) {
    __m128i a, b;
    colours16(idx, lo, hi, a, b);
    over8_sse(dst, a);
    over8_sse(dst + 8, b);
}
#endif

// Colour tables the inner loops look dots up in are 32-bit: a table of
// 16-bit entries could alias the 16-bit pixels being written, and every
// store would force the next entry to be read again.
using ColourEntry = uint32_t;

// The side copy keeps what lay under a layer (vid_draw_gzp_base): the
// first max(sprite plane, picture) dots of each of the first max(sprite
// plane, picture) rows, cut to the buffer, at side_copy_offset bytes to the
// right. It starts 16 dots right of both the picture and the sprite plane,
// so it never covers a visible dot; the renderers write nothing outside
// the picture, so nothing covers it either.
struct SideCopy {
    bool active = false;
    int32_t offset = 0;  // in pixels
    int32_t width = 0;   // dots of each row that were copied
    int32_t height = 0;  // rows that were copied

    // Whether picture dot (n, i) has a saved copy.
    bool covers(int32_t n, int32_t i) const { return active && n < width && i < height; }
};

inline SideCopy side_copy_of(bool active, const Surface& s) {
    const VideoState& v = g_video;
    SideCopy c;
    c.offset = v.side_copy_offset / 2;
    c.active = active && c.offset >= s.width + 16;
    c.width = std::min(std::max<int32_t>(v.sprite_plane_width, s.width), s.stride / 2 - 16 - c.offset);
    c.height = std::min(std::max<int32_t>(v.sprite_plane_height, s.height), g_video_host.buffer_height - 16);
    return c;
}

// Takes the side copy when a sprite plane's width of it fits in the row:
// returns true with side_copy_offset set.
inline bool side_copy_begin(uint8_t* buffer, const Surface& s) {
    VideoState& v = g_video;
    const int32_t pw = v.sprite_plane_width, ph = v.sprite_plane_height;
    if (pw <= 0 || ph <= 0) return false;
    const int32_t start = std::max(pw, s.width) + 16;
    if (start + pw > s.stride / 2 - 16 || 16 + ph > g_video_host.buffer_height) return false;
    vid_draw_gzp_base(buffer, start * g_video_host.bytes_per_pixel);
    return side_copy_of(true, s).active;
}

}  // namespace render
