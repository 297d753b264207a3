// The whole video path from inside the machine: the video_picture ROM
// programs the CRTC, video controller, palette, text and graphic VRAM and
// the sprite/BG unit, and the headless runner's screenshot of the result
// must equal data/video_picture.png dot for dot. The program runs from a
// folder of its own (a copy of the binary) with the ROM files in its start
// folder, so that nothing lying next to the build's binary takes part.
#include <png.h>

#include <cstdio>

#include "support/headless_fixture.h"

using namespace headless_fixture;

namespace {

constexpr uint32_t STRAY_VECTOR = 0x1008;

struct Picture {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> rgb;  // 3 bytes a dot, rows top to bottom
};

// Decodes a PNG as 8-bit RGB; false when it cannot be read.
bool read_png(const fs::path& path, Picture& pic) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    pic.width = image.width;
    pic.height = image.height;
    pic.rgb.assign(PNG_IMAGE_SIZE(image), 0);
    if (!png_image_finish_read(&image, nullptr, pic.rgb.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    return true;
}

using VideoScreenshot = Headless;

TEST_F(VideoScreenshot, PictureMatchesTheReference) {
    install_rom("video_picture");
    install_cgrom();

    // The frame limit only bounds a ROM that never reaches its power-off.
    Outcome run = zolm("--headless --virtual-clock --frames 600 --dump-ram ram.bin --screenshot out.png");
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<uint8_t> ram = file_bytes(run_dir() / "ram.bin");
    ASSERT_EQ(be32(ram, STRAY_VECTOR), 0u) << "the ROM took an exception";
    ASSERT_EQ(be32(ram, MARK_DONE), 0x444F4E45u) << "the ROM did not reach its power-off";

    Picture want, got;
    fs::path reference = fs::path(ZOLM_VIDEO_DATA_DIR) / "video_picture.png";
    ASSERT_TRUE(read_png(reference, want)) << reference;
    ASSERT_TRUE(read_png(run_dir() / "out.png", got)) << "no screenshot";

    // A failing picture is kept for a look.
    fs::path kept = fs::temp_directory_path() / "video_picture.got.png";
    auto keep = [&] {
        std::error_code ec;
        fs::copy_file(run_dir() / "out.png", kept, fs::copy_options::overwrite_existing, ec);
        return "screenshot kept as " + kept.string();
    };
    ASSERT_EQ(got.width, want.width) << keep();
    ASSERT_EQ(got.height, want.height) << keep();
    size_t differing = 0, first = 0;
    for (size_t i = 0; i < want.rgb.size(); i += 3) {
        if (got.rgb[i] == want.rgb[i] && got.rgb[i + 1] == want.rgb[i + 1] && got.rgb[i + 2] == want.rgb[i + 2])
            continue;
        if (differing++ == 0) first = i;
    }
    if (differing) {
        size_t dot = first / 3;
        char where[160];
        std::snprintf(where, sizeof where, "first at (%zu, %zu): want #%02X%02X%02X, got #%02X%02X%02X",
                      dot % want.width, dot / want.width, want.rgb[first], want.rgb[first + 1], want.rgb[first + 2],
                      got.rgb[first], got.rgb[first + 1], got.rgb[first + 2]);
        ADD_FAILURE() << differing << " dots differ, " << where << "; " << keep();
    }
}

}  // namespace
