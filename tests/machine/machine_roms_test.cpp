// The checking ROMs of tests/roms/ run in the whole machine, in this
// process: each lays out its vector table, checks a group of devices from
// inside and leaves a table of results in RAM (layout in tests/roms/report.inc)
// before it powers off. One machine start per run, several in a row.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/headless.h"
#include "core/decode.h"
#include "host/local_time.h"
#include "host/paths.h"
#include "machine/host_timer.h"
#include "machine/machine.h"
#include "machine/rom_files.h"
#include "machine/settings.h"
#include "machine/sram.h"
#include "machine/startup.h"
#include "support/powered_on.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t MARK_START = 0x1000, MARK_DONE = 0x1004, STRAY_VECTOR = 0x1008, STRAY_PC = 0x100C;
constexpr uint32_t RESULTS = 0x1100;
constexpr uint32_t MB = 0x100000;

// A fault the ROM caught: the vector number, and for bus and address errors
// the fault address.
constexpr uint32_t fault(uint32_t vector, uint32_t addr = 0) { return vector << 24 | addr; }
constexpr uint32_t BUS_ERROR = 2, PRIVILEGE = 8;

// Result slot N lies in lo..hi.
struct Expect {
    int slot;
    uint32_t lo, hi;
    const char* what;
};
constexpr Expect eq(int slot, uint32_t v, const char* what) { return {slot, v, v, what}; }
constexpr Expect within(int slot, uint32_t lo, uint32_t hi, const char* what) { return {slot, lo, hi, what}; }

uint32_t be32(const std::vector<uint8_t>& ram, uint32_t addr) {
    if (addr + 4 > ram.size()) return 0xDEADDEAD;
    return uint32_t(ram[addr]) << 24 | uint32_t(ram[addr + 1]) << 16 | uint32_t(ram[addr + 2]) << 8 | ram[addr + 3];
}

