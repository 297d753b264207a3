// The program itself, run headless on test ROMs: power-off, the frame
// limit, the RAM dump, the statistics line and the exit statuses, the
// start-up failures, a bad host option, an SRAM that cannot be saved and a
// machine that halts over and over. Each run has a program folder of its own (a copy
// of the binary) and a start folder holding the ROM files, so that nothing
// lying next to the build's binary takes part.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "app/headless.h"
#include "support/headless_fixture.h"

using namespace headless_fixture;

namespace {

const std::regex STATISTICS(R"(X68000 [0-9]+\.[0-9]MHz [0-9]+f/s:[0-9]+f/s\n)");

TEST_F(Headless, PowersOffCleanlyAndDumpsRam) {
    install_rom("power_off");
    install_cgrom();
    // The virtual clock and the host timer thread.
    for (const char* clock : {"--virtual-clock", ""}) {
        SCOPED_TRACE(*clock ? clock : "host timer");
        fs::remove(run_dir() / "ram.bin");
        Outcome r = zolm(std::string("--headless ") + clock + " --frames 600 --dump-ram ram.bin");
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(std::regex_match(r.out, STATISTICS)) << r.out;
        std::vector<uint8_t> ram = file_bytes(run_dir() / "ram.bin");
        ASSERT_EQ(ram.size(), 4 * MB);
        EXPECT_EQ(be32(ram, MARK_DONE), 0x444F4E45u);
        EXPECT_EQ(be32(ram, RESULTS), 2u) << "the run went on after the power-off write";
        // Shut-down saved the IPL ROM access map in the current folder.
        EXPECT_EQ(fs::file_size(run_dir() / "access.dat"), 0x20000u);
    }
}

TEST_F(Headless, FrameLimitEndsTheRunWithoutPowerOff) {
    // The ten-frame ROM counts V-DISP frames at $1004 and powers off after ten.
    install_rom("ten_frames");
    install_cgrom();
    struct Case {
        const char* frames;
        uint32_t counted;
    } cases[] = {{"1", 1}, {"5", 5}, {"50", 10}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frames);
        Outcome r = zolm(std::string("--headless --virtual-clock --frames ") + c.frames + " --dump-ram ram.bin");
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(std::regex_match(r.out, STATISTICS)) << r.out;
        EXPECT_EQ(be32(file_bytes(run_dir() / "ram.bin"), 0x1004), c.counted);
    }
}

// The run loop refreshes its statistics every 800 ms (of emulated time
// with the virtual clock) and starts their counts again; the line at the
// end still has every sync of the run. Each frame is one sync.
TEST_F(Headless, StatisticsCountTheWholeRun) {
    install_rom("demo");
    install_cgrom();
    Outcome r = zolm("--headless --virtual-clock --frames 100");
    EXPECT_EQ(r.status, 0) << r.err;
    const std::regex rates(R"(X68000 [0-9.]+MHz ([0-9]+)f/s:([0-9]+)f/s\n)");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(r.out, m, rates)) << r.out;
    int frames = std::stoi(m[1]), syncs = std::stoi(m[2]);
    EXPECT_NEAR(syncs, frames, frames / 20 + 2) << r.out;
}

TEST_F(Headless, UnwritableDumpFailsTheRun) {
    install_rom("power_off");
    install_cgrom();
    Outcome r = zolm("--headless --virtual-clock --frames 600 --dump-ram no-such-folder/ram.bin");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("no-such-folder/ram.bin could not be written"), std::string::npos) << r.err;
}

