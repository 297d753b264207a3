// Floppy and hard-disk image files behind the disk calls, and the
// transfers between an image and emulated memory. An image is opened per
// call and closed before the call returns.
#pragma once

#include <cstdint>
#include <string>

// Unit word (D1.w): bits 8-11 the drive or unit, bits 12-15 its class.
inline constexpr uint32_t DISK_UNIT_CLASS = 0xF000;
inline constexpr uint32_t DISK_UNIT_HARD_DISK = 0x8000;
inline constexpr uint32_t DISK_UNIT_FLOPPY = 0x9000;  // and every word above: floppy calls
inline uint32_t disk_unit_number(uint32_t unit) { return (unit >> 8) & 15; }
// Which statuses a call answers with: floppy ones from $9000 up.
inline bool disk_is_floppy_call(uint32_t unit) { return (unit & 0xFFFF) >= DISK_UNIT_FLOPPY; }
// The drive a unit word names: class $9 a floppy drive, class $8 a hard-disk
// unit; any other class names none and reaches no image.
enum class DiskUnitKind { none, floppy, hard_disk };
inline DiskUnitKind disk_unit_kind(uint32_t unit) {
    switch (unit & DISK_UNIT_CLASS) {
    case DISK_UNIT_FLOPPY: return DiskUnitKind::floppy;
    case DISK_UNIT_HARD_DISK: return DiskUnitKind::hard_disk;
    default: return DiskUnitKind::none;
    }
}

// What a track of a floppy image holds where no data was ever written.
inline constexpr unsigned char DISK_ABSENT_FILL = 0xE5;

// Hard-disk images: 256-byte records; a byte offset must stay below 2^31.
inline constexpr uint32_t HD_RECORD_BYTES = 256;
inline constexpr uint32_t HD_RECORD_LIMIT = 1u << 23;

// "hd0.xdf".."hd15.xdf" used for want of a ".hdf": notices shown this run.
extern int g_hd_xdf_notice_count;

// An open image file (a host descriptor of a regular file), closed when it goes.
class DiskFile {
public:
    DiskFile() = default;
    explicit DiskFile(int fd) : fd_(fd) {}
    ~DiskFile();
    DiskFile(DiskFile&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    DiskFile& operator=(DiskFile&& other) noexcept;
    DiskFile(const DiskFile&) = delete;
    DiskFile& operator=(const DiskFile&) = delete;

    explicit operator bool() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // Closes now; false when the close reported an error (a write may be lost).
    bool close();

private:
    int fd_ = -1;
};

enum class DiskMode { read, update };

// Opens a regular file for reading or for update ("rb", "r+b"): never
// created, never truncated; FIFOs and devices are refused without blocking.
DiskFile disk_open_regular(const std::string& path, DiskMode mode);
// The host's open(2) behind disk_open_regular; a test puts a failing file
// system in its place.
using DiskOpenFn = int (*)(const char* path, int flags);
extern DiskOpenFn g_disk_open_fn;
int disk_open_host(const char* path, int flags);

// The image of a unit word: for class $8 the hard-disk file of the unit,
// for class $9 floppy slot 0-3 while it holds or held an image, else none.
// A floppy image that cannot be opened for reading empties its slot; one
// whose slot is marked read-only does not open for update.
DiskFile disk_open_image(uint32_t unit, DiskMode mode);
// Floppy class ($9xxx) only; a slot is never emptied.
DiskFile disk_open_floppy_image(uint32_t unit, DiskMode mode);
// -1 no floppy image, 1 readable only, 0 writable.
int disk_probe_writable(uint32_t unit);
// 1 when disk_open_image opens the image for reading, else 0.
int disk_image_present(uint32_t unit);
// The hard-disk image path of unit 0-15 with extension ".hdf" or ".xdf".
std::string disk_hard_disk_path(uint32_t number, const char* extension);

// pwrite until all is written or an error; the bytes written.
uint64_t disk_write_at(const DiskFile& file, const uint8_t* data, uint64_t length, uint64_t offset);

// Reads length bytes at offset of the file into emulated memory at address
// (cut to 24 bits): straight into main RAM, text VRAM or graphic VRAM when
// the whole range lies in one of them (the VRAM lines are marked for the
// picture), else through the bus byte by byte, 64 KB at a time. Returns the
// bytes read (short at the end of the file).
uint64_t disk_read_to_memory(uint32_t address, uint32_t length, const DiskFile& file, uint64_t offset);
// Writes length bytes from emulated memory to the file at offset, when the
// whole range lies in main RAM, VRAM, SRAM or a ROM image; -1 otherwise
// (nothing written). Returns the bytes written.
int64_t disk_write_from_memory(uint32_t address, uint32_t length, const DiskFile& file, uint64_t offset);