std::vector<uint8_t> file_bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_bytes(const fs::path& p, const std::vector<uint8_t>& bytes) {
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<std::string> g_boxes;
MessageBoxAnswer record_box(const char* text, const char* caption, MessageBoxKind) {
    g_boxes.push_back(std::string(caption) + ": " + text);
    return MB_ANSWER_OK;
}
std::unique_ptr<FontRenderer> no_renderer(const std::string&, std::string* why) {
    if (why) *why = "switched off";
    return nullptr;
}

// The boot-setting question: refuses the first time, allows after.
int g_questions;
int32_t refuse_first(int32_t) { return g_questions++ == 0 ? 1 : 0; }

// A start folder of its own (also the current folder) holding the ROM as
// "iplrom.dat" and an all-zero "cgrom.dat"; the program folder is empty.
class MachineRom : public PoweredOnMachine {
protected:
    static void SetUpTestSuite() { init_build_cpu_tables(); }

    void SetUp() override {
        PoweredOnMachine::SetUp();
        std::string tmpl = (fs::temp_directory_path() / "zolm-machine-rom-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        root_ = tmpl;
        fs::create_directory(root_ / "exe");
        fs::current_path(root_);
        g_start_dir = root_.string();
        g_exe_dir = (root_ / "exe").string();
        g_init_message_box = record_box;
        g_font_renderer_factory = no_renderer;
        g_settings.frame = g_settings.minclock = 0;
        g_settings.warnvirus = 0;
        g_boxes.clear();
        write_bytes(root_ / "cgrom.dat", std::vector<uint8_t>(0xC0000, 0));
    }
    void TearDown() override {
        if (init_machine_running()) init_stop();
        host_local_time_set(nullptr);
        g_start_dir = saved_dirs_[0];
        g_exe_dir = saved_dirs_[1];
        g_init_message_box = saved_box_;
        g_font_renderer_factory = saved_factory_;
        g_sram_confirm_write = saved_confirm_;
        g_settings.frame = saved_cfg_[0];
        g_settings.minclock = saved_cfg_[1];
        g_settings.warnvirus = saved_cfg_[2];
        g_virus_warn_off = saved_cfg_[3];
        fs::current_path(old_cwd_);
        std::error_code ec;
        if (!root_.empty()) fs::remove_all(root_, ec);
    }

    void install_rom(const char* name) {
        fs::path rom = fs::path(ZOLM_TEST_ROM_DIR) / (std::string(name) + ".rom");
        ASSERT_TRUE(fs::exists(rom)) << rom;
        fs::copy_file(rom, root_ / "iplrom.dat", fs::copy_options::overwrite_existing);
    }

    // "sram.ram" with the RAM size field and the long at $0C that start-up fixes up.
    void write_sram(uint32_t ram_size_field, std::vector<std::pair<uint32_t, uint8_t>> bytes = {}) {
        std::vector<uint8_t> sram(SRAM_SIZE, 0);
        for (int i = 0; i < 4; i++) sram[8 + i] = uint8_t(ram_size_field >> (24 - 8 * i));
        sram[0x0D] = 0xFC;
        for (auto [offset, value] : bytes) sram[offset] = value;
        write_bytes(root_ / "sram.ram", sram);
    }

    // Runs the ROM headless on the virtual clock to its power-off (at most
    // max_frames frames) and returns main RAM as it was left.
    std::vector<uint8_t> run(uint32_t max_frames = 600) {
        HeadlessOptions options;
        options.headless = true;
        options.virtual_clock = true;
        options.frames = max_frames;
        options.dump_ram = (root_ / "ram.bin").string();
        last_ = headless_run(options);
        EXPECT_TRUE(g_boxes.empty()) << g_boxes.front();
        return file_bytes(root_ / "ram.bin");
    }

    // The ROM got through all of its checks without a stray exception.
    static void expect_finished(const std::vector<uint8_t>& ram) {
        ASSERT_GE(ram.size(), 4 * MB);
        EXPECT_EQ(be32(ram, MARK_START), 0x5A4F4C4Du) << "the ROM did not start";
        EXPECT_EQ(be32(ram, STRAY_VECTOR), 0u)
            << "stray exception, vector " << be32(ram, STRAY_VECTOR) << " at PC $" << std::hex << be32(ram, STRAY_PC);
        EXPECT_EQ(be32(ram, MARK_DONE), 0x444F4E45u) << "the ROM did not finish its checks";
    }

    static void expect_results(const std::vector<uint8_t>& ram, std::initializer_list<Expect> table) {
        for (const Expect& e : table) {
            uint32_t v = be32(ram, RESULTS + 4 * uint32_t(e.slot));
            if (e.lo == e.hi)
                EXPECT_EQ(v, e.lo) << "result " << e.slot << ": " << e.what << std::hex << " (got $" << v << ")";
            else
                EXPECT_TRUE(v >= e.lo && v <= e.hi)
                    << "result " << e.slot << ": " << e.what << " = " << v << ", not in " << e.lo << ".." << e.hi;
        }
    }

    fs::path root_;
    // What the fixture changes, as it was.
    fs::path old_cwd_ = fs::current_path();
    std::string saved_dirs_[2] = {g_start_dir, g_exe_dir};
    InitMessageBoxFn saved_box_ = g_init_message_box;
    FontRendererFactory saved_factory_ = g_font_renderer_factory;
    SramConfirmFn saved_confirm_ = g_sram_confirm_write;
    int saved_cfg_[4] = {g_settings.frame, g_settings.minclock, g_settings.warnvirus, g_virus_warn_off};
    HeadlessResult last_{};
};

TEST_F(MachineRom, MemoryMapFollowsTheSramRamSize) {
    install_rom("memory_map");
    struct Case {
        const char* name;
        bool has_sram;
        uint32_t size_field;
        uint32_t ram_size;
    } cases[] = {
        {"no sram.ram", false, 0, 4 * MB},
        {"2 MB asked", true, 2 * MB, 4 * MB},
        {"8 MB", true, 8 * MB, 8 * MB},
        {"16 MB asked", true, 16 * MB, 12 * MB},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::error_code ec;
        fs::remove(root_ / "sram.ram", ec);
        if (c.has_sram) write_sram(c.size_field);
        std::vector<uint8_t> ram = run();
        EXPECT_TRUE(last_.powered_off);
        EXPECT_EQ(ram.size(), c.ram_size);
        expect_finished(ram);
        // At 12 MB the page after RAM is graphic VRAM, not a bus error.
        uint32_t end_fault = c.ram_size < 12 * MB ? fault(BUS_ERROR, c.ram_size) : 0;
        expect_results(ram, {
                                eq(0, c.ram_size, "end of RAM"),
                                eq(1, end_fault, "long read at the end of RAM"),
                                eq(2, 0x5AA5C33C, "last long of RAM"),
                                eq(3, fault(BUS_ERROR, 0xEE0000), "long read $EE0000"),
                                eq(4, 0x15, "access code: supervisor data read"),
                                eq(5, fault(BUS_ERROR, 0xFC0001), "byte write $FC0001"),
                                eq(6, 0x05, "access code: supervisor data write"),
                                eq(7, fault(BUS_ERROR, 0xFE0000), "word write to the IPL ROM"),
                                eq(8, fault(BUS_ERROR, 0xF00001), "byte write to the CG ROM"),
                                eq(9, fault(BUS_ERROR, 0xE88000), "byte read of an even MFP address"),
                                eq(10, fault(BUS_ERROR, 0xE89FFE), "byte write of an even MFP address"),
                                eq(11, 0, "byte read $E88041"),
                                eq(12, 0x22, "GPIP through the mirror: bits 1 and 5"),
                                eq(13, 0, "byte read $E9C001"),
                                eq(14, 0, "$E9C001 reads 0"),
                                eq(15, fault(BUS_ERROR, 0xE9E000), "word read $E9E000"),
                                eq(16, fault(BUS_ERROR, 0xE86001), "area-set read"),
                                eq(17, fault(BUS_ERROR, 0xE86000), "area-set word write"),
                                eq(18, fault(PRIVILEGE), "boundary kept after the word write"),
                                eq(19, 0, "area set := $0E"),
                                eq(20, 0, "$0E: no supervisor page"),
                                eq(21, 0, "area set := $0F"),
                                eq(22, fault(PRIVILEGE), "$0F: $01FFFE supervisor"),
                                eq(23, 0, "$0F: $020000 user"),
                                eq(24, 0, "area set := $FF"),
                                eq(25, fault(PRIVILEGE), "$FF: $1FFFFE supervisor"),
                                eq(26, 0, "$FF: $200000 user"),
                                eq(27, 0, "user read of the supervisor area"),
                                eq(28, 0x5A4F4C4D, "the long it read"),
                                eq(29, fault(BUS_ERROR, 0xEE0000), "user byte read $EE0000"),
                                eq(30, 0x11, "access code: user data read"),
                                eq(31, 0, "65536 colours: $C7FFFE"),
                                eq(32, fault(BUS_ERROR, 0xC80000), "65536 colours: $C80000"),
                                eq(33, 0, "256 colours: $CFFFFE"),
                                eq(34, fault(BUS_ERROR, 0xD00000), "256 colours: $D00000"),
                                eq(35, 0, "16 colours: $DFFFFE"),
                                eq(36, 0x11, "IPL ROM byte"),
                                eq(37, 0x2222, "IPL ROM word"),
                                eq(38, 0x44444444, "IPL ROM long"),
                            });
    }

    // The IPL ROM's data reads and its executed code, as saved at shut-down.
    std::vector<uint8_t> map = file_bytes(root_ / "access.dat");
    std::vector<uint8_t> rom = file_bytes(root_ / "iplrom.dat");
    ASSERT_EQ(map.size(), 0x20000u);
    ASSERT_EQ(rom.size(), 0x20000u);
    EXPECT_EQ(map[0x1000] & 0x70, 0x10);
    EXPECT_EQ(map[0x1002] & 0x70, 0x20);
    EXPECT_EQ(map[0x1004] & 0x70, 0x40);
    uint32_t reset_pc = be32(rom, 0x10004);
    ASSERT_GE(reset_pc, 0xFE0000u);
    EXPECT_EQ(map[reset_pc - 0xFE0000] & 0x01, 0x01);
    EXPECT_EQ(map[0x1000] & 0x01, 0);
}

TEST_F(MachineRom, SramProtectionAndSystemPort) {
    install_rom("sram_port");
    write_sram(4 * MB, {{0x100, 0x11}, {0x102, 0xCA}, {0x103, 0xFE}});
    g_settings.warnvirus = 1;
    g_virus_warn_off = 0;
    g_questions = 0;
    g_sram_confirm_write = refuse_first;
    std::vector<uint8_t> ram = run();
    EXPECT_TRUE(last_.powered_off);
    expect_finished(ram);
    expect_results(ram, {
                            eq(0, 4 * MB, "RAM size field"),
                            eq(1, 0x00BFFFFC, "long at $0C fixed up"),
                            eq(2, 0, "protected byte write: no error"),
                            eq(3, 0x11, "protected byte write vanished"),
                            eq(4, 0, "protected word write: no error"),
                            eq(5, 0xCAFE, "protected word write vanished"),
                            eq(6, 0, "protected long write: no error"),
                            eq(7, 0, "protected long write vanished"),
                            eq(8, 0x00, "$E8E00D reads back"),
                            eq(9, 0x31, "$E8E00D reads back"),
                            eq(10, 0x33, "byte write lands"),
                            eq(11, 0x1234, "word write lands"),
                            eq(12, 0x12345678, "long write at the last long lands"),
                            eq(13, fault(BUS_ERROR, 0xEC0000), "read below the SRAM"),
                            eq(14, fault(BUS_ERROR, 0xED4000), "read above the SRAM"),
                            eq(15, fault(BUS_ERROR, 0xED4001), "write above the SRAM"),
                            eq(16, 0, "write $E8E010: ignored"),
                            eq(17, 0, "$E8E010 reads 0"),
                            eq(18, 0x5A, "$E8E003 stored"),
                            eq(19, 0xA5, "$E8E002 stored"),
                            eq(20, fault(BUS_ERROR, 0xED0018), "refused boot write"),
                            eq(21, 0x00, "refused boot write stored nothing"),
                            eq(22, 0, "allowed boot write"),
                            eq(23, 0, "boot write of the value it holds"),
                            eq(24, 0, "long boot write"),
                            eq(25, 0xB0, "long boot write stored"),
                            eq(26, 0, "word boot write"),
                            eq(27, 0xB012, "word boot write stored"),
                        });
    // Asked for the two byte writes of $B0 over another value and for the
    // word write; not for $B0 over $B0, nor for the long write.
    EXPECT_EQ(g_questions, 3);

    std::vector<uint8_t> saved = file_bytes(root_ / "sram.ram");
    ASSERT_EQ(saved.size(), SRAM_SIZE);
    const std::pair<uint32_t, uint8_t> bytes[] = {
        {0x0D, 0xBF},  {0x0E, 0xFF},  {0x0F, 0xFC},  {0x100, 0x11},  {0x101, 0x33},  {0x102, 0x12},
        {0x103, 0x34}, {0x104, 0x00}, {0x200, 0x00}, {0x3FFC, 0x12}, {0x3FFF, 0x78},
    };
    for (auto [offset, value] : bytes) EXPECT_EQ(saved[offset], value) << "sram.ram offset " << std::hex << offset;
}

TEST_F(MachineRom, MfpTimersAndGpipAcrossFrames) {
    install_rom("mfp_timers");
    std::vector<uint8_t> ram = run();
    EXPECT_TRUE(last_.powered_off);
    expect_finished(ram);
    expect_results(ram, {
                            eq(0, 10, "V-DISP interrupts in 10 frames"),
                            eq(1, 10, "raster interrupts in 10 frames"),
                            eq(2, 10, "GPIP reads that saw the raster bit: once a frame"),
                            eq(3, 0xF2, "GPIP bits 1, 4, 5, 6 and 7 seen set"),
                            eq(4, 0x22, "GPIP bits 1 and 5 always set"),
                            within(5, 48, 52, "timer C, 5.0 a frame"),
                            within(6, 98, 102, "timer D, 10.0 a frame"),
                            eq(7, 0, "timer C after IERB bit 5 cleared"),
                            within(8, 29, 31, "timer D runs on"),
                            eq(9, 0, "timer D after TCDCR := 0"),
                            eq(10, 1, "timer A delay mode: once per start"),
                            eq(11, 3, "timer A event count: every third V-DISP rise"),
                            eq(12, 3, "TADR reloaded"),
                            eq(13, 2, "TADR counted by one rise"),
                            eq(14, 0x55, "TCDR of a stopped timer"),
                            eq(15, 143, "TCDR counts down once"),
                            eq(16, 142, "and once more"),
                            eq(17, 0, "$E88033 reads 0"),
                            eq(18, 0x66, "$E88031 stored"),
                        });
}

// The clock needs the host time moved at the ROM's phases, so this run goes
// through the machine API slice by slice.
TEST_F(MachineRom, ClockDigitsFromTheInjectedTime) {
    install_rom("rtc_clock");
    constexpr uint32_t PHASE = 0x1400;
    HostLocalTime t{2026, 12, 25, 5, 23, 47, 26};
    host_local_time_set(&t);
    clock_set_pacing(ClockPacing::Virtual);
    ASSERT_EQ(init_start(), 0u);
    clock_start_timer();
    uint32_t phase = 0;
    bool stopped = false;
    for (int slice = 0; slice < 1000 && !stopped; slice++) {
        init_run_slice(0);
        if (g_machine.requests.event_request == REQ_END_SLICE) emu_take_request();
        clock_virtual_poll();
        stopped = (run_flags() & RUN_BREAK) != 0;
        const uint8_t* p = g_machine.main_ram + PHASE;
        uint32_t now = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
        if (now != phase && now <= 3) {
            phase = now;
            t.second = 26 + int(phase);
            host_local_time_set(&t);
        }
    }
    clock_stop_timer();
    std::vector<uint8_t> ram(g_machine.main_ram, g_machine.main_ram + 4 * MB);
    init_stop();
    EXPECT_TRUE(stopped) << "no power-off";
    expect_finished(ram);
    expect_results(ram, {
                            eq(0, 6, "1-second"),
                            eq(1, 2, "10-second"),
                            eq(2, 7, "1-minute"),
                            eq(3, 4, "10-minute"),
                            eq(4, 3, "1-hour"),
                            eq(5, 2, "10-hour"),
                            eq(6, 5, "day of week"),
                            eq(7, 5, "1-day"),
                            eq(8, 2, "10-day"),
                            eq(9, 2, "1-month"),
                            eq(10, 1, "10-month"),
                            eq(11, 6, "1-year"),
                            eq(12, 0xC4, "10-year: (2026 - 60) / 10 whole"),
                            eq(13, 5, "bank 1 $E8A001"),
                            eq(14, 9, "mode register in bank 1"),
                            eq(15, 6, "bank 0 seconds untouched by the bank 1 write"),
                            eq(16, 8, "mode register in bank 0"),
                            eq(17, 0, "$E8A021 reads 0"),
                            eq(18, fault(BUS_ERROR, 0xE8A000), "even address"),
                            eq(19, 1, "one pulse for one change of second"),
                            eq(20, 0, "GPIP bit 0 low at the pulse"),
                            eq(21, 1, "GPIP bit 0 set again by a read"),
                            eq(22, 7, "seconds moved to :27"),
                            eq(23, 1, "no pulse with the 1 Hz output off"),
                            eq(24, 8, "refreshes go on: :28"),
                            eq(25, 8, "one read: no refresh"),
                            eq(26, 9, "a second read in a row refreshes: :29"),
                        });
}

TEST_F(MachineRom, PowerOffAtTheSecondWrite) {
    install_rom("power_off");
    std::vector<uint8_t> ram = run();
    EXPECT_TRUE(last_.powered_off);
    EXPECT_EQ(last_.exit_status, 0);
    expect_finished(ram);
    expect_results(ram, {
                            eq(0, 2, "stopped at the second write since $E8E000, and at once"),
                            eq(1, 3, "frames between the stages"),
                            eq(2, 0x34, "word write of $E8E000 lands on the contrast"),
                            eq(3, 0x5A, "and leaves $E8E000 alone"),
                        });
}

// A machine started again in the same program runs as the first one did,
// although the power-off count lives on between them. The ten-frame ROM counts
// ten frames at $1004 and restarts the count only just before its power-off.
TEST_F(MachineRom, RunsAgainAfterAPowerOff) {
    install_rom("ten_frames");
    for (int n = 1; n <= 2; n++) {
        SCOPED_TRACE(n == 1 ? "first run" : "second run");
        std::vector<uint8_t> ram = run();
        EXPECT_TRUE(last_.powered_off);
        EXPECT_EQ(be32(ram, 0x1004), 10u) << "frames the ROM counted";
    }
}

}  // namespace
