#include "storage/windrv_dir.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <memory>

#include "host/sjis_text.h"
#include "storage/windrv.h"
#include "storage/windrv_names.h"

namespace {

constexpr std::string_view SELF = ".", PARENT = "..";

struct DirCloser {
    void operator()(DIR* d) const { closedir(d); }
};
using DirOwner = std::unique_ptr<DIR, DirCloser>;

// A stream over the folder behind fd (the descriptor stays the caller's).
DirOwner open_stream(const HostDir& dir) {
    int copy = fcntl(dir.fd.get(), F_DUPFD_CLOEXEC, 0);
    if (copy < 0) return {};
    DIR* d = fdopendir(copy);
    if (!d) {
        close(copy);
        return {};
    }
    rewinddir(d);
    return DirOwner(d);
}

// The host's view of an entry: a symlink followed only beneath the root.
bool stat_entry(const ConfinedRoot& root, const HostDir& dir, const char* name, struct stat& st) {
    if (fstatat(dir.fd.get(), name, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
    if (!S_ISLNK(st.st_mode)) return true;
    UniqueFd target = root.open_beneath(windrv_join(dir.rel, name), O_PATH);
    return target && fstat(target.get(), &st) == 0;
}

bool shown_kind(const struct stat& st) { return S_ISREG(st.st_mode) || S_ISDIR(st.st_mode); }

}  // namespace

std::string windrv_join(const std::string& rel, const std::string& name) {
    return rel.empty() ? name : rel + '/' + name;
}

uint8_t windrv_host_attribute(const struct stat& st) {
    uint8_t a = S_ISDIR(st.st_mode) ? DOS_ATTR_DIRECTORY : DOS_ATTR_ARCHIVE;
    if (!(st.st_mode & S_IWUSR)) a |= DOS_ATTR_READ_ONLY;
    return a;
}

HostEntry windrv_entry_of(std::string sjis, std::string host, const struct stat& st) {
    HostEntry e;
    e.sjis = std::move(sjis);
    e.host = std::move(host);
    e.attribute = windrv_host_attribute(st);
    e.time = dos_time_from_host(st.st_mtime);
    e.size = S_ISDIR(st.st_mode) ? 0 : uint32_t(uint64_t(st.st_size));
    return e;
}

bool windrv_resolve_dir(const ConfinedRoot& root, const std::vector<std::string>& dirs, HostDir& out) {
    out.rel.clear();
    out.fd = root.open_beneath("", O_RDONLY | O_DIRECTORY);
    if (!out.fd) return false;
    for (const std::string& part : dirs) {
        std::string name = windrv_find_name(out, part);
        if (name.empty()) return false;
        std::string rel = windrv_join(out.rel, name);
        UniqueFd fd = root.open_beneath(rel, O_RDONLY | O_DIRECTORY);
        if (!fd) return false;
        out.rel = std::move(rel);
        out.fd = std::move(fd);
    }
    return true;
}

std::string windrv_find_name(const HostDir& dir, const std::string& utf8) {
    struct stat st;
    if (fstatat(dir.fd.get(), utf8.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return utf8;
    DirOwner stream = open_stream(dir);
    if (!stream) return {};
    std::string best;
    while (dirent* e = readdir(stream.get())) {
        std::string_view n = e->d_name;
        if (n == SELF || n == PARENT || !windrv_ascii_iequal(n, utf8)) continue;
        if (best.empty() || n < best) best = n;
    }
    return best;
}

bool windrv_list_dir(const ConfinedRoot& root, const HostDir& dir, std::string_view pattern,
                     std::vector<HostEntry>& out) {
    out.clear();
    DirOwner stream = open_stream(dir);
    if (!stream) return false;
    g_windrv.listings++;
    std::string sjis;
    struct stat st;
    while (dirent* e = readdir(stream.get())) {
        std::string_view n = e->d_name;
        if (n == SELF || n == PARENT) continue;
        if (!utf8_to_sjis(n, sjis) || !windrv_wild_match(pattern, sjis)) continue;
        if (!stat_entry(root, dir, e->d_name, st) || !shown_kind(st)) continue;
        out.push_back(windrv_entry_of(sjis, std::string(n), st));
    }
    std::sort(out.begin(), out.end(), [](const HostEntry& a, const HostEntry& b) { return a.sjis < b.sjis; });
    if (!dir.rel.empty() && fstat(dir.fd.get(), &st) == 0) {
        std::vector<HostEntry> dots;
        for (std::string_view d : {SELF, PARENT})
            if (windrv_wild_match(pattern, d)) dots.push_back(windrv_entry_of(std::string(d), std::string(d), st));
        out.insert(out.begin(), dots.begin(), dots.end());
    }
    return true;
}
