#include "app/info_dialogs.h"

#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "host/paths.h"
#include "input/joystick.h"
#include "machine/log_lines.h"
#include "machine/settings.h"
#include "storage/fdc.h"
#include "video/frame_buffer.h"
#include "video/video_state.h"

namespace {

template <typename... Args> std::string format(const char* fmt, Args... args) {
    char text[512];
    std::snprintf(text, sizeof text, fmt, args...);
    return text;
}

}  // namespace

std::vector<std::string> info_host_lines(const std::vector<std::string>& command_line) {
    std::vector<std::string> lines;
    struct utsname u {};
    if (uname(&u) == 0) lines.push_back(format("Platform: %s %s %s %s", u.sysname, u.release, u.version, u.machine));
    std::error_code ec;
    lines.push_back("execute path: " + std::filesystem::read_symlink("/proc/self/exe", ec).string());
    std::string words;
    for (const std::string& w : command_line) words += (words.empty() ? "" : " ") + w;
    lines.push_back("commandline:" + words);
    lines.push_back("current path:" + g_start_dir);
    using clock = std::chrono::steady_clock;
    lines.push_back(format("steady clock: %lld/%lld s", static_cast<long long>(clock::period::num),
                           static_cast<long long>(clock::period::den)));
    return lines;
}

void info_log_host(const std::vector<std::string>& command_line) {
    for (const std::string& line : info_host_lines(command_line)) log_add_line(line);
}

void init_build_config_lines() {
    std::vector<std::string>& out = g_config_lines;
    out.clear();
    struct sysinfo si {};
    if (sysinfo(&si) == 0) {
        const unsigned long long unit = si.mem_unit ? si.mem_unit : 1;
        const unsigned long long total = si.totalram * unit, avail = (si.freeram + si.bufferram) * unit;
        const long load = total ? static_cast<long>((total - avail) * 100 / total) : 0;
        out.push_back(format("memory:free (%ld%%) physical (%ldMB) available (%ldMB)", load,
                             static_cast<long>(total >> 20), static_cast<long>(avail >> 20)));
    }
    out.push_back(format("FDC access:%x count:%d", g_fdc.last_access, int(g_fdc.access_count)));
    const struct {
        const char* fmt;
        int value;
    } settings[] = {
        {"SPEED:%d", g_settings.speed},       {"CRT:%d", g_settings.crt},
        {"FRAME:%d", g_settings.frame},       {"MINCLOCK:%d", g_settings.minclock},
        {"AUTOSIZE:%d", g_settings.autosize}, {"SEL15BPP:%d", g_settings.sel15bpp},
        {"BPPREG:%d", g_settings.bppreg},     {"DDRAW:%d", g_settings.ddraw},
        {"JOY0:%d", g_settings.joy0},         {"JOY1:%d", g_settings.joy1},
        {"JOYOUT:%d", g_settings.joyout},     {"FPU:%d", g_settings.fpu},
        {"BACKG:%d", g_settings.backg},       {"EJECT:%d", g_settings.eject},
        {"MOUSE:%d", g_settings.mouse},       {"KEY:%d", g_settings.key},
        {"IME:%d", g_settings.ime},
    };
    for (const auto& s : settings) out.push_back(format(s.fmt, s.value));
    out.push_back("FONT:" + g_settings.font);
    out.push_back("WINFONT:" + g_settings.winfont);
}

void info_dialog_open(InfoDialog& dialog) {
    dialog.lines = g_log_lines;
    dialog.lines.emplace_back(INFO_CONFIG_SEPARATOR);
    init_build_config_lines();
    dialog.lines.insert(dialog.lines.end(), g_config_lines.begin(), g_config_lines.end());
    dialog.open = true;
    dialog.popup_opened = false;
}
