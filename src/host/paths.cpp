#include "host/paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <poll.h>
#include <pthread.h>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <vector>

#include "host/signal_set.h"
#include "host/signals.h"

std::string g_start_dir;
std::string g_exe_dir;
std::chrono::milliseconds g_write_stall_limit = WRITE_STALL_LIMIT;

namespace {

constexpr int MAX_LINK_HOPS = 40;  // as the kernel's own limit
constexpr std::string_view TEMP_SUFFIX = ".tmp-XXXXXX";
// How often a stalled write looks again for room and for a signal.
constexpr std::chrono::milliseconds STALL_POLL_STEP{100};

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
        struct stat st {};
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

}  // namespace

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

namespace {

// Writes to the temporary regular file; the run-ending signals are held
// off meanwhile, so a write is never cut short by one.
bool write_all(int fd, const void* data, size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    size_t left = size;
    while (left > 0) {
        ssize_t n = write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

// Writes to a FIFO or device opened non-blocking. While it takes nothing
// the write waits, at most g_write_stall_limit since it last took a byte
// (ETIMEDOUT), and no longer once an AC plug signal came during the wait
// or cut an earlier one short (ECANCELED): the end of a run never hangs
// on a reader that stopped, and the files after it are still saved.
bool write_all_bounded(int fd, const void* data, size_t size) {
    using Clock = std::chrono::steady_clock;
    static bool s_cut_short;
    const uint32_t signals_at_start = g_signal_ac_plug_count.load();
    const auto* p = static_cast<const unsigned char*>(data);
    size_t left = size;
    Clock::time_point took_at = Clock::now();
    while (left > 0) {
        ssize_t n = write(fd, p, left);
        if (n > 0) {
            p += n;
            left -= static_cast<size_t>(n);
            took_at = Clock::now();
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
        if (s_cut_short || g_signal_ac_plug_count.load() != signals_at_start) {
            s_cut_short = true;
            errno = ECANCELED;
            return false;
        }
        auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - took_at);
        if (waited >= g_write_stall_limit) {
            errno = ETIMEDOUT;
            return false;
        }
        pollfd pfd{fd, POLLOUT, 0};
        poll(&pfd, 1, int(std::min(STALL_POLL_STEP, g_write_stall_limit - waited).count()));
    }
    return true;
}

// A character device or a FIFO that exists is written in place: that is
// what a user naming /dev/null or a pipe means. A FIFO with no reader is
// refused (ENXIO) rather than waited for, one whose reader stops taking
// data is given up (write_all_bounded); anything else that is not a
// regular file is refused (EPERM).
bool write_special_in_place(const std::string& target, mode_t mode, const void* data, size_t size) {
    if (!S_ISCHR(mode) && !S_ISFIFO(mode)) {
        errno = S_ISDIR(mode) ? EISDIR : EPERM;
        return false;
    }
    int fd = open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (fstat(fd, &st) != 0 || (st.st_mode & S_IFMT) != (mode & S_IFMT)) {
        close(fd);
        errno = EPERM;
        return false;
    }
    bool ok = write_all_bounded(fd, data, size);
    int err = errno;
    if (close(fd) != 0 && ok) return false;
    errno = err;
    return ok;
}

// Holds off the signals that end a run while a temporary file exists, so
// that none is left behind: they are taken when the save is done.
class SignalsHeld {
public:
    SignalsHeld() {
        sigset_t set;
        host_signals_ac_plug_set(&set);
        pthread_sigmask(SIG_BLOCK, &set, &old_);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t old_;
};

}  // namespace

namespace {

// How write_whole treats what is at the path besides a writable regular file.
struct WholeWriteRules {
    bool special_in_place;  // a FIFO or device is written in place (else refused)
    bool keep_read_only;    // a file without its owner's write bit is kept
};

bool write_whole(const std::string& path, const void* data, size_t size, WholeWriteRules rules) {
    std::string target = resolve_links(path);
    if (target.empty()) return false;
    struct stat old {};
    bool exists = stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
        if (rules.special_in_place) return write_special_in_place(target, old.st_mode, data, size);
        errno = S_ISDIR(old.st_mode) ? EISDIR : EPERM;
        return false;
    }
    // A file its owner may not write is kept, also for root, who could.
    if (exists && rules.keep_read_only && !(old.st_mode & S_IWUSR)) {
        errno = EACCES;
        return false;
    }

    std::string folder = parent_of(target);
    std::string tmp = temp_name_beside(target, folder);
    SignalsHeld held;
    int fd = mkstemp(tmp.data());
    if (fd < 0) return false;
    // mkstemp makes the file 0600: keep the mode of the file replaced, or
    // give a new one the usual 0644.
    fchmod(fd, exists ? (old.st_mode & 07777) : 0644);

    bool ok = write_all(fd, data, size);
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

std::string stall_limit_text() {
    long long ms = g_write_stall_limit.count();
    if (ms % 1000 == 0) return std::to_string(ms / 1000) + (ms == 1000 ? " second" : " seconds");
    return std::to_string(ms) + " ms";
}

}  // namespace

bool write_file_whole(const std::string& path, const void* data, size_t size) {
    return write_whole(path, data, size, {.special_in_place = true, .keep_read_only = true});
}

bool write_regular_file_whole(const std::string& path, const void* data, size_t size) {
    return write_whole(path, data, size, {.special_in_place = false, .keep_read_only = false});
}

bool regular_file_replaceable(const std::string& path) {
    std::string target = resolve_links(path);
    if (target.empty()) return false;
    struct stat file {};
    if (stat(target.c_str(), &file) != 0) return false;
    if (!S_ISREG(file.st_mode)) {
        errno = S_ISDIR(file.st_mode) ? EISDIR : EPERM;
        return false;
    }
    std::string folder = parent_of(target);
    std::string tmp = temp_name_beside(target, folder);
    {
        SignalsHeld held;
        int fd = mkstemp(tmp.data());
        if (fd < 0) return false;
        close(fd);
        if (unlink(tmp.c_str()) != 0) return false;
    }
    struct stat dir {};
    if (stat(folder.empty() ? "." : folder.c_str(), &dir) != 0) return false;
    const uid_t me = geteuid();
    if ((dir.st_mode & S_ISVTX) && me != 0 && me != file.st_uid && me != dir.st_uid) {
        errno = EPERM;
        return false;
    }
    return true;
}

std::string write_error_text(int err) {
    switch (err) {
    case ENXIO: return "a FIFO that nothing reads";
    case ETIMEDOUT: return "it took nothing for " + stall_limit_text();
    case ECANCELED: return "given up at AC plug (a signal) while it took nothing";
    case EACCES: return "permission denied: the file or its folder is read-only";
    case EPERM: return "not a regular file, a character device or a FIFO";
    default: return std::strerror(err);
    }
}

std::FILE* fopen_regular(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        int err = S_ISDIR(st.st_mode) ? EISDIR : EPERM;
        close(fd);
        errno = err;
        return nullptr;
    }
    int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* f = fdopen(fd, "rb");
    if (!f) close(fd);
    return f;
}

bool read_bounded_line(std::FILE* f, std::string& line, size_t limit, bool& too_long) {
    line.clear();
    too_long = false;
    bool any = false;
    for (;;) {
        int c = getc_unlocked(f);
        if (c == EOF) return any;
        any = true;
        if (c == '\n') return true;
        if (c == '\r') {
            int next = getc_unlocked(f);
            if (next == '\n') return true;
            if (next != EOF) ungetc(next, f);
        }
        if (line.size() < limit) line.push_back(static_cast<char>(c));
        else too_long = true;
    }
}
