#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "core/bus.h"
#include "core/cpu_regs.h"
#include "host/message_box.h"
#include "machine/machine.h"
#include "machine/memory_map.h"
#include "machine/settings.h"
#include "machine/sram.h"
#include "machine/system_port.h"
#include "support/flat_bus.h"
#include "support/powered_on.h"
#include "video/crtc.h"

namespace fs = std::filesystem;

namespace {

int g_asks;
int32_t g_answer;
int32_t counting_confirm(int32_t kind) {
    EXPECT_EQ(kind, 5);
    g_asks++;
    return g_answer;
}

uint32_t probe(const std::function<void()>& access) {
    ProbeScope scope;
    access();
    return scope.fault();
}

class Sram : public PoweredOnMachine {
protected:
    void SetUp() override {
        PoweredOnMachine::SetUp();
        flat_bus_install();
        cpu_test_reset(0x300000, 0x3F0000);
        ASSERT_TRUE(mem_alloc_images());
        ASSERT_TRUE(mem_alloc_main_ram(0x400000));
        g_crtc.regs[CRTC_MODE] = 0;
        ASSERT_EQ(mem_map_build(), 0);
        std::memset(g_sram, 0, SRAM_SIZE);
        std::memset(g_sys.regs, 0, sizeof g_sys.regs);
        g_sys.power_off_count = 0;
        g_sram_state.dirty = 0;
        g_virus_warn_off = 0;
        g_asks = 0;
        g_answer = 0;
        g_sram_confirm_write = counting_confirm;

        char name[] = "/tmp/zolm_sram_XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir_ = name;
    }
    void TearDown() override {
        g_sram_confirm_write = disk_confirm_write;
        g_settings.warnvirus = 0;
        g_run_flags = 0;
        fs::remove_all(dir_);
    }

    static void write_file(const fs::path& path, const std::vector<uint8_t>& bytes) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    static std::vector<uint8_t> read_file(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // A temporary file of the save left in folder.
    static bool leftover_temp(const fs::path& folder) {
        for (const auto& e : fs::directory_iterator(folder))
            if (e.path().filename().string().starts_with("sram.ram.")) return true;
        return false;
    }

    fs::path dir_;
};

TEST_F(Sram, WriteEnableDecidesWhetherWritesLand) {
    struct Case {
        uint8_t enable;
        bool lands;
    };
    const Case cases[] = {{0x31, true}, {0x00, false}, {0x30, false}, {0x31, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.enable));
        std::memset(g_sram, 0, SRAM_SIZE);
        g_sram_state.dirty = 0;
        mem_write_byte_c(c.enable, 0xE8E00D);
        EXPECT_EQ(probe([] {
                      mem_write_byte_c(0x12, 0xED0100);
                      mem_write_word_c(0x3456, 0xED0102);
                      mem_write_long_c(0x789ABCDE, 0xED0104);
                  }),
                  0u);  // protected writes vanish without an error
        EXPECT_EQ(mem_read_long_c(0xED0100), c.lands ? 0x12003456u : 0u);
        EXPECT_EQ(mem_read_long_c(0xED0104), c.lands ? 0x789ABCDEu : 0u);
        EXPECT_EQ(g_sram_state.dirty, c.lands ? 1 : 0);
    }
}

TEST_F(Sram, BootSettingB0AsksBeforeItIsWritten) {
    struct Case {
        int warnvirus, warn_off, size;
        uint32_t addr, value;
        uint8_t current;
        int32_t answer;
        int asks;
        bool stored;
    };
    const Case cases[] = {
        {1, 0, 1, 0xED0018, 0xB0, 0x00, 0, 1, true},        // asked, allowed
        {1, 0, 1, 0xED0018, 0xB0, 0x00, 1, 1, false},       // asked, refused
        {1, 0, 2, 0xED0018, 0xB0FF, 0x00, 1, 1, false},     // a word's high byte lands there
        {1, 0, 1, 0xED0018, 0xB0, 0xB0, 1, 0, true},        // already set
        {1, 0, 4, 0xED0018, 0xB0000000, 0x00, 1, 0, true},  // long writes are not checked
        {1, 0, 1, 0xED0019, 0xB0, 0x00, 1, 0, true},       {1, 0, 1, 0xED0018, 0xA0, 0x00, 1, 0, true},
        {0, 0, 1, 0xED0018, 0xB0, 0x00, 1, 0, true},  // WARNVIRUS off
        {1, 1, 1, 0xED0018, 0xB0, 0x00, 1, 0, true},  // told not to ask again
    };
    mem_write_byte_c(0x31, 0xE8E00D);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.addr << " " << c.value << " size " << c.size);
        g_settings.warnvirus = c.warnvirus;
        g_virus_warn_off = c.warn_off;
        g_answer = c.answer;
        g_asks = 0;
        g_sram_state.dirty = 0;
        g_sram[0x18] = c.current;
        g_sram[0x19] = 0;
        uint32_t fault = probe([&] {
            if (c.size == 1) mem_write_byte_c(c.value, c.addr);
            else if (c.size == 2) mem_write_word_c(c.value, c.addr);
            else mem_write_long_c(c.value, c.addr);
        });
        EXPECT_EQ(g_asks, c.asks);
        EXPECT_EQ(fault, c.stored ? 0u : 4u);
        uint8_t expected = uint8_t(c.size == 1 ? c.value : c.value >> (8 * (c.size - 1)));
        EXPECT_EQ(g_sram[c.addr - SRAM_BASE], c.stored ? expected : c.current);
        EXPECT_EQ(g_sram_state.dirty, c.stored ? 1 : 0);
    }
}