TEST_F(Headless, StartupFailuresShowTheirBoxAndFail) {
    // An empty font configuration leaves the substitute CG ROM no face.
    std::ofstream(root_ / "fonts.conf") << "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n";
    std::string no_fonts = "FONTCONFIG_FILE='" + (root_ / "fonts.conf").string() + "'";

    Outcome no_ipl = zolm("--headless --virtual-clock --frames 1");
    EXPECT_NE(no_ipl.status, 0);
    EXPECT_NE(no_ipl.err.find("[ZOLM initialize 1] iplrom.dat または boot.rom が見つかりません"), std::string::npos)
        << no_ipl.err;
    EXPECT_EQ(no_ipl.out, "");
    // Then one line of why and what to do: no window here, so no "reset".
    const std::string no_ipl_line =
        "zolm: the machine cannot start: no IPL ROM image (iplrom.dat, iplrom30.dat, iplromxvi.dat or boot.rom) in " +
        fs::canonical(run_dir()).string();
    const size_t at = no_ipl.err.find(no_ipl_line);
    ASSERT_NE(at, std::string::npos) << no_ipl.err;
    EXPECT_TRUE(no_ipl.err.substr(at).ends_with("; put the machine's IPL ROM there as iplrom.dat\n")) << no_ipl.err;

    // An empty IPL ROM file is none, and says so.
    std::ofstream(run_dir() / "iplrom.dat");
    Outcome empty_ipl = zolm("--headless --virtual-clock --frames 1");
    EXPECT_EQ(empty_ipl.status, 1);
    EXPECT_NE(empty_ipl.err.find("[ZOLM ROM file] " + (run_dir() / "iplrom.dat").string() +
                                 ": empty file, 0 of 131072 bytes read"),
              std::string::npos)
        << empty_ipl.err;
    EXPECT_NE(empty_ipl.err.find("[ZOLM initialize 1]"), std::string::npos) << empty_ipl.err;

    install_rom("power_off");
    Outcome no_cg = zolm("--headless --virtual-clock --frames 1", no_fonts);
    EXPECT_NE(no_cg.status, 0);
    EXPECT_NE(no_cg.err.find("[ZOLM initialize 2] cgrom.dat または cg.rom が見つかりません"), std::string::npos)
        << no_cg.err;
    EXPECT_NE(no_cg.err.find("zolm: the machine cannot start: no CG ROM image (cgrom.dat or cg.rom) in "),
              std::string::npos)
        << no_cg.err;
    EXPECT_EQ(no_cg.out, "");
    EXPECT_FALSE(fs::exists(run_dir() / "cgrom.tmp"));
}

TEST_F(Headless, BadOptionStopsBeforeTheMachineStarts) {
    // No ROM is installed: a machine that started would show "ZOLM initialize 1".
    Outcome r = zolm("--headless --frame 3");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "zolm: --frame: no such option (zolm --help lists them)\n");
    EXPECT_EQ(r.out, "");

    Outcome help = zolm("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("  --frames N "), std::string::npos) << help.out;
    EXPECT_EQ(help.err, "");
}

TEST_F(Headless, UnsavedSramIsToldAndFailsTheRun) {
    // The ROM changes the SRAM; a folder stands where "sram.ram" would go.
    install_rom("sram_save");
    install_cgrom();
    fs::create_directory(run_dir() / "sram.ram");
    Outcome r = zolm("--headless --virtual-clock --frames 600");
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_NE(r.err.find("[ZOLM SRAM] " + (run_dir() / "sram.ram").string() + " could not be saved"), std::string::npos)
        << r.err;
    EXPECT_TRUE(std::regex_match(r.out, STATISTICS)) << r.out;

    fs::remove(run_dir() / "sram.ram");
    Outcome saved = zolm("--headless --virtual-clock --frames 600");
    EXPECT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(file_bytes(run_dir() / "sram.ram").at(0x100), 0x5A);
}

// What the end cannot save is said on stderr, the run ends with status 3,
// the file stays as it was and the other files are still saved: "sram.ram"
// or the settings file that its owner may not write (root too), a settings
// file that is a folder or other text, an access map that is a folder.
TEST_F(Headless, FilesThatCannotBeSavedAreToldAndFailTheRun) {
    install_rom("sram_save");  // changes the SRAM, so that it is saved
    install_cgrom();
    enum Kind { READ_ONLY, FOLDER, OTHER_TEXT };
    struct Case {
        const char* name;
        Kind kind;
        const char* said;
    };
    const Case cases[] = {
        {"X68.CFG", READ_ONLY, "[ZOLM] RUN/X68.CFG could not be saved: permission denied"},
        {"sram.ram", READ_ONLY, "[ZOLM SRAM] RUN/sram.ram could not be saved: permission denied"},
        {"X68.CFG", FOLDER, "zolm: RUN/X68.CFG is not a settings file: it is not read, and not written over"},
        {"X68.CFG", OTHER_TEXT, "zolm: RUN/X68.CFG is not a settings file"},
        {"access.dat", FOLDER, "[ZOLM access.dat] RUN/access.dat could not be saved: Is a directory"},
    };
    const char* const saved_files[] = {"X68.CFG", "sram.ram", "access.dat"};
    const std::string settings = "ZOLM option setting.\n101,0,0,0,0,0,0,0\nSPEED:4\nEND:\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.kind));
        for (const char* name : saved_files) fs::remove_all(run_dir() / name);
        const fs::path path = run_dir() / c.name;
        const std::string old = c.kind == OTHER_TEXT                ? "my notes\n"
                                : std::string(c.name) == "sram.ram" ? std::string(0x4000, '\0')
                                                                    : settings;
        if (c.kind == FOLDER) fs::create_directory(path);
        else std::ofstream(path, std::ios::binary) << old;
        if (c.kind == READ_ONLY) fs::permissions(path, fs::perms::owner_read | fs::perms::group_read);

        Outcome r = zolm("--headless --virtual-clock --frames 600");
        EXPECT_EQ(r.status, 3) << r.err;
        std::string said = c.said;
        said.replace(said.find("RUN"), 3, run_dir().string());
        EXPECT_NE(r.err.find(said), std::string::npos) << r.err;
        if (c.kind == FOLDER) {
            EXPECT_TRUE(fs::is_directory(path));
        } else {
            EXPECT_TRUE(file_text(path) == old) << "written over";
        }
        for (const char* name : saved_files) {
            if (name == std::string(c.name)) continue;
            EXPECT_TRUE(fs::is_regular_file(run_dir() / name)) << name;
        }
    }
    // Told not to save the settings, a settings path that is a folder fails nothing.
    for (const char* name : saved_files) fs::remove_all(run_dir() / name);
    fs::create_directory(run_dir() / "X68.CFG");
    Outcome not_saving = zolm("--headless --virtual-clock --frames 600 -n");
    EXPECT_EQ(not_saving.status, 0) << not_saving.err;
}

