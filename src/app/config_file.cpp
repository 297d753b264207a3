#include "app/config_file.h"

#include <sys/stat.h>
#include <cerrno>
#include <vector>

#include "app/command_line.h"
#include "app/config_keys.h"
#include "app/settings_apply.h"
#include "host/message_box.h"
#include "host/paths.h"
#include "input/joystick.h"
#include "input/keyboard.h"
#include "machine/log_lines.h"
#include "machine/rom_files.h"
#include "machine/settings.h"
#include "sound/fm_card.h"
#include "storage/drive_slots.h"
#include "storage/windrv_scan.h"

namespace {

constexpr char SAVE_FAILED_CAPTION[] = "ZOLM";
constexpr char KEY_SEPARATOR = ':';

// A --set assignment: the value given, and the setting's text before and
// after it was applied.
struct Override {
    const CfgKey* key;
    std::string value;
    std::string before, applied;
};
std::vector<Override> g_overrides;

void apply_overrides() {
    for (Override& o : g_overrides) {
        o.before = cfg_format_value(*o.key);
        cfg_set_value(*o.key, o.value);
        o.applied = cfg_format_value(*o.key);
    }
    // The earliest "before" of a key is the file's value.
    for (size_t i = 0; i < g_overrides.size(); i++)
        for (size_t j = 0; j < i; j++)
            if (g_overrides[j].key == g_overrides[i].key) g_overrides[i].before = g_overrides[j].before;
}

// A drive's image that could not be inserted, and the drive's insertions then.
struct UnplacedImage {
    std::string name;
    uint32_t insertions = 0;
};
UnplacedImage g_unplaced[FD_DRIVES];

// The unplaced image a save writes for the key, when there is one.
const std::string* unplaced_image(const CfgKey& key) {
    for (int drive = 0; drive < FD_DRIVES; drive++) {
        const FdMedia& slot = g_fd_media[drive];
        const UnplacedImage& u = g_unplaced[drive];
        if (key.text == &slot.name && !u.name.empty() && slot.name == FD_NO_DISK && slot.insertions == u.insertions)
            return &u.name;
    }
    return nullptr;
}

// The text a save writes for the key: an overridden setting still at its
// override is written as the file had it.
std::string saved_value(const CfgKey& key) {
    if (const std::string* name = unplaced_image(key)) return *name;
    std::string now = cfg_format_value(key);
    for (auto o = g_overrides.rbegin(); o != g_overrides.rend(); ++o)
        if (o->key == &key) return now == o->applied ? o->before : now;
    return now;
}

void apply_settings() {
    opt_apply_settings();
    fmcard_select(g_fmcard, g_settings.fm);
    joy_probe_fm_port(g_joystick);  // FM 3's card answers only now
    if (kbd_detect_type()) g_settings.key = 1;
}

}  // namespace

bool path_is_absolute(std::string_view path) { return !path.empty() && path.front() == '/'; }

std::string cfg_file_path() {
    if (path_is_absolute(g_config_file_name)) return g_config_file_name;
    return path_join(g_start_dir, g_config_file_name);
}

bool cfg_starts_with(std::string_view line, std::string_view key) { return line.starts_with(key); }

int cfg_parse_line(std::string_view line) {
    if (cfg_starts_with(line, CFG_END)) return CFG_LINE_END;
    size_t colon = line.find(KEY_SEPARATOR);
    if (colon == std::string_view::npos) return CFG_LINE_OTHER;
    const CfgKey* key = cfg_find_key(line.substr(0, colon));
    if (!key) return CFG_LINE_OTHER;
    cfg_set_value(*key, line.substr(colon + 1));
    // The image named on the command line stays in drive 0.
    if (key->text == &g_fd_media[0].name && !g_cmdline_image_name.empty()) g_fd_media[0].name = g_cmdline_image_name;
    return CFG_LINE_KEY;
}

bool g_cfg_file_foreign;

bool cfg_read_line(std::FILE* in, std::string& line) {
    bool too_long;
    if (!read_bounded_line(in, line, CFG_LINE_MAX, too_long)) return false;
    if (too_long) line.clear();
    return true;
}

CfgFile cfg_open_checked(const std::string& path) {
    CfgFile in(fopen_regular(path));
    std::string first;
    if (!in || !cfg_read_line(in.get(), first) || !cfg_starts_with(first, CFG_MAGIC)) return nullptr;
    return in;
}

