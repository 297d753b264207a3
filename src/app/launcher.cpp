// zolm: holds back the signals that end a run, then becomes the machine
// program beside it ("zolm-machine"), whose first step takes them over.
// The mask and a signal that waits outlive exec, so a signal that comes
// while the machine program's libraries load is not lost: it ends the run
// in order once the program is up. SIGPIPE and SIGXFSZ are ignored from
// here on (an ignored signal stays so across exec). Started directly, the
// machine program works as well, but a signal before its main kills it.
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "host/signal_set.h"

namespace {

constexpr char MACHINE_PROGRAM[] = "zolm-machine";
constexpr char OWN_PATH_LINK[] = "/proc/self/exe";

// The machine program is looked for only beside this one: without this
// program's folder, nothing from the current folder is run instead.
int no_own_folder(const char* why) {
    std::fprintf(stderr, "zolm: the program's folder is not known (%s: %s), so %s is not started\n", OWN_PATH_LINK, why,
                 MACHINE_PROGRAM);
    return 1;
}

}  // namespace

int main(int, char** argv) {
    sigset_t set;
    host_signals_ac_plug_set(&set);
    sigprocmask(SIG_BLOCK, &set, nullptr);
    for (int sig : HOST_IGNORED_SIGNALS) std::signal(sig, SIG_IGN);
    char path[PATH_MAX];
    ssize_t n = readlink(OWN_PATH_LINK, path, sizeof path);
    if (n < 0) return no_own_folder(std::strerror(errno));
    if (size_t(n) >= sizeof path) return no_own_folder("the path is longer than PATH_MAX");
    path[n] = 0;
    char* slash = std::strrchr(path, '/');
    if (path[0] != '/' || !slash) return no_own_folder("not an absolute path");
    size_t dir = size_t(slash - path + 1);
    if (dir + sizeof MACHINE_PROGRAM > sizeof path) {
        std::fprintf(stderr, "zolm: the program's folder is too long\n");
        return 1;
    }
    std::memcpy(path + dir, MACHINE_PROGRAM, sizeof MACHINE_PROGRAM);
    execv(path, argv);
    std::fprintf(stderr, "zolm: cannot start %s: %s\n", path, std::strerror(errno));
    return 1;
}
