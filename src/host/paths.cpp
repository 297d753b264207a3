#include "host/paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

std::string g_start_dir;
std::string g_exe_dir;

namespace {

std::string parent_of(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return {};
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// readlink without a fixed limit: the buffer grows until the link fits.
std::string read_link(const char* link) {
    std::vector<char> buf(256);
    for (;;) {
        ssize_t n = readlink(link, buf.data(), buf.size());
        if (n < 0) return {};
        if (static_cast<size_t>(n) < buf.size()) return std::string(buf.data(), static_cast<size_t>(n));
        if (buf.size() >= (1u << 20)) return {};
        buf.resize(buf.size() * 2);
    }
}

} // namespace

std::string host_current_dir() {
    std::vector<char> buf(256);
    for (;;) {
        if (getcwd(buf.data(), buf.size())) return std::string(buf.data());
        if (errno != ERANGE || buf.size() >= (1u << 20)) return {};
        buf.resize(buf.size() * 2);
    }
}

void paths_init() {
    g_start_dir = host_current_dir();
    g_exe_dir = parent_of(read_link("/proc/self/exe"));
}

std::string path_join(std::string_view folder, std::string_view name) {
    if (folder.empty() || (!name.empty() && name.front() == '/')) return std::string(name);
    std::string path(folder);
    if (path.back() != '/') path += '/';
    path += name;
    return path;
}

bool write_file_whole(const std::string& path, const void* data, size_t size) {
    std::string tmp = path + ".tmp-XXXXXX";
    int fd = mkstemp(tmp.data());
    if (fd < 0) return false;
    // mkstemp makes the file 0600: keep the mode of the file replaced, or
    // give a new one the usual 0644.
    struct stat old{};
    fchmod(fd, stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);

    const auto* p = static_cast<const unsigned char*>(data);
    size_t left = size;
    bool ok = true;
    while (left > 0) {
        ssize_t n = write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (ok && fsync(fd) != 0) ok = false;
    if (close(fd) != 0) ok = false;
    if (ok && rename(tmp.c_str(), path.c_str()) != 0) ok = false;
    if (!ok) {
        int err = errno;
        unlink(tmp.c_str());
        errno = err;
        return false;
    }
    // Make the rename itself last; a folder that cannot be synced is no failure.
    std::string folder = parent_of(path);
    int dfd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        fsync(dfd);
        close(dfd);
    }
    return true;
}
