// The disk workers: positions, statuses and transfers of the floppy and
// hard-disk IOCS calls.
#include "storage/disk_iocs.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "core/cpu_regs.h"
#include "machine/settings.h"
#include "storage/disk_image.h"
#include "storage/drive_slots.h"
#include "storage/virus_warning.h"

namespace {

constexpr uint32_t FD_LAST_CYLINDER = 80;
constexpr uint32_t FD_HEADS = 2;
constexpr uint32_t FD_SECTOR_CODES = 4;  // N 0-3: 128 << N bytes
constexpr uint32_t HD_BOOT_RECORDS = 4;  // records 0-3
constexpr uint32_t HD_SECOND_BOOT_FIRST = 33, HD_SECOND_BOOT_LAST = 36;
constexpr uint32_t HD_FORMAT_BYTES = 33 * HD_RECORD_BYTES;

struct Geometry {
    uint32_t spt, sector_bytes;
};
constexpr Geometry FD_GEOMETRY[4] = {{8, 1024}, {9, 1024}, {15, 512}, {9, 1024}};

uint32_t unit_word() { return cpu_d(1) & 0xFFFF; }
uint32_t drive_of_unit() { return disk_unit_number(unit_word()); }
FdMedia& slot_of_unit() { return g_fd_media[drive_of_unit() & 3]; }

// A floppy position from D2, with the sector index s.
struct FloppyPosition {
    bool ok;
    int64_t s;
    Geometry g;
};

FloppyPosition floppy_position(bool transfer) {
    const Geometry g = FD_GEOMETRY[slot_of_unit().media & FD_MEDIA_DIM_TYPE];
    const uint32_t d2 = cpu_d(2);
    const uint32_t c = (d2 >> 16) & 255, h = (d2 >> 8) & 1, r = d2 & 255;
    const int64_t s = int64_t(FD_HEADS * c + h) * g.spt + r - 1;
    const bool ok = c <= FD_LAST_CYLINDER && r <= g.spt && !(transfer && s < 0);
    return {ok, s, g};
}

// The position of the last sector of n bytes from p: D2 rewritten when
// asked, the cylinder returned. Signed, truncating arithmetic.
uint32_t floppy_result(const FloppyPosition& p, uint32_t n, bool update) {
    const int64_t last = p.s + (int64_t(n) - 1) / p.g.sector_bytes;
    const int64_t t = last / p.g.spt;
    const uint32_t c = uint32_t(t / 2), h = uint32_t(t & 1), r = uint32_t(last % p.g.spt + 1);
    if (update) {
        cpu_d(2) = (cpu_d(2) & 0xFF000000) | c << 16 | h << 8 | (r & 0xFF);
        cpu_d(3) = 0;
        cpu_a(1) += n;
    }
    return c;
}

uint32_t hard_disk_result(uint32_t n) {
    cpu_d(2) += uint32_t((int64_t(n) - 1) / HD_RECORD_BYTES);
    cpu_d(3) = 0;
    cpu_a(1) += n;
    return 0;
}

uint64_t hard_disk_offset() { return uint64_t(cpu_d(2)) * HD_RECORD_BYTES; }
bool hard_disk_record_ok() { return cpu_d(2) < HD_RECORD_LIMIT; }

uint32_t drive_status(uint32_t base) { return (base + drive_of_unit()) << 24; }

uint32_t read_call() {
    const uint32_t length = cpu_d(3);
    if (disk_is_floppy_call(unit_word())) {
        const FloppyPosition p = floppy_position(true);
        if (!p.ok) return DISK_REFUSED;
        DiskFile file = disk_open_image(unit_word(), DiskMode::read);
        if (!file) return DISK_NO_IMAGE;
        const uint64_t n = disk_read_to_memory(cpu_a(1), length, file, uint64_t(p.s) * p.g.sector_bytes);
        file.close();
        return n == length ? floppy_result(p, length, true) : DISK_REFUSED;
    }
    if (!hard_disk_record_ok()) return DISK_HD_ERROR;
    DiskFile file = disk_open_image(unit_word(), DiskMode::read);
    if (!file) return DISK_HD_ERROR;
    const uint64_t n = disk_read_to_memory(cpu_a(1), length, file, hard_disk_offset());
    file.close();
    return n == length ? hard_disk_result(length) : DISK_HD_ERROR;
}

// A floppy write is about to start: the slot counts as written, and so do
// the tracks of the bytes at offset (a converted image keeps them).
void mark_written(FdMedia& slot, uint64_t offset, uint32_t length, const Geometry& g) {
    slot.media |= FD_MEDIA_WRITTEN;
    if (length == 0) return;
    const uint64_t track_bytes = uint64_t(g.spt) * g.sector_bytes;
    const uint64_t last = std::min<uint64_t>((offset + length - 1) / track_bytes, FD_TRACK_MARKS - 1);
    for (uint64_t t = offset / track_bytes; t <= last; ++t) slot.written.set(size_t(t));
}

// A floppy write that starts past the image's end: the gap is filled as
// never written, so no sector in it reads zeros that nothing wrote.
bool fill_gap_before(const DiskFile& file, uint64_t offset) {
    struct stat st {};
    if (::fstat(file.fd(), &st) != 0) return false;
    const uint64_t end = uint64_t(st.st_size);
    if (end >= offset) return true;
    const std::vector<uint8_t> fill(offset - end, DISK_ABSENT_FILL);
    return disk_write_at(file, fill.data(), fill.size(), end) == fill.size();
}

// Writes D3 bytes from A1 at offset; false when short or the close failed.
bool write_image(DiskFile& file, uint64_t offset) {
    const int64_t n = disk_write_from_memory(cpu_a(1), cpu_d(3), file, offset);
    const bool closed = file.close();
    return closed && n == int64_t(cpu_d(3));
}

}  // namespace

