// Host drive tests: a unit folder "root" beside a folder "outside" in a
// temporary folder, main RAM at 4 MB, TZ=UTC, and commands run through the
// port as the driver runs them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "support/powered_on.h"

struct HostDriveRequest {
    uint8_t byte13 = 0;
    uint32_t arg1 = 0, arg2 = 0, arg3 = 0;
    uint8_t unit = 0;
};

class HostDriveTest : public PoweredOnMachine {
protected:
    static constexpr uint32_t REQUEST = 0x1000;
    static constexpr uint32_t NAMESTS = 0x1100, NAMESTS2 = 0x1200;
    static constexpr uint32_t FCB = 0x1300, FCB2 = 0x1400;
    static constexpr uint32_t FILES = 0x1500;
    static constexpr uint32_t DATA = 0x10000;

    void SetUp() override;
    void TearDown() override;

    // Runs the command through the port; the long at request offset 18.
    int32_t run(uint8_t command, const HostDriveRequest& r);
    // A name record at addr: path components joined by TAB (Shift-JIS
    // bytes), name1, extension and name2 as given (blank- or NUL-padded).
    void put_namests(uint32_t addr, std::string_view path, std::string_view name1, std::string_view ext,
                     std::string_view name2 = {});
    // A name record for "name.ext" (name over 8 bytes spills into name2).
    void put_name(uint32_t addr, std::string_view path, std::string_view file);

    int32_t create(std::string_view path, std::string_view file, uint32_t mode, uint32_t fcb = FCB);
    int32_t open(std::string_view path, std::string_view file, uint8_t mode, uint32_t fcb = FCB);

    uint8_t* ram(uint32_t addr);
    uint32_t be32(uint32_t addr);
    uint16_t be16(uint32_t addr);
    void set_be32(uint32_t addr, uint32_t v);
    std::string bytes(uint32_t addr, size_t n);

    // Writes a host file beneath the unit folder.
    void host_file(const std::string& rel, std::string_view content);
    std::string host_read(const std::string& rel);
    // A digest of every name, kind, size, mode, time and content beneath dir.
    static std::string tree_digest(const std::filesystem::path& dir);

    std::filesystem::path base_, root_, outside_;
};
