#include "app/command_line.h"

#include <algorithm>
#include <cctype>
#include <span>
#include <string_view>

#include "app/config_file.h"
#include "host/message_box.h"
#include "input/keyboard.h"
#include "machine/rom_files.h"
#include "storage/drive_slots.h"

std::string g_config_file_name = CFG_FILE_NAME;
std::string g_cmdline_image_name;
int g_no_save_config;

namespace {

constexpr char SWITCH = '-';
constexpr char SWITCH_PASTE = 'c', SWITCH_NO_SAVE = 'n', SWITCH_CONFIG = 'o';
constexpr std::string_view CONFIG_EXTENSION = ".cfg";
// Tested in this order.
constexpr std::string_view IMAGE_EXTENSIONS[] = {".xdf", ".dim", ".2hd", ".dup", ".hdm"};
// The box for the settings file's images that could not be inserted.
constexpr char UNPLACED_CAPTION[] = "ZOLM";
constexpr char UNPLACED_NOTE[] = "; left empty, the settings file keeps the name";

char lower(char c) { return char(std::tolower(static_cast<unsigned char>(c))); }

// Where ext first stands in word, compared without case; npos if nowhere.
size_t find_without_case(std::string_view word, std::string_view ext) {
    auto at = std::search(word.begin(), word.end(), ext.begin(), ext.end(),
                          [](char a, char b) { return lower(a) == lower(b); });
    return at == word.end() ? std::string_view::npos : size_t(at - word.begin());
}

bool ends_without_case(std::string_view word, std::string_view ext) {
    return word.size() >= ext.size() && find_without_case(word.substr(word.size() - ext.size()), ext) == 0;
}

// Only a word that ends in ".cfg" names the settings: "backup.cfg.xdf" is
// an image, whose settings are "backup.cfg.cfg".
void take_word(std::string_view word) {
    if (ends_without_case(word, CONFIG_EXTENSION)) {
        g_config_file_name = word;
        return;
    }
    for (std::string_view ext : IMAGE_EXTENSIONS) {
        size_t at = find_without_case(word, ext);
        if (at == std::string_view::npos) continue;
        g_cmdline_image_name = word;
        g_config_file_name = std::string(word.substr(0, at)) + std::string(CONFIG_EXTENSION);
        return;
    }
}

}  // namespace

void app_parse_command_line(const std::vector<std::string>& argv) {
    g_config_file_name = CFG_FILE_NAME;
    g_cmdline_image_name.clear();
    g_paste_text.clear();
    g_no_save_config = 0;
    for (size_t i = 1; i < argv.size(); i++) {
        std::string_view word = argv[i];
        // A switch letter is followed by the rest of its word: -nx goes on with x.
        while (word.size() >= 2 && word[0] == SWITCH) {
            char letter = lower(word[1]);
            std::string_view tail = word.substr(2);
            if (letter == SWITCH_PASTE) {
                g_paste_text = tail;
                for (size_t j = i + 1; j < argv.size(); j++) g_paste_text += " " + argv[j];
                return;
            }
            if (letter == SWITCH_CONFIG) {
                if (tail.empty() && i + 1 < argv.size()) tail = argv[++i];
                g_config_file_name = tail;
                tail = {};
            } else if (letter == SWITCH_NO_SAVE) {
                g_no_save_config = 1;
            }
            word = tail;
        }
        if (!word.empty() && word[0] != SWITCH) take_word(word);
    }
}

std::vector<CommandLineArgument> app_command_line_arguments() {
    std::string others;
    for (std::string_view ext : std::span(IMAGE_EXTENSIONS).subspan(1))
        others += (others.empty() ? "" : ", ") + std::string(ext);
    const std::string config = std::string(CONFIG_EXTENSION);
    return {
        {"NAME" + std::string(IMAGE_EXTENSIONS[0]),
         "put the image in drive 0 and use NAME" + config + " (also " + others + ")"},
        {"NAME" + config, "use NAME" + config + " as the configuration file"},
        {std::string{SWITCH, SWITCH_CONFIG} + " FILE", "use FILE as the configuration file"},
        {std::string{SWITCH, SWITCH_NO_SAVE}, "do not save the configuration file"},
        {std::string{SWITCH, SWITCH_PASTE} + " TEXT...", "type the rest of the line into the machine (';' as Return)"},
    };
}

std::string app_insert_images() {
    std::string refused, unplaced;
    for (int drive = 0; drive < FD_DRIVES; drive++) {
        const std::string name = g_fd_media[drive].name;  // insertion rewrites the slot
        // The empty drive's name in the settings file is no file name.
        if (name == FD_NO_DISK) {
            panel_eject(drive);
            continue;
        }
        const std::string why = panel_insert_image(name, drive);
        if (why.empty()) continue;
        const bool named =
            cfg_overridden("FD" + std::to_string(drive)) || (drive == 0 && !g_cmdline_image_name.empty());
        if (named) {
            if (refused.empty()) refused = panel_refusal_text(name, drive, why);
            continue;
        }
        cfg_keep_unplaced_image(drive, name);
        unplaced += (unplaced.empty() ? "" : "\n") + panel_refusal_text(name, drive, why) + UNPLACED_NOTE;
    }
    if (refused.empty() && !unplaced.empty()) g_init_message_box(unplaced.c_str(), UNPLACED_CAPTION, MB_WARNING);
    return refused;
}
