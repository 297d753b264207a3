// Running a sound test ROM headless on the virtual clock, with --wav, and
// reading back its results and its sound.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/config_file.h"
#include "app/headless.h"
#include "host/wave_file.h"
#include "support/rom_folder.h"

struct SoundRun {
    std::vector<uint8_t> ram;
    WaveImage wav;
    HeadlessResult result;

    // Result slot N of the ROM's table (tests/roms/report.inc).
    uint32_t result_long(int slot) const {
        uint32_t a = 0x1100 + 4 * uint32_t(slot);
        if (a + 4 > ram.size()) return 0xDEADDEAD;
        return uint32_t(ram[a]) << 24 | uint32_t(ram[a + 1]) << 16 | uint32_t(ram[a + 2]) << 8 | ram[a + 3];
    }
    bool finished() const { return result_long(-0x3F) == 0x444F4E45; }  // "DONE" at $1004
};

inline std::vector<uint8_t> sound_file_bytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs rom to its power-off (at most frames frames) with the settings
// given as KEY=VALUE.
inline SoundRun sound_run_rom(const std::string& rom, const std::vector<std::string>& settings, uint32_t frames) {
    SoundRun run;
    RomFolder folder(rom);
    EXPECT_TRUE(folder.ok());
    if (!folder.ok()) return run;
    cfg_clear_overrides();
    for (const std::string& s : settings) EXPECT_EQ(cfg_add_override(s), "") << s;
    HeadlessOptions options;
    options.headless = true;
    options.virtual_clock = true;
    options.frames = frames;
    options.dump_ram = (folder.path() / "ram.bin").string();
    options.wav = (folder.path() / "out.wav").string();
    run.result = headless_run(options);
    cfg_clear_overrides();
    run.ram = sound_file_bytes(options.dump_ram);
    std::vector<uint8_t> wav = sound_file_bytes(options.wav);
    EXPECT_TRUE(wave_image_parse(wav.data(), wav.size(), run.wav));
    EXPECT_EQ(run.wav.rate, 44100u);
    EXPECT_EQ(run.wav.channels, 2u);
    return run;
}
