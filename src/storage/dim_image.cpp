#include "storage/dim_image.h"

#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
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

}  // namespace

std::string dim_temp_folder() {
    const char* tmp = std::getenv("TMPDIR");
    return (tmp && *tmp) ? std::string(tmp) : std::string("/tmp");
}

int panel_convert_dim(std::FILE* in, FdMedia& slot, std::string* why) {
    auto fail = [why](std::string text) {
        if (why) *why = std::move(text);
        return 1;
    };
    unsigned char header[DIM_HEADER_BYTES];
    if (std::fread(header, 1, DIM_HEADER_BYTES, in) != DIM_HEADER_BYTES)
        return fail("no .DIM image: the header is shorter than 256 bytes");
    const int type = header[0];
    if (type >= DIM_TYPES) return fail("no .DIM image: media type " + std::to_string(type) + " is not 0-3");
    const unsigned char* present = header + DIM_TRACK_FLAGS_OFFSET;
    int last_track = DIM_LAST_TRACK_MIN[type];
    for (int t = 0; t < DIM_TRACKS; ++t)
        if (present[t] && t > last_track) last_track = t;

    const std::string folder = dim_temp_folder();
    std::string name = path_join(folder, "ZOLM$XXXXXX");
    std::vector<char> pattern(name.begin(), name.end());
    pattern.push_back('\0');
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) return fail("no temporary image can be made in " + folder + ": " + std::strerror(errno));
    name.assign(pattern.data());

    const size_t track_bytes = DIM_TRACK_BYTES[type];
    std::vector<unsigned char> track(track_bytes);
    std::string wrong;
    for (int t = 0; wrong.empty() && t <= last_track; ++t) {
        if (!present[t]) std::fill(track.begin(), track.end(), DIM_ABSENT_FILL);
        else if (std::fread(track.data(), 1, track_bytes, in) != track_bytes)
            wrong = "no .DIM image: track " + std::to_string(t) + " is cut short";
        if (wrong.empty() && !write_all(fd, track.data(), track_bytes))
            wrong = "the temporary image " + name + " could not be written: " + std::strerror(errno);
    }
    if (::close(fd) != 0 && wrong.empty())
        wrong = "the temporary image " + name + " could not be written: " + std::strerror(errno);
    if (!wrong.empty()) {
        ::unlink(name.c_str());
        return fail(wrong);
    }
    slot.path = name;
    slot.media = FD_MEDIA_TEMPORARY | type;
    slot.tracks = last_track + 1;
    return 0;
}

namespace {

// Why a file of the write-back could not be had, for a message.
std::string why_not(int err) {
    switch (err) {
    case EISDIR: return "a folder, not a regular file";
    case EPERM: return "not a regular file";
    default: return std::strerror(err);
    }
}

// Up to limit more bytes of f onto bytes; false (errno EIO) when a read fails.
bool read_on(std::FILE* f, std::vector<unsigned char>& bytes, size_t limit) {
    unsigned char chunk[1 << 16];
    size_t n;
    while (bytes.size() < limit && (n = std::fread(chunk, 1, std::min(sizeof chunk, limit - bytes.size()), f)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    if (!std::ferror(f)) return true;
    errno = EIO;
    return false;
}

// Up to limit bytes of a regular file; false (errno set) when it is none
// or a read fails.
bool read_regular(const std::string& path, std::vector<unsigned char>& bytes, size_t limit) {
    std::FILE* f = fopen_regular(path);
    if (!f) return false;
    const bool ok = read_on(f, bytes, limit);
    std::fclose(f);
    return ok;
}

// Where the track data of a ".DIM" with this header ends: after the
// present tracks of its type; 0 for a header of no type.
size_t dim_data_end(const unsigned char* header) {
    const int type = header[0];
    if (type >= DIM_TYPES) return 0;
    const unsigned char* present = header + DIM_TRACK_FLAGS_OFFSET;
    const auto tracks = size_t(std::count_if(present, present + DIM_TRACKS, [](unsigned char f) { return f != 0; }));
    return DIM_HEADER_BYTES + tracks * DIM_TRACK_BYTES[type];
}

// The old ".DIM"'s header into header (left as it is when the file is
// gone) and the bytes it holds after its last track into tail; false when
// name is there but no regular file that reads.
bool read_old_dim(const std::string& name, unsigned char* header, std::vector<unsigned char>& tail) {
    std::FILE* f = fopen_regular(name);
    if (!f) return errno == ENOENT;
    std::vector<unsigned char> head;
    bool ok = read_on(f, head, DIM_HEADER_BYTES);
    std::copy(head.begin(), head.end(), header);
    const size_t end = head.size() == DIM_HEADER_BYTES ? dim_data_end(header) : 0;
    if (ok && end != 0 && ::fseeko(f, off_t(end), SEEK_SET) == 0) ok = read_on(f, tail, SIZE_MAX);
    const int err = errno;
    std::fclose(f);
    errno = err;
    return ok;
}

}  // namespace

DimWriteBack dim_write_back(const FdMedia& slot, std::string* why) {
    auto fail = [why](DimWriteBack result, const std::string& text) {
        if (why) *why = text;
        return result;
    };
    std::vector<unsigned char> image;
    if (!read_regular(slot.path, image, SIZE_MAX)) return fail(DimWriteBack::image_gone, why_not(errno));

    const int type = slot.media & FD_MEDIA_DIM_TYPE;
    const size_t track_bytes = DIM_TRACK_BYTES[type];
    const size_t converted = size_t(std::clamp(slot.tracks, 0, DIM_TRACKS));
    size_t needed = converted * track_bytes;
    for (size_t t = 0; t < size_t(DIM_TRACKS); ++t)
        if (slot.written[t]) needed = std::max(needed, t * track_bytes + 1);
    if (image.size() < needed) return fail(DimWriteBack::image_short, "shorter than the disk");

    unsigned char header[DIM_HEADER_BYTES] = {};
    std::vector<unsigned char> tail;
    if (!read_old_dim(slot.name, header, tail)) return fail(DimWriteBack::failed, why_not(errno));
    header[0] = static_cast<unsigned char>(type);
    unsigned char* present = header + DIM_TRACK_FLAGS_OFFSET;
    std::vector<unsigned char> data(header, header + DIM_HEADER_BYTES);
    std::vector<unsigned char> track(track_bytes);
    for (size_t t = 0; t < size_t(DIM_TRACKS); ++t) {
        const size_t start = t * track_bytes;
        if (start >= image.size()) {
            present[t] = 0;
            continue;
        }
        // A written track that the image ends in is filled up as absent.
        const size_t have = std::min(track_bytes, image.size() - start);
        std::fill(std::copy_n(image.begin() + std::ptrdiff_t(start), have, track.begin()), track.end(),
                  DIM_ABSENT_FILL);
        const bool blank =
            std::all_of(track.begin(), track.end(), [](unsigned char b) { return b == DIM_ABSENT_FILL; });
        if (slot.written[t] || (t < converted && !blank)) present[t] = 1;
        if (present[t]) data.insert(data.end(), track.begin(), track.end());
    }
    std::copy(header, header + DIM_HEADER_BYTES, data.begin());
    data.insert(data.end(), tail.begin(), tail.end());
    if (!write_regular_file_whole(slot.name, data.data(), data.size()))
        return fail(DimWriteBack::failed, why_not(errno));
    return DimWriteBack::written;
}