TEST_F(Sram, LoadTakesTheRamSizeAndFixesTheLongAtC) {
    struct Case {
        uint32_t size_field;
        uint32_t ram_size;
    };
    const Case cases[] = {{0x00200000, 0x400000}, {0x01000000, 0xC00000}, {0x00800000, 0x800000}};
    for (const Case& c : cases) {
        std::vector<uint8_t> image(SRAM_SIZE, 0x5A);
        be_write32(image.data() + 8, c.size_field);
        be_write32(image.data() + 0x0C, 0x00FC0000);
        write_file(dir_ / "a" / "sram.ram", image);
        g_machine.main_ram_size = 0x400000;
        EXPECT_EQ(sram_load({dir_ / "a"}), dir_ / "a" / "sram.ram");
        EXPECT_EQ(g_machine.main_ram_size, c.ram_size);
        EXPECT_EQ(be_read32(g_sram + 0x0C), 0x00BFFFFCu);
        EXPECT_EQ(g_sram[SRAM_SIZE - 1], 0x5A);
        EXPECT_EQ(g_sram_state.dirty, 0);
    }
}

TEST_F(Sram, LoadSearchesTheFoldersInOrderAndTakesShortFiles) {
    std::memset(g_sram, 0x77, SRAM_SIZE);
    g_machine.main_ram_size = 0x400000;
    EXPECT_TRUE(sram_load({dir_ / "none", dir_ / "nothing"}).empty());
    EXPECT_EQ(g_sram[0], 0x77);  // nothing found: image and size stay
    EXPECT_EQ(g_machine.main_ram_size, 0x400000u);

    std::vector<uint8_t> shorter(12, 0);
    be_write32(shorter.data() + 8, 0x00600000);
    write_file(dir_ / "exe" / "sram.ram", shorter);
    EXPECT_EQ(sram_load({dir_ / "start", dir_ / "exe"}), dir_ / "exe" / "sram.ram");
    EXPECT_EQ(g_machine.main_ram_size, 0x600000u);
    EXPECT_EQ(g_sram[11], 0x00);
    EXPECT_EQ(g_sram[12], 0x77);  // past the short file's end

    write_file(dir_ / "start" / "sram.ram", std::vector<uint8_t>(SRAM_SIZE, 0));
    EXPECT_EQ(sram_load({dir_ / "start", dir_ / "exe"}), dir_ / "start" / "sram.ram");
    EXPECT_EQ(g_machine.main_ram_size, 0x400000u);
}