TEST_F(Headless, HaltingOverAndOverWritesOneBoxAndItsCount) {
    // The ROM halts 1000 times, each halt a reset, then powers off.
    install_rom("double_fault");
    install_cgrom();
    Outcome r = zolm("--headless --virtual-clock", "timeout 60");
    EXPECT_EQ(r.status, 0) << r.err.substr(0, 400);
    const std::string box = "[MPU HALT] double buss haltが発生しました。";
    ASSERT_TRUE(r.err.starts_with(box + "\n")) << r.err.substr(0, 400);
    EXPECT_LT(r.err.size(), 400u) << r.err.substr(0, 400);
    EXPECT_NE(r.err.find("\n" + box + " (repeated 999 times)\n"), std::string::npos) << r.err.substr(0, 400);
}

// Machines that never reach a frame end on their own still count frames:
// a frame limit ends them, and one that only halts and resets stops by itself.
TEST_F(Headless, RunsThatNeverPowerOffEndAtTheFrameLimit) {
    install_cgrom();
    for (const char* rom : {"halt_loop", "timer_d_fast"}) {
        SCOPED_TRACE(rom);
        install_rom(rom);
        Outcome r = zolm("--headless --virtual-clock --frames 10", "timeout 60");
        EXPECT_EQ(r.status, 0) << r.err.substr(0, 400);
        EXPECT_LT(r.err.size(), 400u) << r.err.substr(0, 400);
    }
}

TEST_F(Headless, HaltsAtTwoPlacesByTurnsWriteTwoBoxesAndTheirCounts) {
    install_rom("alternate_halts");
    install_cgrom();
    Outcome r = zolm("--headless --virtual-clock --frames 10", "timeout 60");
    EXPECT_EQ(r.status, 0) << r.err.substr(0, 400);
    EXPECT_LT(r.err.size(), 600u) << r.err.substr(0, 600);
    const std::string box = "[MPU HALT] double buss haltが発生しました。";
    size_t shown = 0, counts = 0;
    for (size_t at = 0; (at = r.err.find(box, at)) != std::string::npos; at += box.size())
        (r.err.compare(at + box.size(), 11, " (repeated ") == 0 ? counts : shown)++;
    EXPECT_EQ(shown, 2u) << r.err.substr(0, 600);
    EXPECT_EQ(counts, 2u) << r.err.substr(0, 600);
}

