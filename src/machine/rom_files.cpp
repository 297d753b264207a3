#include "machine/rom_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <vector>

#include "host/paths.h"
#include "machine/log_lines.h"
#include "machine/memory_map.h"
#include "machine/settings.h"

namespace {

// Reads up to size bytes; returns how many came.
size_t read_up_to(std::FILE* f, uint8_t* dst, size_t size) {
    size_t got = 0;
    while (got < size) {
        size_t n = std::fread(dst + got, 1, size - got, f);
        if (n == 0) break;
        got += n;
    }
    return got;
}

std::string errno_text(int err) { return std::to_string(err) + " " + std::strerror(err); }

constexpr char ROM_FILE_CAPTION[] = "ZOLM ROM file";

void show_box(const std::string& text, const char* caption, MessageBoxKind kind = MB_INFO) {
    if (g_init_message_box) g_init_message_box(text.c_str(), caption, kind);
}

// Loads the first of names found in g_start_dir, then g_exe_dir, into
// image. An empty file counts as none; a short one fills the start of the
// image and is reported. False when none opens.
bool load_first(const char* const* names, size_t count, uint8_t* image, size_t size) {
    for (const std::string* folder : {&g_start_dir, &g_exe_dir})
        for (size_t i = 0; i < count; ++i) {
            std::FILE* f = init_open_logged(names[i], *folder);
            if (!f) continue;
            size_t got = read_up_to(f, image, size);
            bool read_error = std::ferror(f) != 0;
            std::fclose(f);
            if (got == size) return true;
            std::string what = path_join(*folder, names[i]) + ": " + (got ? "short file, " : "empty file, ") +
                               std::to_string(got) + " of " + std::to_string(size) + " bytes read" +
                               (read_error ? " (read error)" : "") + (got ? "" : ", passed over");
            log_add_line(what);
            show_box(what, ROM_FILE_CAPTION, MB_WARNING);
            if (got) return true;
        }
    return false;
}

const char* const IPL_NAMES[] = {"iplrom.dat", "iplrom30.dat", "iplromxvi.dat", "boot.rom"};
const char* const CG_NAMES[] = {"cgrom.dat", "cg.rom"};
constexpr char CGROM_TMP[] = "cgrom.tmp";

std::string s_failure;  // why init_load_roms last failed

// The ROM names a failure lists: "a, b or c".
std::string names_text(const char* const* names, size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i) text += (i == 0 ? "" : i + 1 == count ? " or " : ", ") + std::string(names[i]);
    return text;
}

// The folders ROMs are looked for in, each once.
std::string folders_text() {
    return g_exe_dir.empty() || g_exe_dir == g_start_dir ? g_start_dir : g_start_dir + " or " + g_exe_dir;
}

constexpr bool fonts_fit() {
    for (const CgFont& f : CG_FONTS)
        if (f.area < CGROM_BASE ||
            f.area - CGROM_BASE + static_cast<uint32_t>(f.count * f.bytes_per_glyph()) > CGROM_SIZE)
            return false;
    return true;
}
static_assert(fonts_fit(), "every font lies inside the CG ROM image");

}  // namespace

FontRendererFactory g_font_renderer_factory = font_renderer_open_freetype;
InitMessageBoxFn g_init_message_box = host_message_box;
void (*g_cgrom_notice)(bool shown) = cgrom_notice_to_stderr;

const char CGROM_NOTICE_TEXT[] =
    "X68000の cgrom.dat フォントファイルが見つかりません\n"
    "表示するフォントにWindowsのフォントを使います\n"
    "準備が出来るまでお待ちください";

void cgrom_notice_to_stderr(bool shown) {
    if (!shown) return;
    const std::string text = CGROM_NOTICE_TEXT;
    for (size_t start = 0; start < text.size();) {
        size_t nl = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, nl - start);
        start = nl + 1;
        std::fprintf(stderr, "%s\n", line.c_str());
        log_add_line(line);
    }
}

std::FILE* init_open_logged(std::string_view name, std::string_view folder) {
    std::string path = path_join(folder, name);
    std::FILE* f = fopen_regular(path);
    if (!f) return nullptr;
    log_add_line("loading..:" + path);
    return f;
}

std::string init_open_for_write(std::string_view name, const void* data, size_t size) {
    std::string cur = host_current_dir();
    const std::string* folders[] = {&cur, &g_start_dir, &g_exe_dir};
    std::string tried;
    int err = ENOENT;
    for (const std::string* folder : folders) {
        if (folder->empty()) continue;  // a current folder that is gone, or a folder never set
        std::string path = path_join(*folder, name);
        if (path == tried) continue;
        tried = path;
        if (write_file_whole(path, data, size)) return path;
        err = errno;
    }
    errno = err;
    return {};
}

uint16_t cgrom_glyph_code(int i) {
    int n = i < 752 ? i : i + 658;
    int lead = n / 188 + 0x81, trail = n % 188 + 0x40;
    if (lead > 0x9F) lead += 0x40;
    if (trail > 0x7E) trail += 1;
    return static_cast<uint16_t>(lead << 8 | trail);
}

