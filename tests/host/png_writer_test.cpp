// PNG files of 16-bit pictures, read back with libpng.
#include <gtest/gtest.h>

#include <png.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/png_writer.h"

namespace fs = std::filesystem;

namespace {

// Decodes a PNG as 8-bit RGB; empty when it cannot be read.
std::vector<uint8_t> read_rgb(const fs::path& path, uint32_t& w, uint32_t& h) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_RGB;
    w = image.width;
    h = image.height;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
        png_image_free(&image);
        return {};
    }
    return rgb;
}

std::string file_text(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class PngWriter : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "zolm-png-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_F(PngWriter, FieldsWidenToEightBitsInBothLayouts) {
    // Two rows of two pixels in rows of three (the third is not written).
    struct Case {
        bool rgb565;
        std::vector<uint16_t> pixels;
        std::vector<uint8_t> rgb;
    };
    const Case cases[] = {
        {true, {0xF800, 0x07E0, 0xDEAD, 0x001F, 0x8410, 0xBEEF}, {255, 0, 0, 0, 255, 0, 0, 0, 255, 132, 130, 132}},
        {false, {0x7C00, 0x03E0, 0xDEAD, 0x001F, 0x4210, 0xBEEF}, {255, 0, 0, 0, 255, 0, 0, 0, 255, 132, 132, 132}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rgb565 ? "565" : "555");
        const fs::path path = dir_ / "shot.png";
        ASSERT_TRUE(png_write_rgb16(path.string(), c.pixels.data(), 3, 2, 2, c.rgb565));
        uint32_t w = 0, h = 0;
        EXPECT_EQ(read_rgb(path, w, h), c.rgb);
        EXPECT_EQ(w, 2u);
        EXPECT_EQ(h, 2u);
    }
}

TEST_F(PngWriter, FileIsReplacedWholeNotWrittenInPlace) {
    // A hard link to the old file keeps the old bytes; a write in place would change them.
    const fs::path path = dir_ / "shot.png", other = dir_ / "kept.png";
    std::ofstream(path) << "old";
    fs::create_hard_link(path, other);
    const uint16_t pixel = 0x7FFF;
    ASSERT_TRUE(png_write_rgb16(path.string(), &pixel, 1, 1, 1, false));
    uint32_t w = 0, h = 0;
    EXPECT_EQ(read_rgb(path, w, h), (std::vector<uint8_t>{255, 255, 255}));
    EXPECT_EQ(file_text(other), "old");
    // Nothing to write, or nowhere to write it: the old file stays.
    EXPECT_FALSE(png_write_rgb16(other.string(), &pixel, 1, 0, 1, false));
    fs::create_directory(dir_ / "dir.png");
    EXPECT_FALSE(png_write_rgb16((dir_ / "dir.png").string(), &pixel, 1, 1, 1, false));
    EXPECT_EQ(file_text(other), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 3);
}

}  // namespace
