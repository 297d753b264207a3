// The system's command line: a disk image for drive 0, the configuration
// file, text to type and the switch not to save the configuration.
#pragma once

#include <string>
#include <vector>

extern std::string g_config_file_name;    // "X68.CFG" unless the command line names another
extern std::string g_cmdline_image_name;  // the image for drive 0, empty if none
extern int g_no_save_config;              // 1 after -n: the configuration is not written

// argv as the program got it; argv[0], the program, is skipped. Each
// element is one word, kept as written:
//   -c TEXT...  the rest of the line (the element's tail, then the later
//               elements, each after a space) is typed into the machine
//               (g_paste_text); nothing after it is parsed
//   -n          the configuration is not saved
//   -o NAME     the configuration file (the element's tail, else the next element)
//   NAME.cfg    the configuration file
//   NAME.xdf    (or .dim, .2hd, .dup, .hdm) the image for drive 0; the
//               configuration becomes NAME.cfg
// Extensions and switch letters are matched without case; other switch
// letters and words are ignored; later words win.
void app_parse_command_line(const std::vector<std::string>& argv);

// The system's arguments for --help: each one's form and what it does.
struct CommandLineArgument {
    std::string form, what;
};
std::vector<CommandLineArgument> app_command_line_arguments();

// Inserts the four drives' images; "no disk", the empty drive's name,
// leaves its drive empty. An image the command line named (an image word,
// --fdN or --set FDN=) that could not be inserted is refused: answers
// "NAME: cannot be put in drive N: why" for the first, empty when there is
// none. Those of the settings file that could not be inserted are told in
// one box and kept for the save (cfg_keep_unplaced_image).
std::string app_insert_images();
