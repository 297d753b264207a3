// Graphic layer rendering: 16, 256 and 65536 colours and the 1024 x 1024
// screen, half-tone, the (G.Zp) pass and the special-priority pixels.
#include "video/render_graphic.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

#include "machine/settings.h"
#include "video/crtc.h"
#include "video/palette.h"
#include "video/render_common.h"
#include "video/video_state.h"
#include "video/vram.h"


namespace {

using render::SideCopy;
using render::Surface;

uint32_t colour_mode() { return crtc_memory_mode(); }

// How a byte-per-pixel page treats its pixels.
enum class PixelRule {
    plain,     // index 0 transparent, colour from the palette
    half_odd,  // half-tone: odd indices blend the even colour below them with the picture
    half_all,  // half-tone over the (G.Zp) copy: every pixel blends, index 0 too
};

// Calls f(n, pos) for the dots n = 0 .. width - 1 of a line whose dot n
// lies at pos = (x + n) & (size - 1), in runs that do not wrap.
template <uint32_t kSize, class F> inline void for_each_run(uint32_t x, int32_t width, F&& f) {
    for (int32_t n = 0; n < width;) {
        const uint32_t pos = (x + uint32_t(n)) & (kSize - 1);
        const int32_t len = std::min<int32_t>(width - n, int32_t(kSize - pos));
        f(n, pos, len);
        n += len;
    }
}

// One line of a byte-per-pixel page (16 or 256 colours) in the common case,
// no half-tone and no side copy, without branches per dot: a colour-0
// pixel keeps what is under it. `src` is the store line, X the scroll,
// `opaque` the page's colours with index 0 transparent (host pixel 0);
// kMayLose when some nonzero index has colour 0, which the (G.Zp) pass must
// hear of. Returns whether the line holds a nonzero index.
template <uint32_t kIndexMask, bool kMayLose>
bool draw_index_line_plain(uint16_t* dst, const uint8_t* src, uint32_t x, int32_t width,
                           const render::ColourEntry* opaque, uint8_t& clean) {
    constexpr uint64_t kChunkMask = kIndexMask == 0xF ? 0x0F0F0F0F0F0F0F0Full : ~0ull;
    uint64_t any = 0;
    uint32_t lost = 0;
    for_each_run<512>(x, width, [&](int32_t n, uint32_t pos, int32_t len) {
        const uint8_t* s = src + pos;
        uint16_t* d = dst + n;
        auto dot = [&](int32_t k) {
            const uint32_t idx = s[k] & kIndexMask;
            const uint32_t c = opaque[idx];
            if constexpr (kMayLose) lost |= uint32_t(idx != 0) & uint32_t(c == 0);
            d[k] = render::over(c, d[k]);
        };
        auto eight = [&](int32_t k) {
            if constexpr (kMayLose) {
                for (int32_t j = 0; j < 8; ++j) dot(k + j);
            } else {
                const uint8_t* e = s + k;
                auto c = [&](int32_t j) { return uint16_t(opaque[e[j] & kIndexMask]); };
                render::over8(d + k, render::Px8{c(0), c(1), c(2), c(3), c(4), c(5), c(6), c(7)});
            }
        };
        int32_t k = 0;
        // 32 pixels at a time: a blank stretch is passed over at once, and
        // a scattered picture rarely has one, so the test stays predictable.
        for (; k + 32 <= len; k += 32) {
            uint64_t q[4];
            std::memcpy(q, s + k, sizeof q);
            const uint64_t bits = (q[0] | q[1] | q[2] | q[3]) & kChunkMask;
            if (!bits) continue;
            any |= bits;
            for (int32_t j = 0; j < 32; j += 8) eight(k + j);
        }
        for (; k + 8 <= len; k += 8) {
            uint64_t q;
            std::memcpy(&q, s + k, sizeof q);
            any |= q & kChunkMask;
            eight(k);
        }
        for (; k < len; ++k) {
            any |= s[k] & kIndexMask;
            dot(k);
        }
    });
    if (lost) clean = 0;
    return any != 0;
}

#if ZOLM_RENDER_SSSE3
// A run of draw_index_line_plain<0xF, false> that does not wrap: len dots
// from src to dst. Returns the OR of the indices.
__attribute__((target("ssse3"))) uint32_t draw_g16_run_ssse3(uint16_t* d, const uint8_t* s, int32_t len,
                                                             const render::ColourEntry* opaque,
                                                             const render::Palette16& pal) {
    const __m128i lo = _mm_load_si128(reinterpret_cast<const __m128i*>(pal.lo));
    const __m128i hi = _mm_load_si128(reinterpret_cast<const __m128i*>(pal.hi));
    const __m128i nib = _mm_set1_epi8(0x0F), zero = _mm_setzero_si128();
    __m128i any = zero;
    int32_t k = 0;
    // 32 dots at a time: a blank stretch is passed over at once.
    for (; k + 32 <= len; k += 32) {
        const __m128i a = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + k)), nib);
        const __m128i b = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + k + 16)), nib);
        const __m128i both = _mm_or_si128(a, b);
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(both, zero)) == 0xFFFF) continue;
        any = _mm_or_si128(any, both);
        render::over16_idx(d + k, a, lo, hi);
        render::over16_idx(d + k + 16, b, lo, hi);
    }
    for (; k + 8 <= len; k += 8) {
        const __m128i a = _mm_and_si128(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + k)), nib);
        any = _mm_or_si128(any, a);
        __m128i first, second;
        render::colours16(a, lo, hi, first, second);
        render::over8_sse(d + k, first);
    }
    uint32_t rest = 0;
    for (; k < len; ++k) {
        const uint32_t idx = s[k] & 0xF;
        rest |= idx;
        d[k] = render::over(opaque[idx], d[k]);
    }
    return rest | uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(any, zero)) != 0xFFFF);
}

