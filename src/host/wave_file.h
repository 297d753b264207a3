// RIFF WAVE images: writing 16-bit PCM files, reading PCM images.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr uint32_t WAVE_HEADER_BYTES = 44;

// The 44-byte header of a PCM image: rate, bits per sample, channels and
// the data size in bytes. Returns its length.
uint32_t wave_header_write(uint8_t* header, uint32_t rate, uint32_t bits, uint32_t channels, uint32_t data_size);

// Writes frames frames of interleaved 16-bit samples as a WAV file, whole
// or not at all.
bool wave_file_write(const std::string& path, const int16_t* samples, size_t frames, uint32_t rate, uint32_t channels);

// A PCM image taken apart: its samples as 16-bit, interleaved.
struct WaveImage {
    uint32_t rate = 0;
    uint32_t channels = 0;
    std::vector<int16_t> samples;
};
// Reads an in-memory RIFF WAVE image of 8-bit (unsigned) or 16-bit PCM, 1
// or 2 channels. False for anything else or a chunk that runs past the end;
// a data chunk longer than the image is cut to it.
bool wave_image_parse(const uint8_t* image, size_t size, WaveImage& out);
