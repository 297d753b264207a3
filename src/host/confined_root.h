// A host folder whose paths are resolved beneath it and never outside:
// one directory descriptor, and each lookup by openat2 with RESOLVE_BENEATH
// (symlinks followed only while they stay inside, no magic links). Where
// the kernel lacks openat2, a walk of the components with O_NOFOLLOW.
#pragma once

#include <sys/types.h>
#include <string>

// An owned file descriptor, closed when it goes.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& o) noexcept : fd_(o.release()) {}
    UniqueFd& operator=(UniqueFd&& o) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // Closes the descriptor held; false when close failed.
    bool reset(int fd = -1);

private:
    int fd_ = -1;
};

class ConfinedRoot {
public:
    // Opens the folder; false (errno set) when it is not one.
    bool open(const std::string& dir);
    void close() { root_.reset(); }
    bool is_open() const { return bool(root_); }
    int fd() const { return root_.get(); }
    const std::string& path() const { return path_; }
    // The folder's own name (its last component), "" for "/".
    std::string name() const;

    // Opens rel beneath the folder: components joined by '/', none empty,
    // "." or ".."; "" is the folder itself. O_CLOEXEC is added. An invalid
    // descriptor (errno set) when it is missing or would leave the folder.
    UniqueFd open_beneath(const std::string& rel, int flags, mode_t mode = 0) const;

private:
    UniqueFd walk(const std::string& rel, int flags, mode_t mode) const;
    UniqueFd root_;
    std::string path_;
};

// Tests: true makes every lookup use the component walk.
void confined_use_walk(bool on);
