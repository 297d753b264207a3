// Test support: a file system under the disk images on which opening the
// files whose path ends in a given suffix fails with a given error, every
// open or only the opens for writing; root is refused too. Put back when
// it goes.
#pragma once

#include <fcntl.h>

#include <cerrno>
#include <string>

#include "storage/disk_image.h"

class FailingOpens {
public:
    FailingOpens(std::string suffix, int error, bool writes_only) {
        suffix_() = std::move(suffix);
        error_() = error;
        writes_only_() = writes_only;
        g_disk_open_fn = open;
    }
    ~FailingOpens() { g_disk_open_fn = disk_open_host; }
    FailingOpens(const FailingOpens&) = delete;
    FailingOpens& operator=(const FailingOpens&) = delete;

private:
    static std::string& suffix_() {
        static std::string s;
        return s;
    }
    static int& error_() {
        static int e;
        return e;
    }
    static bool& writes_only_() {
        static bool w;
        return w;
    }
    static int open(const char* path, int flags) {
        const std::string p(path), &s = suffix_();
        const bool named = p.size() >= s.size() && p.compare(p.size() - s.size(), std::string::npos, s) == 0;
        if (named && (!writes_only_() || (flags & O_ACCMODE) != O_RDONLY)) {
            errno = error_();
            return -1;
        }
        return disk_open_host(path, flags);
    }
};
