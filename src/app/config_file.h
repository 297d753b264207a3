// The configuration file: every setting as one "KEY:value" line between a
// header and "END:", read once before the machine starts and written back
// at shut-down and when the debugger closes.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

inline constexpr char CFG_FILE_NAME[] = "X68.CFG";
inline constexpr char CFG_FALLBACK_FILE_NAME[] = "ZOLM_DEF.CFG";
inline constexpr char CFG_HEADER[] = "ZOLM option setting.";
inline constexpr std::string_view CFG_MAGIC = "ZOLM";  // what the first line must begin with
inline constexpr int CFG_FORMAT_VERSION = 101;         // the second line: "101,0,0,0,0,0,0,0"
inline constexpr std::string_view CFG_END = "END:";
inline constexpr size_t CFG_LINE_MAX = 4096;  // longer lines are skipped

// Answers of cfg_parse_line.
inline constexpr int CFG_LINE_KEY = 1;
inline constexpr int CFG_LINE_OTHER = 0;
inline constexpr int CFG_LINE_END = -1;

bool path_is_absolute(std::string_view path);
// g_config_file_name, in the start folder unless it is absolute.
std::string cfg_file_path();

bool cfg_starts_with(std::string_view line, std::string_view key);
// Applies one line (without its line end): CFG_LINE_KEY when it names a
// key (its value stored when the key takes it), CFG_LINE_END for "END:",
// CFG_LINE_OTHER for anything else.
int cfg_parse_line(std::string_view line);

// Reads a line up to its line feed, which is dropped with a carriage
// return before it; false at the end of the file. A line over
// CFG_LINE_MAX bytes is read in pieces and dropped: it comes back empty.
bool cfg_read_line(std::FILE* in, std::string& line);

struct CfgFileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using CfgFile = std::unique_ptr<std::FILE, CfgFileCloser>;
// The file open for reading past its first line, when it is a regular file
// whose first line begins with "ZOLM".
CfgFile cfg_open_checked(const std::string& path);

// Whether the settings file of this run exists but is no settings file:
// it is then never written over.
extern bool g_cfg_file_foreign;

// Sets every setting to its default and reads the configuration file over
// them ("X68.CFG" or the command line's name, else "ZOLM_DEF.CFG" in the
// start folder, then in the program's folder), then the --set overrides,
// and applies the result. Answers the path read, empty when none opened.
std::string cfg_load();

// The whole file as cfg_save writes it.
std::string cfg_file_text();
// Writes the file whole or not at all; nothing with the "n" switch. A
// failure is logged and told in a message box; false then, and false for a
// file that is no settings file (said at load) or that its owner may not
// write: neither is written over.
bool cfg_save();

// An image the settings file names for drive that could not be inserted:
// while nothing else went into the drive, a save writes its name, not the
// empty drive's, so the disk comes back once the file is there again.
// cfg_load forgets them.
void cfg_keep_unplaced_image(int drive, const std::string& name);

// --set KEY=VALUE: the setting takes VALUE for this run, over the file;
// a save writes the file's value back for it unless it was changed again.
// Answers what is wrong with the assignment, empty when nothing is.
std::string cfg_add_override(std::string_view assignment);
void cfg_clear_overrides();
// True when an override names the setting key (as "FD0").
bool cfg_overridden(std::string_view key);