// The ROM's address-error handler lies at an odd address: the fault on its
// first fetch is a double fault, so one frame is stacked before each halt,
// and the halts and resets cost their time.
TEST_F(Headless, AFaultOnAFaultHandlersFetchHaltsAndTheFrameLimitHolds) {
    install_rom("odd_vectors");
    install_cgrom();
    Outcome r = zolm("--headless --virtual-clock --frames 120 --dump-ram ram.bin", "timeout 20");
    EXPECT_TRUE(r.status == 0 || r.status == EXIT_HALT_LOOP) << r.status << "\n" << r.err.substr(0, 400);
    EXPECT_LT(r.err.size(), 400u) << r.err.substr(0, 400);
    EXPECT_NE(r.err.find(" PC=    1235\n"), std::string::npos) << r.err.substr(0, 400);
    std::vector<uint8_t> ram = file_bytes(run_dir() / "ram.bin");
    ASSERT_EQ(ram.size(), 4 * MB);
    // The frame of the jump's address error, below the reset SSP $2000.
    constexpr uint32_t FRAME = 0x2000 - 14;
    EXPECT_EQ(be32(ram, FRAME + 2), 0x1001u);
    EXPECT_EQ(be32(ram, FRAME + 10), 0x1001u);
    EXPECT_EQ(be32(ram, 0x0C), 0x1235u);
    size_t written_below = 0;
    for (uint32_t a = 0x100; a < FRAME; a++) written_below += ram[a] != 0;
    EXPECT_EQ(written_below, 0u) << "more frames were stacked below the first";
}

// It is stopped once it has halted through 60 frames, as a frame limit
// counts them: a limit of 60 frames ends with the halt loop, one of 59 before it.
TEST_F(Headless, AMachineThatOnlyHaltsIsStopped) {
    install_rom("halt_loop");
    install_cgrom();
    struct Case {
        const char* frames;
        int status;
    } cases[] = {{"", EXIT_HALT_LOOP}, {"--frames 60", EXIT_HALT_LOOP}, {"--frames 59", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frames);
        Outcome r = zolm(std::string("--headless --virtual-clock -n ") + c.frames, "timeout 60");
        EXPECT_EQ(r.status, c.status) << r.err.substr(0, 400);
        EXPECT_EQ(
            r.err.find("zolm: stopped: the machine does nothing but halt on a double bus fault") != std::string::npos,
            c.status == EXIT_HALT_LOOP)
            << r.err.substr(0, 400);
        EXPECT_LT(r.err.size(), 400u) << r.err.substr(0, 400);
    }
}

// The configuration file: read before the machine starts, written whole at
// the end unless -n; --set gives a setting for the run only.
TEST_F(Headless, WritesTheConfigurationFileUnlessToldNotTo) {
    install_rom("demo");
    install_cgrom();
    const fs::path cfg = run_dir() / "X68.CFG";
    Outcome n = zolm("--headless --virtual-clock --frames 1 -n");
    EXPECT_EQ(n.status, 0) << n.err;
    EXPECT_FALSE(fs::exists(cfg));

    Outcome r = zolm("--headless --virtual-clock --frames 1");
    EXPECT_EQ(r.status, 0) << r.err;
    std::string text = file_text(cfg);
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(text.substr(at, end - at));
    ASSERT_EQ(lines.size(), 52u) << text;
    EXPECT_EQ(lines.front(), "ZOLM option setting.");
    EXPECT_EQ(lines[1], "101,0,0,0,0,0,0,0");
    EXPECT_EQ(lines.back(), "END:");
    EXPECT_TRUE(text.ends_with("END:\n"));

    // A setting given with --set holds for the run; the file keeps its own.
    // An image on the command line selects its own configuration file.
    std::ofstream(cfg, std::ios::trunc) << "ZOLM\n101\nSPEED:4\nFMVOL:300\nEND:\n";
    Outcome set = zolm("--headless --virtual-clock --frames 1 --set SPEED=0 --set=FMVOL=65535");
    EXPECT_EQ(set.status, 0) << set.err;
    text = file_text(cfg);
    EXPECT_NE(text.find("\nSPEED:4\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nFMVOL:300\n"), std::string::npos) << text;
    std::ofstream(run_dir() / "my disk.XDF");  // drive 0 takes it: the name stays
    Outcome image = zolm("--headless --virtual-clock --frames 1 'my disk.XDF'");
    EXPECT_EQ(image.status, 0) << image.err;
    EXPECT_NE(file_text(run_dir() / "my disk.cfg").find("\nFD0:my disk.XDF\n"), std::string::npos);
}

TEST_F(Headless, BadSettingStopsBeforeTheMachineStarts) {
    // No ROM is installed: a machine that started would show "ZOLM initialize 1".
    Outcome r = zolm("--headless --set FM=5");
    EXPECT_EQ(r.status, EXIT_USAGE);
    EXPECT_EQ(r.err, "zolm: --set: FM does not take \"5\" (it takes 0-4)\n");
    EXPECT_FALSE(fs::exists(run_dir() / "X68.CFG"));
}

}  // namespace

