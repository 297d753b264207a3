// The two text lists of the environment dialog: the log of start-up and
// environment facts, and the dump of the current settings.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Only ever appended to, for the life of the program.
extern std::vector<std::string> g_log_lines;
// Rebuilt as a whole each time the environment dialog fills its list.
extern std::vector<std::string> g_config_lines;

// Appends a copy of text to g_log_lines; returns the new count.
size_t log_add_line(std::string_view text);