bool draw_g16_line_ssse3(uint16_t* dst, const uint8_t* src, uint32_t x, int32_t width,
                         const render::ColourEntry* opaque) {
    render::Palette16 pal;
    render::palette16_of(pal, opaque);
    uint32_t any = 0;
    for_each_run<512>(x, width, [&](int32_t n, uint32_t pos, int32_t len) {
        any |= draw_g16_run_ssse3(dst + n, src + pos, len, opaque, pal);
    });
    return any != 0;
}
#endif

// Any line of a byte-per-pixel page, by the pixel rule.
template <uint32_t kIndexMask, PixelRule kRule>
bool draw_index_line(uint16_t* dst, const uint8_t* src, uint32_t x, int32_t width, const render::ColourEntry* opaque,
                     uint32_t ht_mask, const SideCopy& side, int32_t line, uint8_t& clean) {
    constexpr uint32_t kEven = kIndexMask & ~1u;
    if (kRule == PixelRule::plain && !side.active) {
        const bool may_lose = std::find(opaque + 1, opaque + kIndexMask + 1, 0u) != opaque + kIndexMask + 1;
#if ZOLM_RENDER_SSSE3
        if (kIndexMask == 0xF && !may_lose && render::g_use_ssse3)
            return draw_g16_line_ssse3(dst, src, x, width, opaque);
#endif
        return may_lose ? draw_index_line_plain<kIndexMask, true>(dst, src, x, width, opaque, clean)
                        : draw_index_line_plain<kIndexMask, false>(dst, src, x, width, opaque, clean);
    }
    uint32_t any = 0;
    const uint16_t* pal = g_video.g_pal_host;
    for (int32_t n = 0; n < width; ++n) {
        const uint32_t idx = src[(x + n) & 0x1FF] & kIndexMask;
        if (kRule != PixelRule::half_all && idx == 0) continue;
        any |= idx;
        uint32_t c;
        if constexpr (kRule == PixelRule::plain) {
            c = pal[idx];
        } else if constexpr (kRule == PixelRule::half_odd) {
            c = (idx & 1) ? render::halftone(pal[idx & kEven], dst[n], ht_mask) : pal[idx];
        } else {
            c = render::halftone(pal[idx & kEven], dst[n], ht_mask);
        }
        if (c) {
            dst[n] = static_cast<uint16_t>(c);
        } else {
            clean = 0;
            if (side.covers(n, line)) dst[n] = dst[n + side.offset];
        }
    }
    return any != 0;
}