namespace {

// Something other than a settings file at path: a file of another kind,
// or a regular one whose first line is not the header.
bool foreign_file_at(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return false;
    if (S_ISREG(st.st_mode) && st.st_size == 0) return false;  // nothing there to lose
    return !S_ISREG(st.st_mode) || !cfg_open_checked(path);
}

}  // namespace

void cfg_keep_unplaced_image(int drive, const std::string& name) {
    if (drive < 0 || drive >= FD_DRIVES) return;
    g_unplaced[drive] = {name, g_fd_media[drive].insertions};
}

std::string cfg_load() {
    for (UnplacedImage& u : g_unplaced) u = {};
    panel_reset_media();
    cfg_set_defaults();
    opt_apply_settings();
    if (!g_cmdline_image_name.empty()) g_fd_media[0].name = g_cmdline_image_name;

    std::string path;
    CfgFile in;
    g_cfg_file_foreign = foreign_file_at(cfg_file_path());
    if (g_cfg_file_foreign) {
        std::string why = cfg_file_path() + " is not a settings file: it is not read, and not written over";
        std::fprintf(stderr, "zolm: %s\n", why.c_str());
        log_add_line(why);
    }
    for (std::string candidate : {cfg_file_path(), path_join(g_start_dir, CFG_FALLBACK_FILE_NAME),
                                  path_join(g_exe_dir, CFG_FALLBACK_FILE_NAME)}) {
        in = cfg_open_checked(candidate);
        if (in) {
            path = candidate;
            break;
        }
    }
    if (in) {
        log_add_line("loading..:" + path);
        std::string line;
        cfg_read_line(in.get(), line);  // the format line: not used
        while (cfg_read_line(in.get(), line))
            if (cfg_parse_line(line) == CFG_LINE_END) break;
    }
    apply_overrides();
    if (in || !g_overrides.empty()) apply_settings();
    // The host drive's units come from the command line: with a file or without.
    windrv_scan_drives();
    return path;
}

std::string cfg_file_text() {
    std::string text = std::string(CFG_HEADER) + "\n" + std::to_string(CFG_FORMAT_VERSION) + ",0,0,0,0,0,0,0\n";
    for (const CfgKey& key : cfg_keys()) {
        std::string value = saved_value(key);
        // A line end inside a value would start a line of its own.
        if (value.find_first_of("\r\n") != std::string::npos) {
            log_add_line(std::string(key.name) + ": a value with a line end is not saved");
            value.clear();
        }
        text += std::string(key.name) + KEY_SEPARATOR + value + "\n";
    }
    text += std::string(CFG_END) + "\n";
    return text;
}

bool cfg_save() {
    // The failure said last: the same one again (the debugger's close, then
    // the end) is not said twice.
    static std::string s_told;
    if (g_no_save_config) return true;
    std::string path = cfg_file_path();
    if (g_cfg_file_foreign) return false;  // said at start; the settings are not saved
    std::string text = cfg_file_text();
    if (write_file_whole(path, text.data(), text.size())) {
        s_told.clear();
        return true;
    }
    std::string why = path + " could not be saved: " + write_error_text(errno);
    if (why == s_told) return false;
    s_told = why;
    log_add_line(why);
    why += "\nthe settings of this run are lost";
    g_init_message_box(why.c_str(), SAVE_FAILED_CAPTION, MB_ERROR);
    return false;
}

std::string cfg_add_override(std::string_view assignment) {
    size_t equals = assignment.find('=');
    if (equals == std::string_view::npos) return "takes KEY=VALUE";
    std::string_view name = assignment.substr(0, equals), value = assignment.substr(equals + 1);
    const CfgKey* key = cfg_find_key(name);
    if (!key) return "no such setting \"" + std::string(name) + "\"";
    if (!cfg_value_valid(*key, value))
        return std::string(name) + " does not take \"" + std::string(value) + "\" (it takes " + cfg_values_taken(*key) +
               ")";
    g_overrides.push_back({key, std::string(value), {}, {}});
    return {};
}

void cfg_clear_overrides() { g_overrides.clear(); }

bool cfg_overridden(std::string_view name) {
    const CfgKey* key = cfg_find_key(name);
    for (const Override& o : g_overrides)
        if (key && o.key == key) return true;
    return false;
}