uint32_t disk_iocs_b_read() { return read_call(); }
uint32_t disk_iocs_b_readdl() { return read_call(); }

uint32_t disk_iocs_b_write() {
    const uint32_t unit = unit_word();
    if (disk_is_floppy_call(unit)) {
        const FloppyPosition p = floppy_position(true);
        if (!p.ok) return DISK_REFUSED;
        const uint64_t offset = uint64_t(p.s) * p.g.sector_bytes;
        const uint64_t image_end = uint64_t(FD_LAST_CYLINDER + 1) * FD_HEADS * p.g.spt * p.g.sector_bytes;
        if (offset + cpu_d(3) > image_end) return DISK_REFUSED;
        if (!disk_image_present(unit) || (slot_of_unit().flags & FD_FLAG_WRITE_PROTECT)) return DISK_REFUSED;
        DiskFile file = disk_open_image(unit, DiskMode::update);
        if (!file) return DISK_REFUSED;
        if (p.s == 0 && disk_confirm_write(int32_t(drive_of_unit())) == 1) return DISK_REFUSED;
        if (!fill_gap_before(file, offset)) return DISK_REFUSED;
        mark_written(slot_of_unit(), offset, cpu_d(3), p.g);
        if (!write_image(file, offset)) return DISK_REFUSED;
        return floppy_result(p, cpu_d(3), true);
    }
    if (!hard_disk_record_ok() || !disk_image_present(unit)) return DISK_HD_ERROR;
    DiskFile file = disk_open_image(unit, DiskMode::update);
    if (!file) return DISK_HD_ERROR;
    const uint32_t record = cpu_d(2);
    const bool boot_area =
        record < HD_BOOT_RECORDS || (record >= HD_SECOND_BOOT_FIRST && record <= HD_SECOND_BOOT_LAST);
    if (boot_area && disk_confirm_write(VIRUS_KIND_HARD_DISK) == 1) return DISK_HD_ERROR;
    if (!write_image(file, hard_disk_offset())) return DISK_HD_ERROR;
    return hard_disk_result(cpu_d(3));
}

uint32_t disk_iocs_b_verify() {
    if (disk_is_floppy_call(unit_word())) {
        const FloppyPosition p = floppy_position(false);
        if (!p.ok || !disk_image_present(unit_word())) return (drive_of_unit() << 24) + DISK_VERIFY_REFUSED;
        floppy_result(p, cpu_d(3), true);
        return (drive_of_unit() << 24) + DISK_VERIFIED;
    }
    if (!disk_image_present(unit_word())) return DISK_HD_ERROR;
    return hard_disk_result(cpu_d(3));
}