// The console debugger without a window: a script over every command on a
// test ROM, its output against a golden file. The input ends without
// "exit": the end of the input is "exit", and the run ends with status 0.
namespace {

const fs::path DEBUGGER_DATA = fs::path(__FILE__).parent_path().parent_path() / "debugger" / "data";

TEST_F(Headless, DebuggerScriptMatchesItsGoldenOutput) {
    install_rom("debugger_script");
    install_cgrom();
    const fs::path script = DEBUGGER_DATA / "debugger_script.txt";
    Outcome r = zolm("--headless --debugger --virtual-clock --frames 2 <'" + script.string() + "'", "timeout 60");
    EXPECT_EQ(r.status, 0) << r.err;
    const fs::path golden = DEBUGGER_DATA / "debugger_script.out";
    if (std::getenv("ZOLM_UPDATE_GOLDEN")) std::ofstream(golden, std::ios::binary) << r.out;
    EXPECT_EQ(r.out, file_text(golden));
    // "f" logged the prompt, the typed line and what the step wrote.
    const std::string log = file_text(run_dir() / "debug.log");
    EXPECT_TRUE(log.starts_with("//START LOG//\n>s\n[ 1] ")) << log;
    EXPECT_TRUE(log.ends_with("\n>f\n")) << log;
    EXPECT_NE(r.out.find("LOG FILE <ON>\n//START LOG//\n>"), std::string::npos);
}

TEST_F(Headless, DebuggerEndsAtExitOrAtTheEndOfItsInput) {
    // A machine that cannot start ends the session before the prompt.
    std::ofstream(root_ / "in") << "g\n";
    Outcome no_rom = zolm("--headless --debugger --virtual-clock <'" + (root_ / "in").string() + "'", "timeout 60");
    EXPECT_EQ(no_rom.status, EXIT_START_FAILED);
    EXPECT_EQ(no_rom.out, "-- ZOLM DEBUGGER -- \n initialize...\n");

    install_rom("debugger_script");
    install_cgrom();
    struct Case {
        const char* input;
        const char* tail;  // the output's end
    } cases[] = {
        {"", ">\n"},                                                    // nothing at all
        {"exit\nr\n", ">"},                                             // lines after exit are not read as commands
        {"b 3000", " break(R) 3000..3000\n break(W) 3000..3000\n>\n"},  // a last line without its end
        {"EXIT\n", ">"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        std::ofstream(root_ / "in", std::ios::binary) << c.input;
        Outcome r = zolm("--headless --debugger --virtual-clock <'" + (root_ / "in").string() + "'", "timeout 60");
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(r.out.starts_with("-- ZOLM DEBUGGER -- \n initialize.....Ok\n>")) << r.out;
        EXPECT_TRUE(r.out.ends_with(c.tail)) << r.out;
        EXPECT_EQ(r.out.find("MHz"), std::string::npos) << "no statistics line in the debugger";
    }
}

// "u" towards an address the program never reaches runs until SIGINT
// breaks it; the debugger then reads its next line.
TEST_F(Headless, SigintBreaksARunThatNeverEnds) {
    install_rom("debugger_script");
    install_cgrom();
    int to_zolm, from_zolm;
    pid_t pid = start_debugger(to_zolm, from_zolm);
    ASSERT_GE(pid, 0);
    // The handlers are in once the prompt is there, however slow the start.
    std::string text = read_until(from_zolm, "Ok\n>");
    const std::string first = "u 123456\n";
    ASSERT_EQ(write(to_zolm, first.data(), first.size()), ssize_t(first.size()));
    usleep(500 * 1000);
    kill(pid, SIGINT);
    const std::string rest = "r\nexit\n";
    ASSERT_EQ(write(to_zolm, rest.data(), rest.size()), ssize_t(rest.size()));
    close(to_zolm);
    char buf[4096];
    for (ssize_t n; (n = read(from_zolm, buf, sizeof buf)) > 0;) text.append(buf, size_t(n));
    close(from_zolm);
    int status = 0;
    for (int i = 0; i < 300 && waitpid(pid, &status, WNOHANG) == 0; i++) usleep(100 * 1000);
    if (waitpid(pid, &status, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        FAIL() << "still running: " << text;
    }
    ASSERT_TRUE(WIFEXITED(status)) << text;
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_NE(text.find("\nbreak!\n"), std::string::npos) << text;
    const size_t broke = text.find("\nbreak!\n");
    EXPECT_NE(text.find(">"
                        " PC[",
                        broke),
              std::string::npos)
        << "the line after the break was read: " << text;
}

}  // namespace
