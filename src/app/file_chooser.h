// A modal open-file chooser: a folder listing filtered by the patterns of a
// filter text in the form "description|patterns|...||" (patterns matched
// without case), a name box, a read-only box.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct FileFilter {
    std::string description;
    std::vector<std::string> patterns;  // "*.xd*", "*.DIM", ...
};

// Splits "desc|pat;pat|desc|pat||" into its pairs; a description without a
// pattern is dropped.
std::vector<FileFilter> file_filters_parse(std::string_view filter_text);
// Glob match ('*' any run, '?' one character), ASCII letters without case.
bool file_pattern_match(std::string_view pattern, std::string_view name);
bool file_filter_match(const FileFilter& filter, std::string_view name);

struct FileChooserEntry {
    std::string name;
    bool folder = false;
};

enum class FileChooserResult { Open, Accepted, Cancelled };

struct FileChooser {
    std::string title;        // the modal's caption
    std::string folder;       // listed folder, absolute
    std::string name;         // the name box
    std::string default_ext;  // added to a typed name without an extension ("XDF")
    std::vector<FileFilter> filters;
    int filter_index = 0;
    bool read_only = false;  // the read-only box
    bool show_read_only = true;
    std::vector<FileChooserEntry> entries;  // folders first, then matching files
    std::string error;                      // why the folder could not be listed
    FileChooserResult result = FileChooserResult::Cancelled;
    std::string path;  // the chosen full path once Accepted
    bool visible = false;
    bool popup_opened = false;
    bool select_name = false;  // the name box's text is to be chosen whole when it takes the keys
};

// Opens the chooser with initial_file (a path or a name; its folder is
// listed, g_start_dir when it names none or does not exist).
void file_chooser_open(FileChooser& chooser, std::string title, std::string_view initial_file,
                       std::string_view filter_text, std::string default_ext, bool show_read_only);
// Lists chooser.folder again with the current filter.
void file_chooser_list(FileChooser& chooser);
// Enters a listed folder ("..": the parent).
void file_chooser_enter(FileChooser& chooser, const std::string& folder_name);
// Takes the name box: a folder is entered (false); a file gives the full
// path (default extension added when it has none), result Accepted (true).
bool file_chooser_accept(FileChooser& chooser);
void file_chooser_cancel(FileChooser& chooser);

// Draws the chooser as a modal in the current ImGui context. Answers true
// while it is open; false once it closed (result tells how) or when it was
// not open.
bool file_chooser_draw(FileChooser& chooser);
