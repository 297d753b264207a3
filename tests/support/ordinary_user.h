// Test support: a part of a test run in a child process as an ordinary
// user, for the cases where permission bits must stop a write (they do not
// stop root, and the tests run as root in CI).
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>

// The user the child runs as: nobody (65534) when the tests run as root,
// else the user running them.
uid_t ordinary_uid();
// Makes path that user's, so that the child can use it (nothing to do when
// the tests do not run as root).
void give_to_ordinary_user(const std::filesystem::path& path);
// Runs body in a child process as ordinary_uid(); true when the child ended
// normally and no expectation of body failed (they report in its output).
bool as_ordinary_user(const std::function<void()>& body);
