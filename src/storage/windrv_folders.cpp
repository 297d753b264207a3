// Commands on names: change, make and remove folders, rename, delete and
// attributes, each in a folder resolved beneath the unit's.
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include "host/sjis_text.h"
#include "storage/windrv_internal.h"
#include "storage/windrv_names.h"

namespace {

constexpr uint8_t ATTRIBUTE_GET = 0xFF;
constexpr uint8_t ATTRIBUTE_REPORTED = DOS_ATTR_READ_ONLY | DOS_ATTR_HIDDEN | DOS_ATTR_SYSTEM;
constexpr mode_t NEW_FOLDER_MODE = 0777;
constexpr mode_t ALL_WRITE = S_IWUSR | S_IWGRP | S_IWOTH;

// The result of a command that reports every failure as one code.
int32_t plain(bool ok) { return ok ? WINDRV_OK : WINDRV_FAIL; }

}  // namespace

Locate windrv_locate(const WinDrvRequest& r, uint32_t addr, bool with_name2, bool wildcards, Located& out) {
    if (!windrv_reachable(addr, WINDRV_NAMESTS_SIZE)) return Locate::Unreachable;
    uint8_t record[WINDRV_NAMESTS_SIZE];
    windrv_guest_read(addr, record, WINDRV_NAMESTS_SIZE);
    GuestName name;
    std::string utf8;
    if (!windrv_namests_path(record, with_name2, name) || !windrv_component_to_host(name.name, wildcards, utf8))
        return Locate::Refused;
    out.entry_path = name.entry_path;
    out.asked = name.name;
    out.drive = record[NAMESTS_DRIVE];
    const ConfinedRoot& root = windrv_root(r.unit);
    if (!windrv_resolve_dir(root, name.dirs, out.dir)) return Locate::NoFolder;
    if (wildcards && windrv_has_wildcards(name.name)) {
        std::vector<HostEntry> all;
        windrv_list_dir(root, out.dir, name.name, all);
        for (HostEntry& e : all) {
            if (e.host == "." || e.host == "..") continue;
            out.host = std::move(e.host);
            out.sjis = std::move(e.sjis);
            return Locate::Found;
        }
        return Locate::Missing;
    }
    out.host = windrv_find_name(out.dir, utf8);
    out.spelled = utf8;
    if (out.host.empty() || !utf8_to_sjis(out.host, out.sjis)) {
        out.host = std::move(utf8);
        out.sjis = name.name;
        return Locate::Missing;
    }
    return Locate::Found;
}

bool windrv_stat(const WinDrvRequest& r, const std::string& rel, struct stat& st) {
    UniqueFd fd = windrv_root(r.unit).open_beneath(rel, O_PATH);
    return fd && fstat(fd.get(), &st) == 0;
}

int32_t windrv_cmd_chdir(const WinDrvRequest& r) {
    if (!windrv_reachable(r.arg1, WINDRV_NAMESTS_SIZE)) return WINDRV_FAIL;
    uint8_t record[WINDRV_NAMESTS_SIZE];
    windrv_guest_read(r.arg1, record, WINDRV_NAMESTS_SIZE);
    GuestName name;
    HostDir dir;
    if (!windrv_namests_path(record, false, name) || !windrv_resolve_dir(windrv_root(r.unit), name.dirs, dir))
        return WINDRV_NOT_FOUND;
    return WINDRV_OK;
}

int32_t windrv_cmd_mkdir(const WinDrvRequest& r) {
    Located at;
    if (windrv_locate(r, r.arg1, windrv_longname(), false, at) != Locate::Missing) return WINDRV_FAIL;
    return plain(mkdirat(at.dir.fd.get(), at.host.c_str(), NEW_FOLDER_MODE) == 0);
}

int32_t windrv_cmd_rmdir(const WinDrvRequest& r) {
    Located at;
    if (windrv_locate(r, r.arg1, windrv_longname(), false, at) != Locate::Found) return WINDRV_FAIL;
    return plain(unlinkat(at.dir.fd.get(), at.host.c_str(), AT_REMOVEDIR) == 0);
}

int32_t windrv_cmd_delete(const WinDrvRequest& r) {
    Located at;
    if (windrv_locate(r, r.arg1, true, false, at) != Locate::Found) return WINDRV_FAIL;
    return plain(unlinkat(at.dir.fd.get(), at.host.c_str(), 0) == 0);
}

// Never onto another name: a new name that matches an existing one but for
// the case is taken, unless it is the renamed entry itself (a change of
// case only).
int32_t windrv_cmd_rename(const WinDrvRequest& r) {
    Located from, to;
    if (windrv_locate(r, r.arg1, true, false, from) != Locate::Found) return WINDRV_FAIL;
    Locate found = windrv_locate(r, r.arg2, true, false, to);
    if (found == Locate::Found && (to.dir.rel != from.dir.rel || to.host != from.host)) return WINDRV_FAIL;
    if (found != Locate::Found && found != Locate::Missing) return WINDRV_FAIL;
    if (to.spelled == from.host && to.dir.rel == from.dir.rel) return WINDRV_OK;
    return plain(
        renameat2(from.dir.fd.get(), from.host.c_str(), to.dir.fd.get(), to.spelled.c_str(), RENAME_NOREPLACE) == 0);
}

// Only files: bit 0 set clears every write permission, clear gives the
// owner write permission back; hidden and system have no host meaning.
int32_t windrv_cmd_attribute(const WinDrvRequest& r) {
    Located at;
    Locate found = windrv_locate(r, r.arg1, true, true, at);
    if (found == Locate::Unreachable) return WINDRV_FAIL;
    if (found != Locate::Found) return WINDRV_NOT_FOUND;
    std::string rel = windrv_join(at.dir.rel, at.host);
    struct stat st;
    if (!windrv_stat(r, rel, st) || !S_ISREG(st.st_mode)) return WINDRV_NOT_FOUND;
    if (r.byte13 == ATTRIBUTE_GET) {
        windrv_put_byte13(r, windrv_host_attribute(st) & ATTRIBUTE_REPORTED);
        return WINDRV_OK;
    }
    const ConfinedRoot& root = windrv_root(r.unit);
    UniqueFd fd = root.open_beneath(rel, O_RDONLY | O_NONBLOCK);
    if (!fd) fd = root.open_beneath(rel, O_WRONLY | O_NONBLOCK);
    if (fd && fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode)) {
        mode_t mode = st.st_mode & 07777;
        fchmod(fd.get(), (r.byte13 & DOS_ATTR_READ_ONLY) ? mode & ~ALL_WRITE : mode | S_IWUSR);
    }
    return WINDRV_OK;
}
