// Test support: a start folder of its own (also the current folder) holding
// a test ROM as "iplrom.dat" and an all-zero "cgrom.dat", with start-up's
// message boxes silenced and no font renderer; everything it changes is put
// back when it goes.
#pragma once

#include <filesystem>
#include <string>

#include "machine/rom_files.h"

class RomFolder {
public:
    // rom names a test ROM image (NAME.rom in the test ROM folder).
    explicit RomFolder(const std::string& rom);
    ~RomFolder();
    RomFolder(const RomFolder&) = delete;
    RomFolder& operator=(const RomFolder&) = delete;

    const std::filesystem::path& path() const { return root_; }
    bool ok() const { return !root_.empty(); }

private:
    std::filesystem::path root_;
    std::filesystem::path old_cwd_;
    std::string saved_dirs_[2];
    InitMessageBoxFn saved_box_;
    FontRendererFactory saved_factory_;
};
