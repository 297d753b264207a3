// PNG files of 16-bit host pictures.
#pragma once

#include <cstdint>
#include <string>

// Writes the w x h picture at `pixels` (rows of `stride_pixels` 16-bit
// pixels, 565 when rgb565 else 555) as an 8-bit RGB PNG, whole or not at
// all (write_file_whole). Returns false when the file cannot be written or
// the picture is empty; an old file at path is then untouched.
bool png_write_rgb16(const std::string& path, const uint16_t* pixels, int32_t stride_pixels, int32_t w, int32_t h,
                     bool rgb565);