using IndexLineFn = bool (*)(uint16_t*, const uint8_t*, uint32_t, int32_t, const render::ColourEntry*, uint32_t,
                             const SideCopy&, int32_t, uint8_t&);

template <uint32_t kIndexMask> IndexLineFn index_line_fn(PixelRule rule) {
    switch (rule) {
    case PixelRule::plain: return draw_index_line<kIndexMask, PixelRule::plain>;
    case PixelRule::half_odd: return draw_index_line<kIndexMask, PixelRule::half_odd>;
    default: return draw_index_line<kIndexMask, PixelRule::half_all>;
    }
}

// A 512 x 512 byte-per-pixel page as the renderers see it.
struct IndexPage {
    const uint8_t* store;  // first byte of the page's part of the store
    int32_t flags;         // first entry of its lines in the non-empty flags
    uint32_t y;            // Y scroll
    const uint16_t* xlog;  // X scroll log
    uint32_t mask;         // layer-enable bits
};

IndexPage index_page(uint32_t store_page, uint32_t scroll_page, uint32_t mask) {
    return {g_gvram + store_page * 0x40000, static_cast<int32_t>(store_page * 512),
            crtc_reg(crtc_graphic_y(scroll_page)), g_video.g_line_log_gscroll[scroll_page & 3], mask};
}

PixelRule rule_for(bool halftone) {
    if (!halftone) return PixelRule::plain;
    const bool keep_zero = !g_video.gzp_active || (g_pal.vc_regs[VC_R2_HIGH] & 4);
    return keep_zero ? PixelRule::half_odd : PixelRule::half_all;
}

// Walks the lines to redraw of a byte-per-pixel page.
void draw_index_page(const Surface& s, const IndexPage& pg, IndexLineFn line_fn, bool blank_zero) {
    VideoState& v = g_video;
    const int32_t step = vid_line_step();
    const SideCopy side = render::side_copy_of(v.gzp_active, s);
    render::ColourEntry colours[256];
    std::copy(v.g_pal_host, v.g_pal_host + 256, colours);
    colours[0] = 0;
    for (int32_t i = 0; i < s.height; ++i) {
        if (!v.line_redraw[i]) continue;
        const uint32_t line = (pg.y + i) & 0x1FF;
        const int32_t r = render::raster_of(i, step);
        if ((!v.graphic_line_nonempty[pg.flags + line] && blank_zero) || !(v.g_line_log_layers[r] & pg.mask)) continue;
        const uint32_t x = pg.xlog[r & v.g_gscroll_log_mask];
        const bool any = line_fn(s.line(i), pg.store + line * 512, x, s.width, colours, g_video_host.g_halftone_mask,
                                 side, i, v.gzp_clean);
        v.graphic_line_nonempty[pg.flags + line] = any ? 1 : 0;
    }
}