TEST_F(Sram, SaveWritesTheWholeImageOrNothing) {
    fs::path file = dir_ / "sram.ram";
    EXPECT_TRUE(sram_save(dir_));  // unchanged: nothing to write
    EXPECT_FALSE(fs::exists(file));

    for (uint32_t i = 0; i < SRAM_SIZE; i++) g_sram[i] = uint8_t(i * 7);
    g_sram_state.dirty = 1;
    write_file(file, {1, 2, 3});
    EXPECT_TRUE(sram_save(dir_));
    EXPECT_EQ(read_file(file), std::vector<uint8_t>(g_sram, g_sram + SRAM_SIZE));
    EXPECT_FALSE(leftover_temp(dir_));

    // A target that cannot be replaced: the save fails and leaves nothing behind.
    fs::path blocked = dir_ / "blocked";
    fs::create_directories(blocked / "sram.ram" / "inside");
    EXPECT_FALSE(sram_save(blocked));
    EXPECT_TRUE(fs::is_directory(blocked / "sram.ram" / "inside"));
    EXPECT_FALSE(leftover_temp(blocked));
    EXPECT_FALSE(sram_save(dir_ / "missing"));
}

std::vector<std::string> g_shown;  // "caption: text" of each box shown
MessageBoxAnswer record_box(const char* text, const char* caption, MessageBoxKind) {
    g_shown.push_back(std::string(caption) + ": " + text);
    return MB_ANSWER_OK;
}

TEST_F(Sram, FailedSaveIsToldAndRemembered) {
    MessageBoxBackend saved_backend = g_message_box_backend;
    g_message_box_backend = record_box;
    // Root writes into read-only folders: a folder in place of the file, and
    // a regular file in place of the folder, fail for anyone.
    fs::create_directories(dir_ / "blocked" / "sram.ram");
    write_file(dir_ / "plain", {0});
    struct Case {
        fs::path folder;
        const char* cause;
    };
    const Case cases[] = {{dir_ / "blocked", "Is a directory"}, {dir_ / "plain", "Not a directory"}};
    g_sram_state.dirty = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        host_message_box_flush();
        g_shown.clear();
        EXPECT_FALSE(sram_save(c.folder));
        EXPECT_TRUE(sram_save_failed());
        ASSERT_EQ(g_shown.size(), 1u);
        EXPECT_TRUE(g_shown[0].starts_with("ZOLM SRAM: " + (c.folder / "sram.ram").string() +
                                           " could not be saved: " + c.cause))
            << g_shown[0];
        EXPECT_TRUE(sram_save(dir_));
        EXPECT_FALSE(sram_save_failed());
    }
    host_message_box_flush();
    g_message_box_backend = saved_backend;
}

TEST_F(Sram, SystemPortStoresItsBytes) {
    mem_write_word_c(0x1234, 0xE8E000);
    EXPECT_EQ(g_sys.regs[0], 0);     // a word write goes to its odd byte
    EXPECT_EQ(g_sys.regs[1], 0x34);  // the contrast
    mem_write_byte_c(0x56, 0xE8E002);
    EXPECT_EQ(mem_read_byte_c(0xE8E002), 0x56u);  // even bytes work too
    mem_write_byte_c(0x9A, 0xE8E007);
    EXPECT_EQ(mem_read_long_c(0xE8E004), 0x0000009Au);
    EXPECT_EQ(mem_read_word_c(0xE8E000), 0x34u);  // the byte at address + 1
    mem_write_byte_c(0xFF, 0xE8E010);
    EXPECT_EQ(mem_read_byte_c(0xE8E010), 0u);
    EXPECT_EQ(mem_read_byte_c(0xE8E000), 0u);
}

TEST_F(Sram, SecondPowerOffWriteStopsTheRun) {
    struct Case {
        const char* writes;
        bool breaks;
    };
    // 'f': a byte write of $E8E00F; '0': a byte write of $E8E000.
    const Case cases[] = {{"f", false}, {"ff", true}, {"f0f", false}, {"f0ff", true}, {"fff", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.writes);
        mem_write_byte_c(0, 0xE8E000);
        for (const char* w = c.writes; *w; w++) {
            g_run_flags = 0;
            mem_write_byte_c(0, *w == 'f' ? 0xE8E00F : 0xE8E000);
        }
        EXPECT_EQ((run_flags() & RUN_BREAK) != 0, c.breaks);  // the last write's effect
    }
}

}  // namespace
