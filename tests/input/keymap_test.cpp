// The key and pad map "AT2X.KEY": hostile lines to table contents, the
// file search and the shipped map.
#include "input/keymap.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "host/paths.h"
#include "input/joystick.h"
#include "machine/device.h"
#include "machine/rom_files.h"

namespace {

constexpr uint32_t PAD_SENTINEL = 0x5A5A5A5A;
constexpr uint32_t ALL = UINT32_MAX;

uint32_t clear_bits(std::initializer_list<int> bits) {
    uint32_t m = ALL;
    for (int b : bits) m &= ~(uint32_t{1} << b);
    return m;
}

void fill_pad_sentinel() {
    for (auto& table : g_joystick.pad_tables)
        for (uint32_t& e : table) e = PAD_SENTINEL;
}

void read_text(const std::string& text) {
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    std::fwrite(text.data(), 1, text.size(), f);
    std::rewind(f);
    keymap_read(f);
    std::fclose(f);
}

enum Table { SCA, EXT, ASC, KEY };
struct Entry {
    Table table;
    int index;
    uint8_t value;
};
uint8_t* table_of(Table t) {
    switch (t) {
    case SCA: return g_keymap.sca;
    case EXT: return g_keymap.ext;
    case ASC: return g_keymap.asc;
    case KEY: return g_keymap.key;
    }
    return nullptr;
}

// Every nonzero entry of the four key tables, as the case lists them.
void expect_key_tables(const std::vector<Entry>& want, const std::string& what) {
    uint8_t expected[4][KEYMAP_SIZE] = {};
    for (const Entry& e : want) expected[e.table][e.index] = e.value;
    for (int t = SCA; t <= KEY; ++t)
        for (int i = 0; i < KEYMAP_SIZE; ++i)
            EXPECT_EQ(table_of(static_cast<Table>(t))[i], expected[t][i])
                << what << ": table " << t << " [" << i << "]";
}

std::string spaces(size_t n) { return std::string(n, ' '); }

struct KeyCase {
    const char* what;
    std::string text;
    std::vector<Entry> want;
};

TEST(KeymapFile, HostileLinesToKeyTables) {
    const std::vector<KeyCase> cases = {
        {"only /key. and 1e=41", "/key.\n1e=41\n", {{KEY, 0x41, 0x1E}}},
        {"capital tag", "/SCA.\n1e=41\n", {{SCA, 0x41, 0x1E}}},
        {"four characters of the tag", "/scax\n1e=41\n", {{SCA, 0x41, 0x1E}}},
        {"bit 15 marks ext", "/sca.\n8070=10\n", {{SCA, 0x10, 0x70}, {EXT, 0x10, 0x70}}},
        {"three entry forms and 0x",
         "/asc.\n1e=61\n1f = 73\n20\t=\t64\n0x21=0X66\n",
         {{ASC, 0x61, 0x1E}, {ASC, 0x73, 0x1F}, {ASC, 0x64, 0x20}, {ASC, 0x66, 0x21}}},
        {"before any tag, comments, no '='", "1e=41\n/key.\n;1f=42\n#20=43\n21 42\n=43\n1e=\n", {}},
        {"indexes masked",
         "/key.\n9e=141\n/tsca.\n8031=1e1\n/tasc.\n35=ff\n/asc.\n2e=162\n",
         {{KEY, 0x41, 0x1E}, {SCA, 0xE1, 0x31}, {EXT, 0xE1, 0x31}, {ASC, 0xFF, 0x35}, {ASC, 0x62, 0x2E}}},
        {"/end. ends the file", "/key.\n1e=41\n/END.\n1f=42\n", {{KEY, 0x41, 0x1E}}},
        {"CRLF", "/key.\r\n1e=41\r\n1f=42\r\n", {{KEY, 0x41, 0x1E}, {KEY, 0x42, 0x1F}}},
        {"lone CR stays in the line", "/key.\n1e=41\r1f=42\n", {{KEY, 0x41, 0x1E}}},
        {"0x1A ends the file", std::string("/key.\n1e=41\n\x1A") + "1f=42\n", {{KEY, 0x41, 0x1E}}},
        {"NUL ends the line", std::string("/key.\n1e\0=42\n1f=43\n", 18), {{KEY, 0x43, 0x1F}}},
        {"line of 255 parsed whole",
         "/key.\n" + spaces(250) + "1e=41" + "ZZ\n1f=42\n",
         {{KEY, 0x41, 0x1E}, {KEY, 0x42, 0x1F}}},
        {"line cut at 255", "/key.\n" + spaces(251) + "1e=41\n", {{KEY, 0x04, 0x1E}}},
        {"tail of a long line is no new line",
         "/asc.\n;" + std::string(254, 'x') + "/key.\n1e=41\n",
         {{ASC, 0x41, 0x1E}}},
        {"tail holding an entry", "/key.\n;" + std::string(254, 'x') + "1e=41\n", {}},
        {"a megabyte on one line", "/key.\n" + std::string(1 << 20, '1') + "\n1e=41\n", {{KEY, 0x41, 0x1E}}},
        {"20 digits that fit", "/key.\n00000000000000000041=0000000000000000001e\n", {{KEY, 0x1E, 0x41}}},
        {"beyond 32 bits skips", "/key.\n123456789=41\n1e=100000000\n99999999999999999999=42\n", {}},
        {"32 bits kept, low byte",
         "/sca.\nffff=41\n/key.\nffffffff=42\n",
         {{SCA, 0x41, 0xFF}, {EXT, 0x41, 0xFF}, {KEY, 0x42, 0x7F}}},
        {"Shift-JIS bytes",
         "/key.\n\x83\x4c\x81\x5b=41\n1e=41\x82\xa0\n/\xCB\xC5\xD9.\n1f=42\n; \x93\xfa\x96\x7b\n",
         {{KEY, 0x41, 0x1E}, {KEY, 0x42, 0x1F}}},
    };
    for (const KeyCase& c : cases) {
        fill_pad_sentinel();
        read_text(c.text);
        expect_key_tables(c.want, c.what);
        for (auto& table : g_joystick.pad_tables)
            for (uint32_t e : table) EXPECT_EQ(e, PAD_SENTINEL) << c.what << ": pad tables untouched";
    }
}

struct PadCase {
    const char* what;
    std::string line;
    int table;                                   // -1: the line is skipped
    std::vector<std::pair<int, uint32_t>> want;  // source, mask; the others all set
    bool old_format;
};

TEST(KeymapFile, PadLinesToPadTables) {
    const std::vector<PadCase> cases = {
        // clang-format off
        {"the sources in turn", "0 = 1 2 4 8 A B * * * * * * * * * *", 0,
         {{0, clear_bits({15})}, {1, clear_bits({14})}, {2, clear_bits({13})}, {3, clear_bits({12})},
          {4, clear_bits({11})}, {5, clear_bits({10})}},
         // clang-format on
         false},
        {"two sources in a group",
         "1 = 1A 2B",
         1,
         {{0, clear_bits({15})}, {4, clear_bits({15})}, {1, clear_bits({14})}, {5, clear_bits({14})}},
         false},
        {"'*' groups",
         "2 = * 1*2 **4",
         2,
         {{0, clear_bits({14})}, {1, clear_bits({13})}, {2, clear_bits({10})}},
         false},
        {"only '*'", "0 = *", 0, {}, false},
        {"autofire by case",
         "3 = a l L",
         3,
         {{20, clear_bits({15})}, {31, clear_bits({14})}, {15, clear_bits({13})}},
         false},
        {"past 16 groups", "4 = 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 2", 4, {{0, 0xFFFF0000u}}, false},
        {"groups from column 3", "0=1 2", 0, {{1, clear_bits({15})}}, false},
        {"old format letters", "5 = xQ 1 Z", 5, {{0, clear_bits({15})}}, true},
        {"table 6", "6 = 1", -1, {}, false},
        {"negative table", "-1 = 1", -1, {}, false},
        {"20-digit table", "99999999999999999999 = 1", -1, {}, false},
        {"no word after '='", "0 =", -1, {}, false},
        {"no '='", "0 1 2", -1, {}, false},
    };
    for (const PadCase& c : cases) {
        fill_pad_sentinel();
        read_text("/pad.\n" + c.line + "\n");
        EXPECT_EQ(g_keymap.old_pad_format != 0, c.old_format) << c.what;
        g_keymap.old_pad_format = 0;
        for (int t = 0; t < JOY_PAD_TABLES; ++t)
            for (int s = 0; s < JOY_SOURCES; ++s) {
                uint32_t expected = t == c.table ? ALL : PAD_SENTINEL;
                if (t == c.table)
                    for (auto [src, mask] : c.want)
                        if (src == s) expected = mask;
                EXPECT_EQ(g_joystick.pad_tables[t][s], expected) << c.what << ": table " << t << " source " << s;
            }
    }
}

TEST(KeymapFile, PadCharacterIndex) {
    const std::pair<char, int> cases[] = {{'1', 0},  {'2', 1},  {'4', 2},  {'8', 3},    {'A', 4},
                                          {'L', 15}, {'a', 20}, {'l', 31}, {'*', 32},   {'3', -1},
                                          {'M', -1}, {'m', -1}, {' ', -1}, {'\x82', -1}};
    for (auto [c, index] : cases) EXPECT_EQ(keymap_pad_char_index(c), index) << int(c);
}

// Random files of the map's own tokens and bytes: the reader stays inside
// its tables (the sanitizer build checks the rest).
TEST(KeymapFile, RandomFiles) {
    const char* tokens[] = {"/sca.", "/asc.", "/tsca.", "/tasc.", "/key.", "/pad.", "/end.", "=",          " ", "\t",
                            "\r\n",  "\n",    "\r",     "\x1A",   "0x",    "*",     "1",     "fff",        "-", "A",
                            "a",     "x",     "\x82",   "\xff",   ";",     "#",     "8070",  "99999999999"};
    std::mt19937 rng(11);
    for (int n = 0; n < 1000; ++n) {
        std::string text;
        int count = static_cast<int>(rng() % 400);
        for (int k = 0; k < count; ++k) {
            if (rng() % 8 == 0) text.push_back(static_cast<char>(rng()));
            else text += tokens[rng() % std::size(tokens)];
        }
        read_text(text);
        for (uint8_t v : g_keymap.key) ASSERT_LE(v, KEYMAP_KEY_MASK) << "file " << n;
    }
    g_keymap.old_pad_format = 0;
}

// Two folders standing in for the start folder and the program's folder,
// and the message boxes counted; all put back afterwards.
class KeymapFolders : public ::testing::Test {
protected:
    void SetUp() override {
        saved_[0] = g_start_dir;
        saved_[1] = g_exe_dir;
        saved_box_ = g_init_message_box;
        for (auto& d : dirs_) {
            char tmpl[] = "/tmp/zolm-keymap-XXXXXX";
            ASSERT_NE(mkdtemp(tmpl), nullptr);
            d = tmpl;
        }
        g_start_dir = dirs_[0].string();
        g_exe_dir = dirs_[1].string();
        s_boxes.clear();
        g_init_message_box = [](const char* text, const char* caption, MessageBoxKind) {
            s_boxes.push_back(std::string(caption) + "|" + text);
            return MB_ANSWER_OK;
        };
        keymap_power_on();
    }
    void TearDown() override {
        g_start_dir = saved_[0];
        g_exe_dir = saved_[1];
        g_init_message_box = saved_box_;
        for (auto& d : dirs_) std::filesystem::remove_all(d);
    }
    void write(int folder, const std::string& text) {
        std::ofstream(dirs_[folder] / KEYMAP_FILE_NAME, std::ios::binary) << text;
    }

