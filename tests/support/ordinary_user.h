// Test support: a part of a test run in a child process as an ordinary
// user, for the cases where permission bits must stop a write (they do not
// stop root, and the tests run as root in CI).
#pragma once

#include <filesystem>
#include <functional>

// Makes path the ordinary user's, so that the child can use it: nobody
// (65534) when the tests run as root, else nothing to do.
void give_to_ordinary_user(const std::filesystem::path& path);
// Runs body in a child process as that user (as root: nobody; else the
// user running the tests); true when the child ended normally and no
// expectation of body failed (they report in its output).
bool as_ordinary_user(const std::function<void()>& body);
