#include "app/dim_image.h"

#include <cstdlib>
#include <unistd.h>
#include <vector>

#include "host/paths.h"

namespace {

// Writes all of data to fd; false on a short write.
bool write_all(int fd, const unsigned char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace

std::string dim_temp_folder() {
    const char* tmp = std::getenv("TMPDIR");
    return (tmp && *tmp) ? std::string(tmp) : std::string("/tmp");
}

int panel_convert_dim(std::FILE* in, FdMedia& slot) {
    unsigned char header[DIM_HEADER_BYTES];
    if (std::fread(header, 1, DIM_HEADER_BYTES, in) != DIM_HEADER_BYTES) return 1;
    const int type = header[0];
    if (type >= DIM_TYPES) return 1;
    const unsigned char* present = header + DIM_TRACK_FLAGS_OFFSET;
    int last_track = DIM_LAST_TRACK_MIN[type];
    for (int t = 0; t < DIM_TRACKS; ++t)
        if (present[t] && t > last_track) last_track = t;

    std::string name = path_join(dim_temp_folder(), "ZOLM$XXXXXX");
    std::vector<char> pattern(name.begin(), name.end());
    pattern.push_back('\0');
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) return 1;
    name.assign(pattern.data());

    const size_t track_bytes = DIM_TRACK_BYTES[type];
    std::vector<unsigned char> track(track_bytes);
    bool ok = true;
    for (int t = 0; ok && t <= last_track; ++t) {
        if (present[t])
            ok = std::fread(track.data(), 1, track_bytes, in) == track_bytes;
        else
            std::fill(track.begin(), track.end(), DIM_ABSENT_FILL);
        ok = ok && write_all(fd, track.data(), track_bytes);
    }
    ok = (::close(fd) == 0) && ok;
    if (!ok) {
        ::unlink(name.c_str());
        return 1;
    }
    slot.path = name;
    slot.media = FD_MEDIA_TEMPORARY | type;
    return 0;
}
