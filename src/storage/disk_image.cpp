#include "storage/disk_image.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "core/bus.h"
#include "host/message_box.h"
#include "host/paths.h"
#include "machine/machine.h"
#include "machine/memory_map.h"
#include "machine/sram.h"
#include "storage/drive_slots.h"
#include "video/video_state.h"
#include "video/vram.h"

int g_hd_xdf_notice_count;

int disk_open_host(const char* path, int flags) { return ::open(path, flags); }
DiskOpenFn g_disk_open_fn = disk_open_host;

DiskFile::~DiskFile() { close(); }

DiskFile& DiskFile::operator=(DiskFile&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

bool DiskFile::close() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
}

namespace {

constexpr uint32_t GVRAM_DIRECT_END = 0xC80000;
constexpr size_t BUS_CHUNK = 0x10000;
constexpr uint32_t TEXT_LINE_BYTES = 128, TEXT_LINES = 1024;

// An area of emulated memory backed by one host store.
struct Area {
    uint8_t* base;  // host byte of `start`
    uint32_t start, end;
};

bool holds(const Area& area, uint32_t a, uint64_t end) { return area.base && a >= area.start && end <= area.end; }

void mark_text_lines(uint32_t offset, uint64_t length) {
    if (length == 0) return;
    const uint64_t first = offset / TEXT_LINE_BYTES, last = (offset + length - 1) / TEXT_LINE_BYTES;
    for (uint64_t line = first; line <= last && line - first < TEXT_LINES; ++line)
        g_video.g_tvram_dirty_lines[line % TEXT_LINES] = 1;
}

// The store offset's line under every colour-mode layout: 512 or 1024
// bytes a line.
void mark_graphic_lines(uint32_t offset, uint64_t length) {
    if (length == 0) return;
    constexpr size_t LINES = sizeof g_video.g_gvram_dirty_lines;
    const uint64_t first = offset >> 9, last = (offset + length - 1) >> 9;
    for (uint64_t line = first; line <= last && line < LINES; ++line) {
        g_video.g_gvram_dirty_lines[line] = 1;
        g_video.g_gvram_dirty_lines[line >> 1] = 1;
    }
}

// pread or pwrite until length bytes moved, the end of the file or an error.
template <typename Io, typename Ptr> uint64_t move_all(Io io, int fd, Ptr data, uint64_t length, uint64_t offset) {
    uint64_t done = 0;
    while (done < length) {
        ssize_t n = io(fd, data + done, size_t(std::min<uint64_t>(length - done, 1u << 30)), off_t(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += uint64_t(n);
    }
    return done;
}

uint64_t read_at(int fd, uint8_t* data, uint64_t length, uint64_t offset) {
    return move_all(::pread, fd, data, length, offset);
}

DiskFile open_hard_disk(uint32_t number, DiskMode mode) {
    if (DiskFile file = disk_open_regular(disk_hard_disk_path(number, ".hdf"), mode)) return file;
    DiskFile file = disk_open_regular(disk_hard_disk_path(number, ".xdf"), mode);
    if (file && g_hd_xdf_notice_count == 0) {
        ++g_hd_xdf_notice_count;
        host_message_box(
            "ハードディスクイメージファイルの拡張子はデフォルトを .XDFから .HDFに変更しました。\n"
            "HD0.XDF以降をHD0.HDFの様にrenameしてお使いください",
            "拡張子変更のお知らせ", MB_PLAIN);
    }
    return file;
}

// The slot of a floppy unit word naming drive 0-3 that holds or held an
// image, else nullptr.
FdMedia* floppy_slot(uint32_t unit) {
    const uint32_t drive = disk_unit_number(unit);
    if (disk_unit_kind(unit) != DiskUnitKind::floppy || drive >= FD_DRIVES) return nullptr;
    FdMedia* slot = &g_fd_media[drive];
    return slot->state || slot->inserted ? slot : nullptr;
}

bool refuses_update(const FdMedia& slot, DiskMode mode) {
    return mode == DiskMode::update && (slot.media & FD_MEDIA_READ_ONLY);
}

}  // namespace

DiskFile disk_open_regular(const std::string& path, DiskMode mode) {
    const int access = mode == DiskMode::update ? O_RDWR : O_RDONLY;
    DiskFile file(g_disk_open_fn(path.c_str(), access | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat st;
    if (!file || ::fstat(file.fd(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    return file;
}

std::string disk_hard_disk_path(uint32_t number, const char* extension) {
    return path_join(g_start_dir, "hd" + std::to_string(number) + extension);
}

DiskFile disk_open_image(uint32_t unit, DiskMode mode) {
    if (disk_unit_kind(unit) == DiskUnitKind::hard_disk) return open_hard_disk(disk_unit_number(unit), mode);
    FdMedia* slot = floppy_slot(unit);
    if (!slot || refuses_update(*slot, mode)) return {};
    DiskFile file = slot->path.empty() ? DiskFile{} : disk_open_regular(slot->path, mode);
    if (!file && mode == DiskMode::read) {
        slot->state = FD_STATE_EMPTY;
        slot->inserted = 0;
    }
    return file;
}

DiskFile disk_open_floppy_image(uint32_t unit, DiskMode mode) {
    FdMedia* slot = floppy_slot(unit);
    if (!slot || slot->path.empty() || refuses_update(*slot, mode)) return {};
    return disk_open_regular(slot->path, mode);
}

int disk_probe_writable(uint32_t unit) {
    if (!disk_open_floppy_image(unit, DiskMode::read)) return -1;
    return disk_open_floppy_image(unit, DiskMode::update) ? 0 : 1;
}

int disk_image_present(uint32_t unit) { return disk_open_image(unit, DiskMode::read) ? 1 : 0; }

uint64_t disk_read_to_memory(uint32_t address, uint32_t length, const DiskFile& file, uint64_t offset) {
    const uint32_t a = address & 0xFFFFFF;
    const uint64_t end = uint64_t(a) + length;
    const Area ram{g_machine.main_ram, 0, g_machine.main_ram_size};
    const Area text{g_tvram, TVRAM_BASE, TVRAM_BASE + TVRAM_SIZE};
    const Area graphic{g_gvram, GVRAM_BASE, GVRAM_DIRECT_END};
    if (holds(ram, a, end)) return read_at(file.fd(), g_machine.main_ram + a, length, offset);
    if (holds(text, a, end)) {
        uint64_t n = read_at(file.fd(), g_tvram + (a - TVRAM_BASE), length, offset);
        mark_text_lines(a - TVRAM_BASE, n);
        return n;
    }
    if (holds(graphic, a, end)) {
        uint64_t n = read_at(file.fd(), g_gvram + (a - GVRAM_BASE), length, offset);
        mark_graphic_lines(a - GVRAM_BASE, n);
        return n;
    }
    std::vector<uint8_t> chunk(std::min<uint64_t>(length, BUS_CHUNK));
    uint64_t done = 0;
    while (done < length) {
        const uint64_t want = std::min<uint64_t>(length - done, BUS_CHUNK);
        const uint64_t got = read_at(file.fd(), chunk.data(), want, offset + done);
        for (uint64_t i = 0; i < got; ++i) mem_write_byte_c(chunk[i], uint32_t(a + done + i));
        done += got;
        if (got < want) break;
    }
    return done;
}

uint64_t disk_write_at(const DiskFile& file, const uint8_t* data, uint64_t length, uint64_t offset) {
    return move_all(::pwrite, file.fd(), data, length, offset);
}

int64_t disk_write_from_memory(uint32_t address, uint32_t length, const DiskFile& file, uint64_t offset) {
    const uint32_t a = address & 0xFFFFFF;
    const uint64_t end = uint64_t(a) + length;
    const Area areas[] = {
        {g_machine.main_ram, 0, g_machine.main_ram_size}, {g_tvram, TVRAM_BASE, TVRAM_BASE + TVRAM_SIZE},
        {g_gvram, GVRAM_BASE, GVRAM_DIRECT_END},          {g_sram, SRAM_BASE, SRAM_BASE + SRAM_SIZE},
        {g_cgrom, CGROM_BASE, CGROM_BASE + CGROM_SIZE},   {g_iplrom, IPLROM_BASE, IPLROM_BASE + IPLROM_SIZE},
    };
    for (const Area& area : areas)
        if (holds(area, a, end)) return int64_t(disk_write_at(file, area.base + (a - area.start), length, offset));
    return -1;
}