uint32_t disk_iocs_b_readdi() {
    if (disk_is_floppy_call(unit_word())) {
        const FloppyPosition p = floppy_position(false);
        if (!p.ok) return DISK_REFUSED;
        if (!disk_image_present(unit_word())) return DISK_NO_IMAGE;
        return floppy_result(p, cpu_d(3), false);
    }
    return disk_image_present(unit_word()) ? 0 : DISK_HD_ERROR;
}

uint32_t disk_iocs_b_readid() {
    if (!disk_is_floppy_call(unit_word())) return DISK_REFUSED;
    const FloppyPosition p = floppy_position(false);
    const uint32_t d2 = cpu_d(2);
    const uint32_t c = (d2 >> 16) & 255, h = (d2 >> 8) & 1, code = d2 >> 24;
    if (c > FD_LAST_CYLINDER) return DISK_REFUSED;
    if (!disk_image_present(unit_word())) return DISK_NO_IMAGE;
    const int64_t index = int64_t(FD_HEADS * c + h) * p.g.spt + (int64_t(cpu_d(3)) - 1) / p.g.sector_bytes;
    uint32_t status = uint32_t(index / p.g.spt / 2);
    if (code >= FD_SECTOR_CODES || (128u << code) != p.g.sector_bytes) status |= DISK_ID_SIZE_DIFFERS;
    return status;
}

uint32_t disk_iocs_b_drvsns() {
    if (disk_image_present(unit_word())) return DISK_MEDIUM;
    return disk_is_floppy_call(unit_word()) ? DISK_FLOPPY_EMPTY : DISK_HD_ERROR;
}

uint32_t disk_iocs_b_seek() {
    const bool present = disk_image_present(unit_word());
    if (disk_is_floppy_call(unit_word())) return drive_status(present ? DISK_DRIVE_READY : DISK_DRIVE_NOT_READY);
    return present ? 0 : DISK_HD_NO_UNIT + drive_of_unit();
}

uint32_t disk_iocs_b_recali() {
    if (disk_is_floppy_call(unit_word())) {
        if (g_settings.fdnum == 0 && drive_of_unit() >= 2) return drive_status(DISK_DRIVE_ABSENT);
        return disk_iocs_b_seek();
    }
    return disk_image_present(unit_word()) ? drive_status(DISK_DRIVE_READY) : DISK_HD_NO_UNIT + drive_of_unit();
}

uint32_t disk_iocs_b_format() {
    const uint32_t unit = unit_word();
    if (disk_is_floppy_call(unit)) return DISK_REFUSED;
    if (!hard_disk_record_ok()) return DISK_HD_ERROR;
    DiskFile file;
    if (disk_image_present(unit)) file = disk_open_image(unit, DiskMode::update);
    else if ((unit & DISK_UNIT_CLASS) == DISK_UNIT_HARD_DISK)
        file = DiskFile(::open(disk_hard_disk_path(disk_unit_number(unit), ".hdf").c_str(),
                               O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (!file) return DISK_HD_ERROR;
    const std::vector<uint8_t> zeros(HD_FORMAT_BYTES, 0);
    const uint64_t n = disk_write_at(file, zeros.data(), zeros.size(), hard_disk_offset());
    const bool closed = file.close();
    return closed && n == zeros.size() ? 0 : DISK_HD_ERROR;
}

uint32_t disk_iocs_b_drvchk() {
    const uint32_t unit = unit_word();
    // Only a floppy unit word of drive 0-3 has a slot with flags and a change report.
    FdMedia* slot =
        disk_unit_kind(unit) == DiskUnitKind::floppy && drive_of_unit() < FD_DRIVES ? &slot_of_unit() : nullptr;
    const uint32_t flags = slot ? uint32_t(slot->flags) & ~7u : 0;
    uint32_t status = DISK_CHECK_EMPTY;
    if (disk_image_present(unit)) status = disk_probe_writable(unit) == 0 ? DISK_CHECK_WRITABLE : DISK_CHECK_READ_ONLY;
    switch (cpu_d(2)) {
    case DRVCHK_MEDIA_CHANGE:
        if (slot && panel_take_media_changed(int(slot - g_fd_media))) return DISK_CHECK_CHANGED;
        if (slot && slot->ejected) {
            slot->ejected = 0;
            return DISK_CHECK_CHANGED;
        }
        return DISK_CHECK_UNCHANGED;
    case DRVCHK_STATUS_MASKED: return (status | flags) & 0xF3;
    default: return status | flags;
    }
}
