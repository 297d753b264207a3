// zolm: holds back the signals that end a run, then becomes the machine
// program beside it ("zolm-machine"), whose first step takes them over.
// The mask and a signal that waits outlive exec, so a signal that comes
// while the machine program's libraries load is not lost: it ends the run
// in order once the program is up. Started directly, the machine program
// works as well, but a signal before its main kills it.
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "host/signal_set.h"

namespace {

constexpr char MACHINE_PROGRAM[] = "zolm-machine";

}  // namespace

int main(int, char** argv) {
    sigset_t set;
    host_signals_ac_plug_set(&set);
    sigprocmask(SIG_BLOCK, &set, nullptr);
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n < 0) n = 0;
    path[n] = 0;
    char* slash = std::strrchr(path, '/');
    size_t dir = slash ? size_t(slash - path + 1) : 0;
    if (dir + sizeof MACHINE_PROGRAM > sizeof path) {
        std::fprintf(stderr, "zolm: the program's folder is too long\n");
        return 1;
    }
    std::memcpy(path + dir, MACHINE_PROGRAM, sizeof MACHINE_PROGRAM);
    execv(path, argv);
    std::fprintf(stderr, "zolm: cannot start %s: %s\n", path, std::strerror(errno));
    return 1;
}
