#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/font_renderer.h"
#include "host/paths.h"
#include "machine/log_lines.h"
#include "machine/memory_map.h"
#include "machine/rom_files.h"
#include "machine/settings.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> g_boxes;  // captions of the message boxes shown
std::vector<std::string> g_texts;  // and their texts
int g_notices;                     // times the rendering notice was shown

MessageBoxAnswer record_box(const char* text, const char* caption, MessageBoxKind) {
    g_boxes.emplace_back(caption);
    g_texts.emplace_back(text);
    return MB_ANSWER_OK;
}
void count_notice(bool shown) { g_notices += shown; }

std::unique_ptr<FontRenderer> no_renderer(const std::string&, std::string* why) {
    if (why) *why = "switched off";
    return nullptr;
}
std::unique_ptr<FontRenderer> synthetic(const std::string&, std::string*) { return font_renderer_synthetic(); }
std::unique_ptr<FontRenderer> failing_at_12(const std::string&, std::string*) { return font_renderer_synthetic(12); }

std::vector<uint8_t> file_bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool all_bytes(const uint8_t* p, size_t n, uint8_t v) {
    return std::all_of(p, p + n, [v](uint8_t b) { return b == v; });
}

// A start folder (also the current one) and a program folder under a fresh
// temporary folder; ROM images pre-filled with 0xEE.
class RomFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(mem_alloc_images());
        std::string tmpl = (fs::temp_directory_path() / "zolm-rom-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        root_ = tmpl;
        start_ = root_ / "start";
        exe_ = root_ / "exe";
        fs::create_directory(start_);
        fs::create_directory(exe_);
        old_cwd_ = fs::current_path();
        fs::current_path(start_);
        saved_ = {g_start_dir, g_exe_dir, g_settings.font, g_settings.winfont};
        saved_box_ = g_init_message_box;
        saved_notice_ = g_cgrom_notice;
        saved_factory_ = g_font_renderer_factory;
        g_start_dir = start_.string();
        g_exe_dir = exe_.string();
        g_settings.font.clear();
        g_settings.winfont.clear();
        g_init_message_box = record_box;
        g_cgrom_notice = count_notice;
        g_font_renderer_factory = no_renderer;
        g_boxes.clear();
        g_texts.clear();
        g_notices = 0;
        std::memset(g_iplrom, 0xEE, IPLROM_SIZE);
        std::memset(g_cgrom, 0xEE, CGROM_SIZE);
    }
    void TearDown() override {
        fs::current_path(old_cwd_);
        fs::remove_all(root_);
        g_start_dir = saved_[0];
        g_exe_dir = saved_[1];
        g_settings.font = saved_[2];
        g_settings.winfont = saved_[3];
        g_init_message_box = saved_box_;
        g_cgrom_notice = saved_notice_;
        g_font_renderer_factory = saved_factory_;
    }
    static void put(const fs::path& p, size_t size, uint8_t fill) {
        std::ofstream out(p, std::ios::binary);
        std::vector<char> data(size, static_cast<char>(fill));
        out.write(data.data(), static_cast<std::streamsize>(data.size()));
    }
    static bool logged(const std::string& line) {
        return std::find(g_log_lines.begin(), g_log_lines.end(), line) != g_log_lines.end();
    }
    static bool logged_containing(const std::string& part) {
        return std::any_of(g_log_lines.begin(), g_log_lines.end(),
                           [&](const std::string& l) { return l.find(part) != std::string::npos; });
    }
    fs::path root_, start_, exe_, old_cwd_;
    std::vector<std::string> saved_;
    InitMessageBoxFn saved_box_ = nullptr;
    void (*saved_notice_)(bool) = nullptr;
    FontRendererFactory saved_factory_ = nullptr;
};

