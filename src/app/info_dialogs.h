// The debug-information window "デバッグ情報" (five text lines, the run
// loop writes the first two) and the environment dialog "ZOLM環境" (the log
// lines and the current configuration).
#pragma once

#include <string>
#include <vector>

inline constexpr int DEBUG_TEXT_LINES = 5;
inline constexpr const char* DEBUG_INFO_TITLE = "デバッグ情報";
inline constexpr const char* INFO_DIALOG_TITLE = "ZOLM環境";
inline constexpr const char* INFO_CONFIG_SEPARATOR = "--- config ---";

// Draws the five lines as a whole-window pane of the current ImGui context.
void debug_info_draw(const std::string (&text)[DEBUG_TEXT_LINES]);

// The start-up lines: the platform (uname), "execute path: " with the
// program file, "commandline:" with the words the program got (joined by
// spaces), "current path:" with the start folder, then the steady clock's
// resolution.
std::vector<std::string> info_host_lines(const std::vector<std::string>& command_line);
// Rebuilds g_config_lines: the memory line (sysinfo), the floppy
// controller's last access, and the settings "SPEED:%d" ... "WINFONT:%s".
void init_build_config_lines();
// Logs info_host_lines (start-up, after paths_init).
void info_log_host(const std::vector<std::string>& command_line);

struct InfoDialog {
    bool open = false;
    bool popup_opened = false;
    std::vector<std::string> lines;  // the snapshot shown
};
// Takes the snapshot: every log line, "--- config ---", the configuration lines rebuilt now.
void info_dialog_open(InfoDialog& dialog);
// Draws the dialog as a modal; answers false once closed (OK).
bool info_dialog_draw(InfoDialog& dialog);