    static inline std::vector<std::string> s_boxes;
    std::filesystem::path dirs_[2];
    std::string saved_[2];
    InitMessageBoxFn saved_box_ = nullptr;
};

TEST_F(KeymapFolders, NoFileKeepsTheBuiltInTables) {
    keymap_load();
    // The built-in tables, as the keyboard sees them.
    EXPECT_EQ(g_keymap.sca[0x10], 0x70);
    EXPECT_EQ(g_keymap.ext[0x11], 0x71);
    EXPECT_EQ(g_keymap.key[0x13], 0x54);
    EXPECT_EQ(g_keymap.key[0x25], 0x3B);
    EXPECT_EQ(g_keymap.key[0x28], 0x3E);
    EXPECT_EQ(g_keymap.sca[0x79], 0x6C);
    EXPECT_EQ(g_keymap.key[0x7B], 0x73);
    EXPECT_EQ(g_keymap.key[0x41], 0);
    EXPECT_EQ(g_keymap.asc[0x08], 0x0F);
    EXPECT_EQ(g_keymap.asc['\''], 0x08);
    EXPECT_EQ(g_keymap.asc['0'], 0x0B);
    EXPECT_EQ(g_keymap.asc['9'], 0x0A);
    EXPECT_EQ(g_keymap.asc['a'], 0);
    int nonzero = 0;
    for (int i = 0; i < KEYMAP_SIZE; ++i) nonzero += (g_keymap.sca[i] != 0) + (g_keymap.asc[i] != 0);
    EXPECT_EQ(nonzero, 25 + 21);
    // A folder of that name is no file either.
    std::filesystem::create_directory(dirs_[0] / KEYMAP_FILE_NAME);
    keymap_load();
    EXPECT_EQ(g_keymap.sca[0x10], 0x70);
    EXPECT_TRUE(s_boxes.empty());
}

TEST_F(KeymapFolders, StartFolderFirstThenProgramFolder) {
    write(1, "/key.\n1f=41\n");
    keymap_load();
    EXPECT_EQ(g_keymap.key[0x41], 0x1F);
    EXPECT_EQ(g_keymap.sca[0x10], 0) << "the key tables are cleared";
    write(0, "/key.\n1e=41\n");
    keymap_load();
    EXPECT_EQ(g_keymap.key[0x41], 0x1E);
}

TEST_F(KeymapFolders, OldPadFormatNoticeOncePerLoad) {
    write(0, "/pad.\n0 = X 1\n1 = y 2\n");
    keymap_load();
    ASSERT_EQ(s_boxes.size(), 1u);
    EXPECT_EQ(s_boxes[0],
              "PAD定義変更のお知らせ|PADの定義ファイルが変更になりました。\n\r新しいAT2X.KEYに差し替えてください。");
    EXPECT_EQ(g_keymap.old_pad_format, 0);
    write(0, "/pad.\n0 = 1\n");
    keymap_load();
    EXPECT_EQ(s_boxes.size(), 1u);
}

TEST_F(KeymapFolders, TheMachineResetReadsTheMap) {
    write(0, "/key.\n1e=41\n");
    const DeviceEntry* keyboard = nullptr;
    for (const DeviceEntry& d : machine_devices())
        if (std::string(d.name) == "keyboard") keyboard = &d;
    ASSERT_NE(keyboard, nullptr);
    keyboard->power_on();
    EXPECT_EQ(g_keymap.key[0x41], 0) << "power-on: the built-in tables";
    EXPECT_EQ(g_keymap.key[0x10], 0x70);
    ASSERT_NE(keyboard->reset, nullptr);
    keyboard->reset();
    EXPECT_EQ(g_keymap.key[0x41], 0x1E);
    EXPECT_EQ(g_keymap.key[0x10], 0);
}

TEST(KeymapFile, ShippedMapForJp106) {
    std::FILE* f = std::fopen(ZOLM_SHIPPED_KEYMAP, "rb");
    ASSERT_NE(f, nullptr) << ZOLM_SHIPPED_KEYMAP;
    fill_pad_sentinel();
    keymap_read(f);
    std::fclose(f);
    EXPECT_EQ(g_keymap.old_pad_format, 0);
    // Virtual key, scan code, whether its character message brings the entry.
    struct Key {
        int vk, scan;
        bool by_char;
    };
    const Key keys[] = {{0x1B, 0x01, true},  {'1', 0x02, true},   {'0', 0x0B, true},   {0xBD, 0x0C, true},
                        {0xDE, 0x0D, true},  {0xDC, 0x0E, true},  {0x08, 0x0F, true},  {'Q', 0x11, true},
                        {0xC0, 0x1B, true},  {0xDB, 0x1C, true},  {0x0D, 0x1D, true},  {'A', 0x1E, true},
                        {0xBB, 0x27, true},  {0xBA, 0x28, true},  {0xDD, 0x29, true},  {'Z', 0x2A, true},
                        {0xE2, 0x34, true},  {0x20, 0x35, true},  {0x25, 0x3B, false}, {0x60, 0x4F, true},
                        {0x67, 0x43, true},  {0x1D, 0x55, false}, {0x1C, 0x56, false}, {0x70, 0x63, false},
                        {0x7B, 0x73, false}, {0x10, 0x70, true}};
    for (const Key& k : keys) {
        EXPECT_EQ(g_keymap.key[k.vk], k.scan) << std::hex << k.vk;
        EXPECT_EQ(g_keymap.sca[k.vk], k.scan) << std::hex << k.vk;
        EXPECT_EQ(g_keymap.ext[k.vk], k.by_char ? k.scan : 0) << std::hex << k.vk;
    }
    const std::pair<char, int> chars[] = {{'a', 0x1E},  {'A', 0x1E}, {'!', 0x02}, {'=', 0x0C}, {'|', 0x0E},
                                          {'`', 0x1B},  {'+', 0x27}, {'*', 0x28}, {'?', 0x33}, {'_', 0x34},
                                          {'\r', 0x1D}, {' ', 0x35}, {'0', 0x0B}};
    for (auto [c, scan] : chars) EXPECT_EQ(g_keymap.asc[static_cast<uint8_t>(c)], scan) << c;
    // One key per scan code.
    int seen[KEYMAP_SIZE] = {};
    for (uint8_t scan : g_keymap.key) {
        if (scan) { EXPECT_EQ(++seen[scan], 1) << std::hex << int(scan); }
    }
    // Table 0: up bit 0, down 1, left 2, right 3, button 1 trigger A (bit 5),
    // button 2 trigger B (bit 6); up with button 1 reads 0xDE.
    const auto& t0 = g_joystick.pad_tables[0];
    EXPECT_EQ(t0[0], clear_bits({0}));
    EXPECT_EQ(t0[1], clear_bits({1}));
    EXPECT_EQ(t0[2], clear_bits({2}));
    EXPECT_EQ(t0[3], clear_bits({3}));
    EXPECT_EQ(t0[4], clear_bits({5}));
    EXPECT_EQ(t0[5], clear_bits({6}));
    EXPECT_EQ((t0[0] & t0[4]) & 0xFF, 0xDEu);
    EXPECT_EQ(g_joystick.pad_tables[2][20], clear_bits({5})) << "autofire of button 1";
    for (int t = 0; t < JOY_PAD_TABLES; ++t) EXPECT_NE(g_joystick.pad_tables[t][0], PAD_SENTINEL) << t;
}

}  // namespace
