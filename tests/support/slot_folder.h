// Test support: a temporary folder for image files, with every floppy
// drive slot empty and no medium change pending.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

class SlotFolder : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // A small image file of that name in the folder; its path.
    std::string image(const std::string& name);

    std::filesystem::path dir;
};