TEST_F(RomFiles, StartFolderIsSearchedWhollyBeforeTheProgramFolder) {
    // clang-format off
    struct File { bool in_start; const char* name; uint8_t fill; };
    struct Case { std::vector<File> files; uint8_t ipl, cg; const char* ipl_file; };
    const Case cases[] = {
        {{{true, "boot.rom", 0x11}, {false, "iplrom.dat", 0x22}, {false, "cgrom.dat", 0x55}}, 0x11, 0x55, "start/boot.rom"},
        {{{true, "boot.rom", 0x33}, {true, "iplrom30.dat", 0x11}, {true, "iplromxvi.dat", 0x22}, {true, "cg.rom", 0x44},
          {true, "cgrom.dat", 0x55}},
         0x11, 0x55, "start/iplrom30.dat"},
        {{{false, "iplrom.dat", 0x22}, {true, "cg.rom", 0x44}, {false, "cgrom.dat", 0x55}}, 0x22, 0x44, "exe/iplrom.dat"},
        // clang-format on
    };
    for (const Case& c : cases) {
        fs::remove_all(start_);
        fs::remove_all(exe_);
        fs::create_directory(start_);
        fs::create_directory(exe_);
        for (const File& f : c.files)
            put((f.in_start ? start_ : exe_) / f.name, f.name[0] == 'c' ? CGROM_SIZE : IPLROM_SIZE, f.fill);
        SCOPED_TRACE(c.ipl_file);
        ASSERT_EQ(init_load_roms(), 0);
        EXPECT_TRUE(all_bytes(g_iplrom, IPLROM_SIZE, c.ipl));
        EXPECT_TRUE(all_bytes(g_cgrom, CGROM_SIZE, c.cg));
        EXPECT_TRUE(logged("loading..:" + (root_ / c.ipl_file).string()));
        EXPECT_TRUE(g_boxes.empty());
    }
}

TEST_F(RomFiles, ShortRomFileFillsTheStartOfTheImageAndIsTold) {
    put(start_ / "iplrom.dat", 0x100, 0x77);
    put(start_ / "cgrom.dat", CGROM_SIZE - 1, 0x55);
    ASSERT_EQ(init_load_roms(), 0);
    EXPECT_TRUE(all_bytes(g_iplrom, 0x100, 0x77));
    EXPECT_TRUE(all_bytes(g_iplrom + 0x100, IPLROM_SIZE - 0x100, 0xEE));
    EXPECT_TRUE(all_bytes(g_cgrom, CGROM_SIZE - 1, 0x55));
    const std::string ipl = (start_ / "iplrom.dat").string() + ": short file, 256 of 131072 bytes read";
    const std::string cg = (start_ / "cgrom.dat").string() + ": short file, 786431 of 786432 bytes read";
    EXPECT_TRUE(logged(ipl));
    EXPECT_EQ(g_boxes, (std::vector<std::string>{"ZOLM ROM file", "ZOLM ROM file"}));
    EXPECT_EQ(g_texts, (std::vector<std::string>{ipl, cg}));
}

TEST_F(RomFiles, EmptyRomFileCountsAsNone) {
    const std::string empty = ": empty file, 0 of 131072 bytes read, passed over";
    // Another IPL ROM file serves.
    put(start_ / "iplrom.dat", 0, 0);
    put(exe_ / "iplrom.dat", IPLROM_SIZE, 0x22);
    put(start_ / "cgrom.dat", CGROM_SIZE, 0x55);
    ASSERT_EQ(init_load_roms(), 0);
    EXPECT_TRUE(all_bytes(g_iplrom, IPLROM_SIZE, 0x22));
    EXPECT_EQ(g_texts, std::vector<std::string>{(start_ / "iplrom.dat").string() + empty});

    // None serves: the box of no IPL ROM follows.
    fs::remove(exe_ / "iplrom.dat");
    g_boxes.clear();
    EXPECT_EQ(init_load_roms(), -1);
    EXPECT_EQ(g_boxes, (std::vector<std::string>{"ZOLM ROM file", "ZOLM initialize 1"}));

    // An empty CG ROM file leaves the search to the next one.
    put(start_ / "iplrom.dat", IPLROM_SIZE, 0x11);
    put(start_ / "cgrom.dat", 0, 0);
    put(start_ / "cg.rom", CGROM_SIZE, 0x44);
    g_boxes.clear();
    ASSERT_EQ(init_load_roms(), 0);
    EXPECT_TRUE(all_bytes(g_cgrom, CGROM_SIZE, 0x44));
    EXPECT_EQ(g_boxes, std::vector<std::string>{"ZOLM ROM file"});
}

