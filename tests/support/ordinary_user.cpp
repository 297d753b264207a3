#include "support/ordinary_user.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

constexpr uid_t NOBODY = 65534;
constexpr int CHILD_FAILED = 1, CHILD_NO_USER = 2;

}  // namespace

void give_to_ordinary_user(const std::filesystem::path& path) {
    if (::geteuid() != 0) return;
    EXPECT_EQ(::lchown(path.c_str(), NOBODY, NOBODY), 0) << path;
}

bool as_ordinary_user(const std::function<void()>& body) {
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) return false;
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(NOBODY) != 0 || ::setuid(NOBODY) != 0)) {
            std::perror("as_ordinary_user: cannot become user 65534");
            ::_exit(CHILD_NO_USER);
        }
        body();
        std::fflush(nullptr);
        ::_exit(::testing::Test::HasFailure() ? CHILD_FAILED : 0);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
