// Graphic layer rendering: the pages of the current colour mode in their
// priority order, colour 0 transparent, the half-tone of the front page, the
// (G.Zp) pass for pixels whose palette colour is 0 and the special-priority
// pixels drawn over the sprites.
//
// All renderers take the host frame buffer of g_video_host (buffer_height
// rows of `stride` bytes, 16-bit pixels, picture at (16, 16)) and touch only
// the picture rows marked in line_redraw. A renderer given drawn = 0 first fills
// those rows with its background colour. They return 1 when they ran, else
// the drawn value they were given.
#pragma once

#include <cstdint>


// Layer entry: draws the pages enabled in layers_or by the mode in R20
// bits 8-10. Returns drawn OR what the pages returned.
int32_t vid_draw_graphic(uint8_t* buffer, int32_t drawn);
// Graphic pages enabled on some line of the frame.
int32_t vid_count_graphic_pages();

// 16 colours: page 0-3 at the position whose layer bit is `mask`.
int32_t vid_draw_g16(uint8_t* buffer, int32_t page, int32_t drawn, uint32_t mask);
// 256 colours: page 0 (pages 0/1) or 2 (pages 2/3), layer bits `mask`.
int32_t vid_draw_g256(uint8_t* buffer, int32_t page, int32_t drawn, uint32_t mask);
// 65536 colours; drawn only while the latched R0 mode is 3.
int32_t vid_draw_g65536(uint8_t* buffer, int32_t drawn);
// The 1024 x 1024 16-colour screen.
int32_t vid_draw_g1024(uint8_t* buffer, int32_t drawn);

// Whether the live video-controller R2 high byte asks for half-tone.
bool vid_halftone_enabled();

// After the sprites: the odd-index pixels of the back graphic page over the
// sprites (16 and 256 colours only).
void vid_draw_special_priority(uint8_t* buffer);
void vid_draw_g16_special(uint8_t* buffer, int32_t page, uint32_t mask);
void vid_draw_g256_special(uint8_t* buffer, int32_t page, uint32_t mask);