TEST_F(RomFiles, MissingRomsShowTheirBoxAndFail) {
    struct Case {
        const char* what;
        bool ipl;
        FontRendererFactory factory;
        bool font_file;
        int result;
        const char* box;
    };
    const Case cases[] = {
        {"no IPL ROM", false, synthetic, false, -1, "ZOLM initialize 1"},
        {"no CG ROM, no renderer", true, no_renderer, false, -1, "ZOLM initialize 2"},
        {"no CG ROM, no factory", true, nullptr, false, -1, "ZOLM initialize 2"},
        {"no CG ROM, a font size fails", true, failing_at_12, false, -1, "ZOLM initialize 2"},
        {"no CG ROM, a FONT file stands in", true, no_renderer, true, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(start_);
        fs::create_directory(start_);
        fs::current_path(start_);
        if (c.ipl) put(start_ / "iplrom.dat", IPLROM_SIZE, 0x11);
        if (c.font_file) put(root_ / "font.dat", CGROM_SIZE, 0x66);
        g_settings.font = c.font_file ? (root_ / "font.dat").string() : "";
        g_font_renderer_factory = c.factory;
        g_boxes.clear();
        EXPECT_EQ(init_load_roms(), c.result);
        if (c.box) {
            EXPECT_EQ(g_boxes, std::vector<std::string>{c.box});
        } else {
            EXPECT_TRUE(g_boxes.empty());
            EXPECT_TRUE(all_bytes(g_cgrom, CGROM_SIZE, 0x66));
        }
        EXPECT_FALSE(fs::exists(start_ / "cgrom.tmp"));
    }
}

TEST_F(RomFiles, RenderedSubstituteIsCachedAndLoadedOnTheNextStart) {
    put(start_ / "iplrom.dat", IPLROM_SIZE, 0x11);
    g_font_renderer_factory = synthetic;
    ASSERT_EQ(init_load_roms(), 0);
    EXPECT_EQ(g_notices, 1);
    ASSERT_EQ(fs::file_size(start_ / "cgrom.tmp"), CGROM_SIZE);
    std::vector<uint8_t> rendered(g_cgrom, g_cgrom + CGROM_SIZE);
    EXPECT_EQ(file_bytes(start_ / "cgrom.tmp"), rendered);
    EXPECT_TRUE(logged("saving..:" + (start_ / "cgrom.tmp").string()));

    // Next start: no renderer is needed, and no notice shows.
    std::memset(g_cgrom, 0xEE, CGROM_SIZE);
    g_font_renderer_factory = no_renderer;
    ASSERT_EQ(init_load_roms(), 0);
    EXPECT_EQ(g_notices, 1);
    EXPECT_TRUE(std::equal(rendered.begin(), rendered.end(), g_cgrom));
    EXPECT_TRUE(logged("loading..:" + (start_ / "cgrom.tmp").string()));
}

TEST_F(RomFiles, CacheOfTheWrongSizeIsRenderedAgain) {
    put(start_ / "iplrom.dat", IPLROM_SIZE, 0x11);
    g_font_renderer_factory = synthetic;
    for (size_t size : {size_t{0}, size_t{100}, size_t{CGROM_SIZE - 1}, size_t{CGROM_SIZE + 1}}) {
        SCOPED_TRACE(size);
        put(start_ / "cgrom.tmp", size, 0x99);
        g_notices = 0;
        ASSERT_EQ(init_load_cgrom_tmp(), 1);
        EXPECT_EQ(g_notices, 1);
        EXPECT_EQ(file_bytes(start_ / "cgrom.tmp"), std::vector<uint8_t>(g_cgrom, g_cgrom + CGROM_SIZE));
    }
}

TEST_F(RomFiles, CacheGoesToTheFirstFolderThatTakesIt) {
    // The current folder (start/cur), the start folder, the program folder.
    const fs::path cur = start_ / "cur";
    struct Case {
        bool cur_gone, start_gone;
        fs::path where;
    };
    const Case cases[] = {
        {false, false, cur / "cgrom.tmp"}, {true, false, start_ / "cgrom.tmp"}, {true, true, exe_ / "cgrom.tmp"}};
    const std::string start_dir = g_start_dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where.string());
        fs::create_directories(cur);
        fs::current_path(cur);
        if (c.cur_gone) fs::remove(cur);
        g_start_dir = c.start_gone ? (root_ / "gone").string() : start_dir;
        EXPECT_EQ(init_open_for_write("cgrom.tmp", "abc", 3), c.where.string());
        EXPECT_EQ(fs::file_size(c.where), 3u);
        fs::current_path(root_);
        fs::remove_all(cur);
        fs::remove(start_ / "cgrom.tmp");
    }
}

