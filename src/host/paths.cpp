#include "host/paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <vector>

std::string g_start_dir;
std::string g_exe_dir;

namespace {

constexpr int MAX_LINK_HOPS = 40; // as the kernel's own limit
constexpr std::string_view TEMP_SUFFIX = ".tmp-XXXXXX";

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

// The file a path names once symbolic links in its last part are followed:
// a link is written through, so that it stays a link. A relative link is
// taken from the link's own folder. Empty (errno ELOOP) when the links do
// not end.
std::string resolve_links(const std::string& path) {
    std::string p = path;
    for (int hops = 0; hops < MAX_LINK_HOPS; hops++) {
        struct stat st{};
        if (lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
        std::string to = read_link(p.c_str());
        if (to.empty()) return p;
        p = to.front() == '/' ? to : path_join(parent_of(p), to);
    }
    errno = ELOOP;
    return {};
}

// The mkstemp pattern for a temporary file beside target in folder:
// "name.tmp-XXXXXX", the name cut short where the whole would pass the
// folder's limit on a name's length.
std::string temp_name_beside(const std::string& target, const std::string& folder) {
    std::string name = target.substr(target.find_last_of('/') + 1);
    long limit = pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    if (limit <= 0 || limit > NAME_MAX) limit = NAME_MAX;
    size_t room = size_t(limit) > TEMP_SUFFIX.size() ? size_t(limit) - TEMP_SUFFIX.size() : 0;
    if (name.size() > room) name.resize(room);
    return path_join(folder, name + std::string(TEMP_SUFFIX));
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
    std::string target = resolve_links(path);
    if (target.empty()) return false;
    std::string folder = parent_of(target);
    std::string tmp = temp_name_beside(target, folder);
    int fd = mkstemp(tmp.data());
    if (fd < 0) return false;
    // mkstemp makes the file 0600: keep the mode of the file replaced, or
    // give a new one the usual 0644.
    struct stat old{};
    fchmod(fd, stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);

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
    if (ok && rename(tmp.c_str(), target.c_str()) != 0) ok = false;
    if (!ok) {
        int err = errno;
        unlink(tmp.c_str());
        errno = err;
        return false;
    }
    // Make the rename itself last; a folder that cannot be synced is no failure.
    int dfd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        fsync(dfd);
        close(dfd);
    }
    return true;
}