// Only the odd-index pixels, in their palette colour, over what is there.
template <uint32_t kIndexMask> void draw_special_page(const Surface& s, const IndexPage& pg) {
    const VideoState& v = g_video;
    const int32_t step = vid_line_step();
    for (int32_t i = 0; i < s.height; ++i) {
        if (!v.line_redraw[i]) continue;
        const uint32_t line = (pg.y + i) & 0x1FF;
        const int32_t r = render::raster_of(i, step);
        if (!v.graphic_line_nonempty[pg.flags + line] || !(v.g_line_log_layers[r] & pg.mask)) continue;
        const uint32_t x = pg.xlog[r & v.g_gscroll_log_mask];
        const uint8_t* src = pg.store + line * 512;
        uint16_t* dst = s.line(i);
        for (int32_t n = 0; n < s.width; ++n) {
            const uint32_t idx = src[(x + n) & 0x1FF] & kIndexMask;
            if (!(idx & 1)) continue;
            const uint16_t c = v.g_pal_host[idx];
            if (c) dst[n] = c;
        }
    }
}

void trace_page(const char* tag, int32_t number) {
    g_render_trace += tag;
    g_render_trace += '(';
    g_render_trace += std::to_string(number);
    g_render_trace += ')';
}

}  // namespace

bool vid_halftone_enabled() {
    const uint32_t h = g_pal.vc_regs[VC_R2_HIGH];
    if (h & 0x40) return true;
    return (h & 0x18) == 0x18 && (h & 3);
}

int32_t vid_count_graphic_pages() {
    const uint32_t on = static_cast<uint32_t>(g_video.layers_or);
    switch (colour_mode()) {
    case 0: return std::popcount(on & 0xFu);
    case 1: return ((on & 0xC) ? 1 : 0) + ((on & 3) ? 1 : 0);
    case 3: return (on & 0xF) ? 1 : 0;
    default: return (on & 0x10) ? 1 : 0;
    }
}

int32_t vid_draw_g16(uint8_t* buffer, int32_t page, int32_t drawn, uint32_t mask) {
    Surface s;
    if (!render::surface_of(buffer, s)) return drawn;
    trace_page("G4", page);
    if (!drawn) vid_fill_lines(buffer, g_video.g_pal_host[0]);
    const PixelRule rule = rule_for(vid_halftone_enabled() && mask == 1);
    const IndexPage pg = index_page(page & 3, page & 3, mask);
    draw_index_page(s, pg, index_line_fn<0xF>(rule), rule != PixelRule::half_all);
    return 1;
}

int32_t vid_draw_g256(uint8_t* buffer, int32_t page, int32_t drawn, uint32_t mask) {
    Surface s;
    if (!render::surface_of(buffer, s)) return drawn;
    page &= 2;
    trace_page("G8", page / 2);
    if (!drawn) vid_fill_lines(buffer, g_video.g_pal_host[0]);
    const PixelRule rule = rule_for(vid_halftone_enabled() && mask == 3);
    const IndexPage pg = index_page(page / 2, page, mask);
    draw_index_page(s, pg, index_line_fn<0xFF>(rule), rule != PixelRule::half_all);
    return 1;
}

