#include "host/confined_root.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <cerrno>

namespace {

bool s_walk_only;   // set by tests
bool s_no_openat2;  // the kernel said ENOSYS once

constexpr char SEPARATOR = '/';

}  // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
}

bool UniqueFd::reset(int fd) {
    bool ok = true;
    if (fd_ >= 0) ok = ::close(fd_) == 0;
    fd_ = fd;
    return ok;
}

void confined_use_walk(bool on) { s_walk_only = on; }

bool ConfinedRoot::open(const std::string& dir) {
    root_.reset(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    path_ = root_ ? dir : std::string();
    return bool(root_);
}

std::string ConfinedRoot::name() const {
    std::string p = path_;
    while (p.size() > 1 && p.back() == SEPARATOR) p.pop_back();
    size_t slash = p.rfind(SEPARATOR);
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

UniqueFd ConfinedRoot::open_beneath(const std::string& rel, int flags, mode_t mode) const {
    if (!root_) {
        errno = EBADF;
        return {};
    }
    flags |= O_CLOEXEC;
    if (!s_walk_only && !s_no_openat2) {
        open_how how{};
        how.flags = uint64_t(flags);
        how.mode = (flags & O_CREAT) ? mode : 0;
        how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
        long fd = syscall(SYS_openat2, root_.get(), rel.empty() ? "." : rel.c_str(), &how, sizeof how);
        if (fd >= 0) return UniqueFd(int(fd));
        if (errno != ENOSYS) return {};
        s_no_openat2 = true;
    }
    return walk(rel, flags, mode);
}

// Each component opened from the last without following a symlink; a
// symlink as the last component is opened as itself only with O_PATH and
// is then no file or folder to the caller.
UniqueFd ConfinedRoot::walk(const std::string& rel, int flags, mode_t mode) const {
    if (rel.empty()) return UniqueFd(::openat(root_.get(), ".", flags));
    UniqueFd dir;
    int at = root_.get();
    size_t start = 0;
    for (;;) {
        size_t end = rel.find(SEPARATOR, start);
        std::string part = rel.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (part.empty() || part == "." || part == "..") {
            errno = EACCES;
            return {};
        }
        if (end == std::string::npos) return UniqueFd(::openat(at, part.c_str(), flags | O_NOFOLLOW, mode));
        UniqueFd next(::openat(at, part.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!next) return {};
        dir = std::move(next);
        at = dir.get();
        start = end + 1;
    }
}