int cgrom_render(FontRenderer& renderer, uint8_t* image) {
    int done = 0;
    for (const CgFont& font : CG_FONTS) {
        if (!renderer.set_font_height(font.font_height)) return done;
        uint8_t* dst = image + (font.area - CGROM_BASE);
        for (int i = 0; i < font.count; ++i) {
            GlyphCell cell{font.cell_w, font.cell_h, font.bytes_per_row(), dst + i * font.bytes_per_glyph()};
            uint16_t code = font.two_byte ? cgrom_glyph_code(i) : static_cast<uint16_t>(i);
            renderer.draw(code, font.two_byte, cell);
        }
        ++done;
    }
    return done;
}

int init_make_cgrom_from_font() {
    if (!g_cgrom) return 0;
    std::string why = "no font renderer";
    std::unique_ptr<FontRenderer> renderer;
    if (g_font_renderer_factory) renderer = g_font_renderer_factory(g_settings.winfont, &why);
    if (!renderer) {
        log_add_line("CG ROM substitute: " + why);
        return 0;
    }
    int done = cgrom_render(*renderer, g_cgrom);
    if (done < static_cast<int>(std::size(CG_FONTS))) {
        log_add_line("CG ROM substitute: the font cannot be had at height " +
                     std::to_string(CG_FONTS[done].font_height));
        return 0;
    }
    return 1;
}

int init_load_cgrom_tmp() {
    if (!g_cgrom) return 0;
    std::vector<uint8_t> buf(CGROM_SIZE + 1);
    for (const std::string* folder : {&g_start_dir, &g_exe_dir}) {
        std::FILE* f = init_open_logged(CGROM_TMP, *folder);
        if (!f) continue;
        size_t got = read_up_to(f, buf.data(), buf.size());
        std::fclose(f);
        if (got == CGROM_SIZE) {
            std::memcpy(g_cgrom, buf.data(), CGROM_SIZE);
            return 1;
        }
        log_add_line(path_join(*folder, CGROM_TMP) + ": not a CG ROM image (" +
                     (got > CGROM_SIZE ? std::string("too long") : std::to_string(got) + " bytes") + "), passed over");
    }

    if (g_cgrom_notice) g_cgrom_notice(true);
    int ok = init_make_cgrom_from_font();
    if (g_cgrom_notice) g_cgrom_notice(false);
    if (!ok) return 0;

    std::string saved = init_open_for_write(CGROM_TMP, g_cgrom, CGROM_SIZE);
    if (saved.empty()) log_add_line(std::string(CGROM_TMP) + " could not be written: " + errno_text(errno));
    else log_add_line("saving..:" + saved);
    return 1;
}

int init_load_font_rom() {
    if (g_settings.font.empty() || !g_cgrom) return 0;
    std::FILE* f = fopen_regular(g_settings.font);
    if (!f) {
        log_add_line("File could not be opened " + errno_text(errno) + ": " + g_settings.font);
        return 0;
    }
    struct stat st {};
    int ok = 0;
    if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != static_cast<off_t>(CGROM_SIZE)) {
        log_add_line(g_settings.font + ": not a CG ROM image of " + std::to_string(CGROM_SIZE) + " bytes, ignored");
    } else {
        // Through a buffer, so that a failed read leaves the image as it was.
        std::vector<uint8_t> buf(CGROM_SIZE);
        if (read_up_to(f, buf.data(), CGROM_SIZE) == CGROM_SIZE) {
            std::memcpy(g_cgrom, buf.data(), CGROM_SIZE);
            log_add_line("loading..:" + g_settings.font);
            ok = 1;
        } else {
            log_add_line(g_settings.font + ": read error, ignored");
        }
    }
    std::fclose(f);
    return ok;
}

int init_load_roms() {
    s_failure.clear();
    if (!g_iplrom || !g_cgrom) {
        log_add_line("no memory for the ROM images");
        s_failure = "no memory for the ROM images";
        return -1;
    }
    if (!load_first(IPL_NAMES, std::size(IPL_NAMES), g_iplrom, IPLROM_SIZE)) {
        log_add_line("no IPL ROM file");
        s_failure = "no IPL ROM image (" + names_text(IPL_NAMES, std::size(IPL_NAMES)) + ") in " + folders_text() +
                    "; put the machine's IPL ROM there as iplrom.dat";
        show_box("iplrom.dat または boot.rom が見つかりません\nドキュメントを参照してください\n", "ZOLM initialize 1");
        return -1;
    }
    if (load_first(CG_NAMES, std::size(CG_NAMES), g_cgrom, CGROM_SIZE)) return 0;
    if (init_load_cgrom_tmp()) return 0;
    // A FONT file is a whole CG ROM image: it serves before start-up gives up.
    if (init_load_font_rom()) return 0;
    log_add_line("no CG ROM file, and no substitute could be read or rendered");
    s_failure = "no CG ROM image (" + names_text(CG_NAMES, std::size(CG_NAMES)) + ") in " + folders_text() +
                ", and no substitute from the font \"" + g_settings.winfont +
                "\" (WINFONT); put the machine's CG ROM there as cgrom.dat";
    show_box("cgrom.dat または cg.rom が見つかりません\n", "ZOLM initialize 2");
    return -1;
}

const std::string& init_load_roms_failure() { return s_failure; }