TEST_F(RomFiles, FontFileReplacesTheImageOnlyAtTheExactSize) {
    struct Case {
        size_t size;
        int result;
    };
    const Case cases[] = {{CGROM_SIZE, 1}, {CGROM_SIZE - 1, 0}, {CGROM_SIZE + 1, 0}, {0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        std::memset(g_cgrom, 0xEE, CGROM_SIZE);
        put(start_ / "font.dat", c.size, 0x66);
        g_settings.font = "font.dat";  // relative: from the current folder
        EXPECT_EQ(init_load_font_rom(), c.result);
        EXPECT_TRUE(all_bytes(g_cgrom, CGROM_SIZE, c.result ? 0x66 : 0xEE));
    }
    g_settings.font = "missing.dat";
    EXPECT_EQ(init_load_font_rom(), 0);
    EXPECT_TRUE(logged_containing("File could not be opened 2 "));
    g_settings.font = "";
    EXPECT_EQ(init_load_font_rom(), 0);
}

TEST(CgRomLayout, TwoByteCodeOfEachGlyph) {
    struct Case {
        int glyph;
        uint16_t code;
    };
    const Case cases[] = {
        {0, 0x8140},    {62, 0x817E},   {63, 0x8180},  // trail 0x7F is skipped
        {751, 0x84FC},  {752, 0x889F},                 // row 8 ends, row 16 follows
        {5169, 0x9FFC}, {5170, 0xE040},                // lead 0xA0-0xDF are skipped
        {7237, 0xEAFC},
    };
    for (const Case& c : cases) EXPECT_EQ(cgrom_glyph_code(c.glyph), c.code) << c.glyph;
}

TEST(CgRomLayout, FontsFillTheirAreasWithGlyphsCutToTheCell) {
    struct Area {
        uint32_t first, end;
        int bytes_per_row, rows;
        bool two_byte;
        uint16_t first_code, last_code;
        int height;
    };
    const Area areas[] = {
        {0xF3A000, 0xF3A800, 1, 8, false, 0, 255, 8},          {0xF3A800, 0xF3B800, 1, 16, false, 0, 255, 16},
        {0xF3B800, 0xF3D000, 2, 12, false, 0, 255, 12},        {0xF3D000, 0xF40000, 2, 24, false, 0, 255, 24},
        {0xF00000, 0xF388C0, 2, 16, true, 0x8140, 0xEAFC, 16}, {0xF40000, 0xFBF3B0, 3, 24, true, 0x8140, 0xEAFC, 24},
    };
    std::vector<uint8_t> image(CGROM_SIZE, 0xAA);
    auto r = font_renderer_synthetic();
    ASSERT_EQ(cgrom_render(*r, image.data()), 6);

    auto at = [&](uint32_t addr) { return image.data() + (addr - CGROM_BASE); };
    // What the synthetic source draws for code in a cell of width bytes_per_row * 8 - cut.
    auto expect_glyph = [&](const uint8_t* g, const Area& a, uint16_t code, int cut) {
        for (int row = 0; row < a.rows; ++row)
            for (int b = 0; b < a.bytes_per_row; ++b) {
                uint8_t want = synthetic_glyph_byte(code, a.two_byte, a.height, row, b);
                if (b == a.bytes_per_row - 1) want &= static_cast<uint8_t>(0xFF << cut);
                ASSERT_EQ(g[row * a.bytes_per_row + b], want) << std::hex << code << " row " << row;
            }
    };
    for (const Area& a : areas) {
        SCOPED_TRACE(testing::Message() << std::hex << a.first);
        const int glyph_bytes = a.bytes_per_row * a.rows;
        const int cut = a.bytes_per_row == 2 && !a.two_byte ? 4 : 0;  // 12-pixel cells
        expect_glyph(at(a.first), a, a.first_code, cut);
        expect_glyph(at(a.end - glyph_bytes), a, a.last_code, cut);
    }
    expect_glyph(at(0xF00000 + 752 * 32), areas[4], 0x889F, 0);
    // Bytes outside the areas are not written.
    EXPECT_TRUE(all_bytes(at(0xF388C0), 0xF3A000 - 0xF388C0, 0xAA));
    EXPECT_TRUE(all_bytes(at(0xFBF3B0), 0xFC0000 - 0xFBF3B0, 0xAA));
}

TEST(CgRomLayout, FontSizeThatFailsStopsTheRenderingWithEarlierFontsKept) {
    std::vector<uint8_t> image(CGROM_SIZE, 0xAA);
    auto r = font_renderer_synthetic(12);
    EXPECT_EQ(cgrom_render(*r, image.data()), 2);
    EXPECT_EQ(image[0xF3B7FF - CGROM_BASE], synthetic_glyph_byte(255, false, 16, 15, 0));
    EXPECT_TRUE(all_bytes(image.data() + (0xF3B800 - CGROM_BASE), 0xF40000 - 0xF3B800, 0xAA));
    EXPECT_TRUE(all_bytes(image.data(), 0x388C0, 0xAA));
}

}  // namespace