int32_t vid_draw_g65536(uint8_t* buffer, int32_t drawn) {
    if ((g_pal.vc_latch[VC_R0_LOW] & 7) != 3) return drawn;
    Surface s;
    if (!render::surface_of(buffer, s)) return drawn;
    VideoState& v = g_video;
    g_render_trace += "G16(1)";
    if (!drawn) vid_fill_lines(buffer, g_pal_lut[0]);
    const bool ht = vid_halftone_enabled();
    const bool ht_odd = ht && (g_pal.vc_regs[VC_R2_HIGH] & 4);
    const bool ht_all = ht && !ht_odd;
    const uint32_t y = crtc_reg(CRTC_GR0_Y);
    const uint32_t m = g_video_host.g_halftone_mask;
    const int32_t step = vid_line_step();
    for (int32_t i = 0; i < s.height; ++i) {
        if (!v.line_redraw[i]) continue;
        const uint32_t line = (y + i) & 0x1FF;
        const int32_t r = render::raster_of(i, step);
        // With every pixel blended, a line of colour word 0 still darkens the picture.
        if ((!v.graphic_line_nonempty[line] && !ht_all) || !(v.g_line_log_layers[r] & 0xF)) continue;
        const uint32_t x = v.g_line_log_gscroll[0][r & v.g_gscroll_log_mask];
        const uint8_t* src = g_gvram + line * 1024;
        uint16_t* dst = s.line(i);
        uint32_t any = 0;
        if (!ht) {
            for_each_run<512>(x, s.width, [&](int32_t n, uint32_t pos, int32_t len) {
                const uint8_t* p = src + pos * 2;
                uint16_t* d = dst + n;
                // g_pal_lut gives 0 only for word 0.
                auto word = [&](int32_t k) { return (uint32_t(p[2 * k]) << 8) | p[2 * k + 1]; };
                int32_t k = 0;
                for (; k + 8 <= len; k += 8) {
                    uint64_t w[2];
                    std::memcpy(w, p + 2 * k, sizeof w);
                    if (!(w[0] | w[1])) continue;
                    any = 1;
                    auto c = [&](int32_t j) { return g_pal_lut[word(k + j)]; };
                    render::over8(d + k, render::Px8{c(0), c(1), c(2), c(3), c(4), c(5), c(6), c(7)});
                }
                for (; k < len; ++k) {
                    any |= word(k);
                    d[k] = render::over(g_pal_lut[word(k)], d[k]);
                }
            });
            v.graphic_line_nonempty[line] = any ? 1 : 0;
            continue;
        }
        for (int32_t n = 0; n < s.width; ++n) {
            const uint8_t* p = src + ((x + n) & 0x1FF) * 2;
            const uint32_t word = (uint32_t(p[0]) << 8) | p[1];
            any |= word;
            if (ht_all) {
                dst[n] = render::halftone(g_pal_lut[word & 0xFFFE], dst[n], m);
            } else if (word == 0) {
                continue;
            } else if (ht_odd && (word & 1)) {
                dst[n] = render::halftone(g_pal_lut[word - 1], dst[n], m);
            } else {
                dst[n] = g_pal_lut[word];
            }
        }
        v.graphic_line_nonempty[line] = any ? 1 : 0;
    }
    return 1;
}

int32_t vid_draw_g1024(uint8_t* buffer, int32_t drawn) {
    Surface s;
    if (!render::surface_of(buffer, s)) return drawn;
    VideoState& v = g_video;
    g_render_trace += "G41(1)";
    const uint16_t* pal = v.g_pal_host;
    if (!drawn) vid_fill_lines(buffer, pal[0]);
    render::ColourEntry colours[16];
    std::copy(pal, pal + 16, colours);
    const bool ht = vid_halftone_enabled();
    const bool ht_odd = ht && (g_pal.vc_regs[VC_R2_HIGH] & 4);
    const bool ht_all = ht && !ht_odd;
    // Index 0 is drawn in palette colour 0 here: a line of index 0 shows
    // nothing only while that colour is transparent.
    const bool blank_zero = pal[0] == 0 && !ht_all;
    const uint32_t y = crtc_reg(CRTC_GR0_Y);
    const uint32_t m = g_video_host.g_halftone_mask;
    const int32_t step = vid_line_step();
    for (int32_t i = 0; i < s.height; ++i) {
        if (!v.line_redraw[i]) continue;
        const uint32_t line = (y + i) & 0x3FF;
        const int32_t r = render::raster_of(i, step);
        if ((!v.graphic_line_nonempty[line] && blank_zero) || !(v.g_line_log_layers[r] & 0x10)) continue;
        const uint32_t x = v.g_line_log_gscroll[0][r & v.g_gscroll_log_mask];
        const uint8_t* src = g_gvram + line * 1024;
        uint16_t* dst = s.line(i);
        uint32_t any = 0;
        if (!ht) {
            for_each_run<1024>(x, s.width, [&](int32_t n, uint32_t pos, int32_t len) {
                const uint8_t* p = src + pos;
                uint16_t* d = dst + n;
                int32_t k = 0;
                for (; k + 8 <= len; k += 8) {
                    uint64_t eight;
                    std::memcpy(&eight, p + k, 8);
                    eight &= 0x0F0F0F0F0F0F0F0Full;
                    if (!eight && !colours[0]) continue;
                    any |= eight;
                    auto c = [&](int32_t j) { return uint16_t(colours[p[k + j] & 0xF]); };
                    render::over8(d + k, render::Px8{c(0), c(1), c(2), c(3), c(4), c(5), c(6), c(7)});
                }
                for (; k < len; ++k) {
                    const uint32_t idx = p[k] & 0xF;
                    any |= idx;
                    d[k] = render::over(colours[idx], d[k]);
                }
            });
            v.graphic_line_nonempty[line] = any ? 1 : 0;
            continue;
        }
        for (int32_t n = 0; n < s.width; ++n) {
            const uint32_t idx = src[(x + n) & 0x3FF] & 0xF;
            any |= idx;
            if (ht_all || (ht_odd && (idx & 1))) {
                dst[n] = render::halftone(pal[idx & 0xE], dst[n], m);
            } else if (pal[idx]) {
                dst[n] = pal[idx];
            }
        }
        v.graphic_line_nonempty[line] = any ? 1 : 0;
    }
    return 1;
}

