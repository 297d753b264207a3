#include "machine/log_lines.h"

std::vector<std::string> g_log_lines;
std::vector<std::string> g_config_lines;

size_t log_add_line(std::string_view text) {
    g_log_lines.emplace_back(text);
    return g_log_lines.size();
}
