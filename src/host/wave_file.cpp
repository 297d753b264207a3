#include "host/wave_file.h"

#include <algorithm>
#include <cstring>

#include "host/paths.h"

namespace {

constexpr uint16_t WAVE_FORMAT_PCM = 1;

void put16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void put32(uint8_t* p, uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}
uint32_t get16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t get32(const uint8_t* p) { return get16(p) | get16(p + 2) << 16; }

}  // namespace

uint32_t wave_header_write(uint8_t* h, uint32_t rate, uint32_t bits, uint32_t channels, uint32_t data_size) {
    uint32_t align = bits * channels / 8;
    std::memcpy(h, "RIFF", 4);
    put32(h + 4, data_size + 36);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    put32(h + 16, 16);
    put16(h + 20, WAVE_FORMAT_PCM);
    put16(h + 22, channels);
    put32(h + 24, rate);
    put32(h + 28, rate * align);
    put16(h + 32, align);
    put16(h + 34, bits);
    std::memcpy(h + 36, "data", 4);
    put32(h + 40, data_size);
    return WAVE_HEADER_BYTES;
}

bool wave_file_write(const std::string& path, const int16_t* samples, size_t frames, uint32_t rate, uint32_t channels) {
    size_t data_bytes = frames * channels * sizeof(int16_t);
    if (data_bytes > 0xFFFFFFFFu - 36) return false;
    std::vector<uint8_t> file(WAVE_HEADER_BYTES + data_bytes);
    wave_header_write(file.data(), rate, 16, channels, uint32_t(data_bytes));
    uint8_t* d = file.data() + WAVE_HEADER_BYTES;
    for (size_t i = 0; i < frames * channels; i++) put16(d + 2 * i, uint16_t(samples[i]));
    return write_file_whole(path, file.data(), file.size());
}

bool wave_image_parse(const uint8_t* image, size_t size, WaveImage& out) {
    if (!image || size < 12 || std::memcmp(image, "RIFF", 4) || std::memcmp(image + 8, "WAVE", 4)) return false;
    uint32_t bits = 0;
    bool have_format = false;
    size_t at = 12;
    while (at + 8 <= size) {
        const uint8_t* chunk = image + at;
        uint64_t len = get32(chunk + 4);
        size_t body = at + 8;
        if (!std::memcmp(chunk, "fmt ", 4)) {
            if (len < 16 || body + len > size) return false;
            if (get16(image + body) != WAVE_FORMAT_PCM) return false;
            out.channels = get16(image + body + 2);
            out.rate = get32(image + body + 4);
            bits = get16(image + body + 14);
            if (out.channels < 1 || out.channels > 2 || (bits != 8 && bits != 16) || out.rate == 0) return false;
            have_format = true;
        } else if (!std::memcmp(chunk, "data", 4)) {
            if (!have_format) return false;
            size_t n = size_t(std::min<uint64_t>(len, size - body));
            size_t bytes_per = bits / 8;
            size_t count = n / (bytes_per * out.channels) * out.channels;
            out.samples.resize(count);
            for (size_t i = 0; i < count; i++)
                out.samples[i] =
                    bits == 8 ? int16_t((int(image[body + i]) - 128) << 8) : int16_t(get16(image + body + 2 * i));
            return true;
        }
        at = body + size_t(len) + (len & 1);
    }
    return false;
}