int32_t vid_draw_graphic(uint8_t* buffer, int32_t drawn) {
    VideoState& v = g_video;
    Surface s;
    if (!render::surface_of(buffer, s)) return drawn;
    v.gzp_active = 0;
    if (!v.gzp_clean && g_settings.gpriority && drawn && vid_count_graphic_pages() > 1 &&
        render::side_copy_begin(buffer, s)) {
        v.gzp_active = 1;
        g_render_trace += "(G.Zp)";
    }
    v.gzp_clean = 1;

    const uint32_t order = g_pal.vc_latch[VC_R1_LOW];
    const uint32_t on = static_cast<uint32_t>(v.layers_or);
    switch (colour_mode()) {
    case 0:
        for (int32_t e = 3; e >= 0; --e) {
            if (!g_video_host.layer_off[4 + e] && (on & (1u << e)))
                drawn |= vid_draw_g16(buffer, (order >> (2 * e)) & 3, drawn, 1u << e);
        }
        break;
    case 1:
        for (int32_t n = 2; n >= 0; n -= 2) {
            if (!g_video_host.layer_off[4 + n / 2] && (on & (3u << n)))
                drawn |= vid_draw_g256(buffer, (order >> (2 * n)) & 2, drawn, 3u << n);
        }
        break;
    case 3:
        if (!g_video_host.layer_off[4] && (on & 0xF)) return vid_draw_g65536(buffer, drawn);
        break;
    default:
        if (!g_video_host.layer_off[4] && (on & 0x10)) return vid_draw_g1024(buffer, drawn);
        break;
    }
    return drawn;
}

void vid_draw_g16_special(uint8_t* buffer, int32_t page, uint32_t mask) {
    Surface s;
    if (!render::surface_of(buffer, s)) return;
    draw_special_page<0xF>(s, index_page(page & 3, page & 3, mask));
}

void vid_draw_g256_special(uint8_t* buffer, int32_t page, uint32_t mask) {
    Surface s;
    if (!render::surface_of(buffer, s)) return;
    page &= 2;
    draw_special_page<0xFF>(s, index_page(page / 2, page, mask));
}

void vid_draw_special_priority(uint8_t* buffer) {
    const uint32_t on = static_cast<uint32_t>(g_video.layers_or);
    const uint32_t order = g_pal.vc_latch[VC_R1_LOW];
    switch (colour_mode()) {
    case 0:
        if (on & 8) vid_draw_g16_special(buffer, order & 3, 8);
        break;
    case 1:
        if (on & 0xC) vid_draw_g256_special(buffer, order & 2, 0xC);
        break;
    default: break;
    }
}
