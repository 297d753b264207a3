// Files: create, open and close fill file control blocks and the table of
// open files; read, write, seek and file date work on the host file found
// at open, reopened for each command.
#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <cstring>
#include <vector>

#include "core/bus.h"
#include "host/sjis_text.h"
#include "storage/windrv_internal.h"
#include "storage/windrv_names.h"
#include "storage/windrv_scan.h"

namespace {

// File control block.
constexpr uint32_t FCB_SIZE = 73;
constexpr uint32_t FCB_POSITION = 6;
constexpr uint32_t FCB_MODE = 14;
constexpr uint32_t FCB_CLEARED = 32, FCB_CLEARED_SIZE = 4;
constexpr uint32_t FCB_NAME1 = 36;
constexpr uint32_t FCB_EXT = 44;
constexpr uint32_t FCB_ATTRIBUTE = 47;
constexpr uint32_t FCB_NAME2 = 48;
constexpr uint32_t FCB_TIME = 58;
constexpr uint32_t FCB_DATE = 60;
constexpr uint32_t FCB_FILE_SIZE = 64;
constexpr uint32_t FCB_KEY = 68;
constexpr uint32_t FCB_DRIVE = 72;

constexpr uint8_t MODE_READ = 0;
constexpr uint8_t MODE_WRITE = 1, MODE_READ_WRITE = 2;
constexpr uint8_t NOT_FOR_WRITING = DOS_ATTR_READ_ONLY | DOS_ATTR_HIDDEN | DOS_ATTR_SYSTEM;
constexpr uint32_t LENGTH_LIMIT = 0x0FFFFFFE;  // longer reads take the whole file
constexpr uint8_t SEEK_FROM_START = 0, SEEK_FROM_HERE = 1, SEEK_FROM_END = 2;
constexpr mode_t NEW_FILE_MODE = 0666;
constexpr int64_t POSITION_LIMIT = 0xFFFFFFFF;

struct Fcb {
    uint8_t b[FCB_SIZE];
    uint32_t position() const { return be_read32(b + FCB_POSITION); }
    uint32_t size() const { return be_read32(b + FCB_FILE_SIZE); }
    void set_position(uint32_t v) { be_write32(b + FCB_POSITION, v); }
    void set_size(uint32_t v) { be_write32(b + FCB_FILE_SIZE, v); }
};

bool load_fcb(uint32_t addr, Fcb& fcb) {
    if (!windrv_reachable(addr, FCB_SIZE)) return false;
    windrv_guest_read(addr, fcb.b, FCB_SIZE);
    return true;
}
void store_fcb(uint32_t addr, const Fcb& fcb) { windrv_guest_write(addr, fcb.b, FCB_SIZE); }

// k = k * 7 + c over the path's bytes taken as signed, in 32 bits.
uint32_t path_key(const char* path) {
    uint32_t k = 0;
    for (const char* p = path; *p; p++) k = k * 7 + uint32_t(int32_t(int8_t(*p)));
    return k;
}

// Equal up to the FCB field's first NUL or blank, and no longer, letters
// in either case.
bool field_matches(const uint8_t* entry, const uint8_t* fcb, size_t size) {
    size_t n = windrv_field_length(fcb, size);
    return windrv_field_length(entry, size) == n &&
           windrv_ascii_iequal({reinterpret_cast<const char*>(entry), n}, {reinterpret_cast<const char*>(fcb), n});
}

// The open file an FCB stands for; a closed entry still matches until it
// is taken again.
WinDrvOpenFile* find_fcb_slot(const Fcb& fcb) {
    for (WinDrvOpenFile& f : g_windrv.files) {
        if (!f.filled || f.drive != fcb.b[FCB_DRIVE]) continue;
        if (!field_matches(f.name1, fcb.b + FCB_NAME1, WINDRV_NAME1_SIZE)) continue;
        if (!field_matches(f.ext, fcb.b + FCB_EXT, WINDRV_EXT_SIZE)) continue;
        if (windrv_longname() && !field_matches(f.name2, fcb.b + FCB_NAME2, WINDRV_NAME2_SIZE)) continue;
        if (path_key(f.path) == be_read32(fcb.b + FCB_KEY)) return &f;
    }
    return nullptr;
}

// A free entry, else the one opened longest ago.
WinDrvOpenFile& take_entry() {
    WinDrvOpenFile* oldest = &g_windrv.files[0];
    for (WinDrvOpenFile& f : g_windrv.files) {
        if (!f.in_use) return f;
        if (f.sequence < oldest->sequence) oldest = &f;
    }
    return *oldest;
}

// Fills the FCB from the host file and takes an entry for it.
int32_t open_fcb(const WinDrvRequest& r, const Located& at, const struct stat& st, uint8_t attribute, Fcb& fcb) {
    std::string rel = windrv_join(at.dir.rel, at.host);
    if (rel.size() >= WINDRV_HOST_PATH_MAX || at.entry_path.size() >= WINDRV_PATH_SIZE) return WINDRV_FAIL;
    FcbNameFields names = windrv_host_name_fields(at.sjis, windrv_longname());
    fcb.set_position(0);
    fcb.b[FCB_ATTRIBUTE] = attribute;
    std::memset(fcb.b + FCB_CLEARED, 0, FCB_CLEARED_SIZE);
    std::memcpy(fcb.b + FCB_NAME1, names.name1, sizeof names.name1);
    std::memcpy(fcb.b + FCB_EXT, names.ext, sizeof names.ext);
    std::memcpy(fcb.b + FCB_NAME2, names.name2, sizeof names.name2);
    fcb.set_size(uint32_t(uint64_t(st.st_size)));
    DosTime t = dos_time_from_host(st.st_mtime);
    be_write16(fcb.b + FCB_TIME, t.time);
    be_write16(fcb.b + FCB_DATE, t.date);

    WinDrvOpenFile& f = take_entry();
    f = WinDrvOpenFile{};
    f.filled = 1;
    f.unit = r.unit;
    f.drive = at.drive;
    std::memcpy(f.path, at.entry_path.c_str(), at.entry_path.size() + 1);
    std::memcpy(f.host_path, rel.c_str(), rel.size() + 1);
    std::memcpy(f.name1, names.name1, sizeof f.name1);
    std::memcpy(f.ext, names.ext, sizeof f.ext);
    std::memcpy(f.name2, names.name2, sizeof f.name2);
    f.in_use = uint16_t(std::max<size_t>(1, at.entry_path.size() + at.sjis.size()));
    f.sequence = g_windrv.open_counter++;
    f.key = path_key(f.path);
    be_write32(fcb.b + FCB_KEY, f.key);
    fcb.b[FCB_DRIVE] = uint8_t(f.drive);
    return WINDRV_OK;
}

// The host file of an open entry, as a regular file opened with flags
// (O_PATH alone: only looked at).
UniqueFd open_host_file(const WinDrvOpenFile& f, int flags) {
    if (f.unit >= windrv_unit_count()) return {};
    UniqueFd fd = windrv_root(f.unit).open_beneath(f.host_path, O_PATH);
    struct stat st;
    if (!fd || fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    if (flags == O_PATH) return fd;
    fd = windrv_root(f.unit).open_beneath(f.host_path, flags | O_NONBLOCK);
    if (!fd || fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    return fd;
}

}  // namespace

int32_t windrv_cmd_open(const WinDrvRequest& r) {
    Fcb fcb;
    if (!load_fcb(r.arg3, fcb)) return WINDRV_FAIL;
    Located at;
    Locate found = windrv_locate(r, r.arg1, true, true, at);
    if (found == Locate::Unreachable) return WINDRV_FAIL;
    struct stat st;
    if (found != Locate::Found || !windrv_stat(r, windrv_join(at.dir.rel, at.host), st) || !S_ISREG(st.st_mode))
        return WINDRV_NOT_FOUND;
    uint8_t attribute = windrv_host_attribute(st);
    uint8_t mode = fcb.b[FCB_MODE];
    if ((mode == MODE_WRITE || mode == MODE_READ_WRITE) && (attribute & NOT_FOR_WRITING)) return WINDRV_NOT_FOUND;
    int32_t result = open_fcb(r, at, st, attribute, fcb);
    if (result == WINDRV_OK) store_fcb(r.arg3, fcb);
    return result;
}

// Mode 0 truncates an existing file and creates none; any other mode
// creates a missing file and leaves an existing one as it is.
int32_t windrv_cmd_create(const WinDrvRequest& r) {
    Fcb fcb;
    if (!load_fcb(r.arg3, fcb)) return WINDRV_FAIL;
    Located at;
    Locate found = windrv_locate(r, r.arg1, true, false, at);
    if (found != Locate::Found && found != Locate::Missing) return WINDRV_FAIL;
    if (!windrv_name_fits(at.asked)) return WINDRV_FAIL;
    std::string rel = windrv_join(at.dir.rel, at.host);
    struct stat st;
    if (found == Locate::Found && (!windrv_stat(r, rel, st) || !S_ISREG(st.st_mode))) return WINDRV_FAIL;
    bool keep = r.arg2 != 0;
    int flags = keep ? O_CREAT : O_TRUNC;
    flags |= (keep && (r.byte13 & DOS_ATTR_READ_ONLY)) ? O_RDONLY : O_RDWR;
    UniqueFd fd = windrv_root(r.unit).open_beneath(rel, flags | O_NONBLOCK, NEW_FILE_MODE);
    if (!fd || fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || !fd.reset()) return WINDRV_FAIL;
    int32_t result = open_fcb(r, at, st, r.byte13, fcb);
    if (result == WINDRV_OK) store_fcb(r.arg3, fcb);
    return result;
}

int32_t windrv_cmd_close(const WinDrvRequest& r) {
    Fcb fcb;
    WinDrvOpenFile* f = load_fcb(r.arg3, fcb) ? find_fcb_slot(fcb) : nullptr;
    if (!f) return WINDRV_FAIL;
    f->in_use = 0;
    return WINDRV_OK;
}

int32_t windrv_cmd_read(const WinDrvRequest& r) {
    Fcb fcb;
    if (!load_fcb(r.arg3, fcb)) return WINDRV_FAIL;
    WinDrvOpenFile* f = find_fcb_slot(fcb);
    uint32_t length = r.arg2;
    if (length > LENGTH_LIMIT) length = fcb.size();
    length = uint32_t(std::min<int64_t>(length, POSITION_LIMIT - fcb.position()));
    if (!f || !windrv_reachable(r.arg1, length)) return WINDRV_FAIL;
    UniqueFd fd = open_host_file(*f, O_RDONLY);
    if (!fd) return WINDRV_FAIL;
    uint8_t* ram = windrv_guest_ram(r.arg1, length);
    std::vector<uint8_t> staged(ram ? 0 : length);
    uint8_t* dst = ram ? ram : staged.data();
    uint32_t done = 0;
    while (done < length) {
        ssize_t n = pread(fd.get(), dst + done, length - done, off_t(fcb.position()) + done);
        if (n <= 0) {
            if (n < 0 && done == 0) return WINDRV_FAIL;
            break;
        }
        done += uint32_t(n);
    }
    fd.reset();
    if (!ram) windrv_guest_write(r.arg1, staged.data(), done);
    fcb.set_position(fcb.position() + done);
    store_fcb(r.arg3, fcb);
    return int32_t(done);
}

// Writes in place from the position; the FCB size grows with it. Nothing
// is written that would carry the position past 32 bits.
int32_t windrv_cmd_write(const WinDrvRequest& r) {
    Fcb fcb;
    if (!load_fcb(r.arg3, fcb)) return WINDRV_FAIL;
    uint32_t length = r.arg2;
    WinDrvOpenFile* f = find_fcb_slot(fcb);
    if (length > LENGTH_LIMIT || !windrv_reachable(r.arg1, length) || !f) return WINDRV_FAIL;
    if (length == 0) return 0;
    if (int64_t(fcb.position()) + length > POSITION_LIMIT) return WINDRV_FAIL;
    const uint8_t* ram = windrv_guest_ram(r.arg1, length);
    std::vector<uint8_t> staged(ram ? 0 : length);
    if (!ram) windrv_guest_read(r.arg1, staged.data(), length);
    const uint8_t* src = ram ? ram : staged.data();
    UniqueFd fd = open_host_file(*f, O_WRONLY);
    if (!fd) return WINDRV_FAIL;
    uint32_t done = 0;
    while (done < length) {
        ssize_t n = pwrite(fd.get(), src + done, length - done, off_t(fcb.position()) + done);
        if (n <= 0) break;
        done += uint32_t(n);
    }
    if (!fd.reset() || done == 0) return WINDRV_FAIL;
    fcb.set_position(fcb.position() + done);
    if (fcb.position() > fcb.size()) fcb.set_size(fcb.position());
    store_fcb(r.arg3, fcb);
    return int32_t(done);
}

int32_t windrv_cmd_seek(const WinDrvRequest& r) {
    Fcb fcb;
    if (!load_fcb(r.arg3, fcb) || !find_fcb_slot(fcb)) return WINDRV_FAIL;
    int64_t offset = int32_t(r.arg2), position = fcb.position(), size = fcb.size();
    int64_t target = position;
    if (r.byte13 == SEEK_FROM_START) target = offset;
    else if (r.byte13 == SEEK_FROM_HERE) target = position + offset;
    else if (r.byte13 == SEEK_FROM_END) target = size - (offset < 0 ? -offset : offset);
    if (target < 0 || target > size) return WINDRV_BAD_SEEK;
    fcb.set_position(uint32_t(target));
    store_fcb(r.arg3, fcb);
    return int32_t(uint32_t(target));
}

// Mode 0 reads the file's time into the FCB; any other mode sets the
// file's access and modification times from it.
int32_t windrv_cmd_filedate(const WinDrvRequest& r) {
    Fcb fcb;
    if (!load_fcb(r.arg3, fcb)) return WINDRV_FAIL;
    const WinDrvOpenFile* f = find_fcb_slot(fcb);
    if (!f) return WINDRV_FAIL;
    UniqueFd fd = open_host_file(*f, O_PATH);
    struct stat st;
    if (!fd || fstat(fd.get(), &st) != 0) return WINDRV_NOT_FOUND;
    if (fcb.b[FCB_MODE] == MODE_READ) {
        DosTime t = dos_time_from_host(st.st_mtime);
        be_write16(fcb.b + FCB_TIME, t.time);
        be_write16(fcb.b + FCB_DATE, t.date);
        store_fcb(r.arg3, fcb);
        return WINDRV_OK;
    }
    std::time_t when;
    DosTime given = {uint16_t(be_read16(fcb.b + FCB_TIME)), uint16_t(be_read16(fcb.b + FCB_DATE))};
    if (!dos_time_to_host(given, when)) return WINDRV_FAIL;
    fd = open_host_file(*f, O_WRONLY);
    if (!fd) return WINDRV_NOT_FOUND;
    timespec times[2] = {{when, 0}, {when, 0}};
    return futimens(fd.get(), times) == 0 ? WINDRV_OK : WINDRV_FAIL;
}
