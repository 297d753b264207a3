// The files of start-up: the IPL and CG ROM images, the substitute CG ROM
// rendered from a host font and its cache "cgrom.tmp", and the FONT file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "host/font_renderer.h"
#include "host/message_box.h"

// Opens folder/name for reading when it is a regular file (fopen_regular);
// on success logs "loading..:" and the full path. Whole-file writes go
// through write_file_whole (host/paths.h).
std::FILE* init_open_logged(std::string_view name, std::string_view folder);

// Writes the data, whole or not at all, as name in the first of the current
// folder, g_start_dir and g_exe_dir where the write succeeds. Returns the
// path written; empty when no folder took it (errno tells why).
std::string init_open_for_write(std::string_view name, const void* data, size_t size);

// Loads the IPL ROM and the CG ROM into g_iplrom and g_cgrom. Each is the
// first of its names found in g_start_dir, then in g_exe_dir; a short file
// fills only the start of its image, and an empty one is passed over, both
// told in the log and in the box "ZOLM ROM file". Without a CG ROM file:
// "cgrom.tmp" or a rendered substitute, else a FONT file. Returns 0, or -1
// after the message box "ZOLM initialize 1" (no IPL ROM) or
// "ZOLM initialize 2" (no CG ROM at all).
int init_load_roms();
// Why init_load_roms last failed, in one line with what to do about it
// (the files looked for and where); empty after a success.
const std::string& init_load_roms_failure();
// Loads "cgrom.tmp" (g_start_dir, then g_exe_dir); a file of the wrong size
// is passed over. Without one, renders the substitute, showing the notice
// while it works, and saves it as "cgrom.tmp". Returns 1 when g_cgrom holds
// a CG ROM, 0 otherwise.
int init_load_cgrom_tmp();
// Renders the six fonts of the substitute into g_cgrom from the WINFONT
// face. Returns 1, or 0 when no face or font size could be had (the glyphs
// already drawn stay).
int init_make_cgrom_from_font();
// Replaces g_cgrom with the file named by FONT (a relative path is taken
// from the current folder) when it is exactly 0xC0000 bytes. Returns 1 when
// it did; otherwise 0 and the image is unchanged.
int init_load_font_rom();

// The fonts of the substitute CG ROM, in rendering order. Two-byte fonts
// hold the 7238 characters of JIS X 0208 rows 1-8 and 16-84.
struct CgFont {
    int cell_w, cell_h;
    int font_height;
    int count;
    bool two_byte;
    uint32_t area;  // emulated address of the first glyph
    constexpr int bytes_per_row() const { return (cell_w + 7) / 8; }
    constexpr int bytes_per_glyph() const { return bytes_per_row() * cell_h; }
};
inline constexpr int CG_KANJI_COUNT = 7238;
inline constexpr CgFont CG_FONTS[6] = {
    {8, 8, 8, 256, false, 0xF3A000},
    {8, 16, 16, 256, false, 0xF3A800},
    {12, 12, 12, 256, false, 0xF3B800},
    {12, 24, 24, 256, false, 0xF3D000},
    {16, 16, 16, CG_KANJI_COUNT, true, 0xF00000},
    {24, 24, 24, CG_KANJI_COUNT, true, 0xF40000},
};

// Shift JIS code (lead << 8 | trail) of two-byte glyph i.
uint16_t cgrom_glyph_code(int i);
// Draws the fonts of CG_FONTS into image (the 0xC0000-byte CG ROM image)
// in order; the rest of the image is not written. Returns how many fonts
// were drawn whole: 6, or the index of the font whose size failed.
int cgrom_render(FontRenderer& renderer, uint8_t* image);

// Seams, for the window front end and for tests.
// Opens the renderer for the WINFONT face; font_renderer_open_freetype by
// default. nullptr (or a factory giving nullptr) means no renderer.
using FontRendererFactory = std::unique_ptr<FontRenderer> (*)(const std::string& face, std::string* why);
extern FontRendererFactory g_font_renderer_factory;
// The message boxes of start-up and of files the end could not save;
// host_message_box by default (the window also writes them to stderr).
using InitMessageBoxFn = MessageBoxAnswer (*)(const char* text, const char* caption, MessageBoxKind kind);
extern InitMessageBoxFn g_init_message_box;
// Shows (true) and takes down (false) the notice while the substitute is
// rendered; cgrom_notice_to_stderr by default, which writes the notice's
// lines (CGROM_NOTICE_TEXT) to stderr and the log.
extern void (*g_cgrom_notice)(bool shown);
extern const char CGROM_NOTICE_TEXT[];
void cgrom_notice_to_stderr(bool shown);
