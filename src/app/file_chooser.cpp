#include "app/file_chooser.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "host/paths.h"

namespace fs = std::filesystem;

namespace {

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

std::vector<std::string_view> split(std::string_view text, char sep) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(sep, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

}  // namespace

std::vector<FileFilter> file_filters_parse(std::string_view filter_text) {
    std::vector<FileFilter> filters;
    std::vector<std::string_view> fields = split(filter_text, '|');
    for (size_t i = 0; i + 1 < fields.size(); i += 2) {
        if (fields[i].empty() && fields[i + 1].empty()) break;  // the closing "||"
        FileFilter f{std::string(fields[i]), {}};
        for (std::string_view p : split(fields[i + 1], ';'))
            if (!p.empty()) f.patterns.emplace_back(p);
        if (!f.patterns.empty()) filters.push_back(std::move(f));
    }
    return filters;
}

bool file_pattern_match(std::string_view pattern, std::string_view name) {
    if (pattern == "*.*") return true;  // every file, with or without an extension
    size_t p = 0, n = 0, star = std::string_view::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || lower(pattern[p]) == lower(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool file_filter_match(const FileFilter& filter, std::string_view name) {
    return std::any_of(filter.patterns.begin(), filter.patterns.end(),
                       [&](const std::string& p) { return file_pattern_match(p, name); });
}

void file_chooser_list(FileChooser& chooser) {
    chooser.entries.clear();
    chooser.error.clear();
    std::error_code ec;
    fs::directory_iterator it(chooser.folder, ec);
    if (ec) {
        chooser.error = ec.message();
        return;
    }
    const FileFilter* filter =
        chooser.filters.empty() ? nullptr
                                : &chooser.filters[std::min<size_t>(chooser.filter_index, chooser.filters.size() - 1)];
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        std::string name = it->path().filename().string();
        bool folder = it->is_directory(ec);
        if (!folder && filter && !file_filter_match(*filter, name)) continue;
        chooser.entries.push_back({std::move(name), folder});
    }
    std::sort(chooser.entries.begin(), chooser.entries.end(),
              [](const auto& a, const auto& b) { return a.folder != b.folder ? a.folder : a.name < b.name; });
    if (chooser.folder != "/") chooser.entries.insert(chooser.entries.begin(), {"..", true});
}

void file_chooser_open(FileChooser& chooser, std::string title, std::string_view initial_file,
                       std::string_view filter_text, std::string default_ext, bool show_read_only) {
    chooser.title = std::move(title);
    chooser.default_ext = std::move(default_ext);
    chooser.filters = file_filters_parse(filter_text);
    chooser.filter_index = 0;
    chooser.read_only = false;
    chooser.show_read_only = show_read_only;
    chooser.result = FileChooserResult::Open;
    chooser.path.clear();
    chooser.visible = true;
    chooser.popup_opened = false;
    fs::path initial = fs::path(path_join(g_start_dir, initial_file));
    std::error_code ec;
    chooser.folder = g_start_dir.empty() ? fs::current_path(ec).string() : g_start_dir;
    chooser.name.clear();
    if (!initial_file.empty()) {
        if (fs::is_directory(initial.parent_path(), ec)) chooser.folder = initial.parent_path().string();
        chooser.name = initial.filename().string();
    }
    chooser.select_name = true;
    file_chooser_list(chooser);
}

void file_chooser_enter(FileChooser& chooser, const std::string& folder_name) {
    fs::path next =
        folder_name == ".." ? fs::path(chooser.folder).parent_path() : fs::path(chooser.folder) / folder_name;
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(next, ec);
    std::string folder = (ec ? next : canonical).string();
    chooser.folder = folder.empty() ? std::string(1, '/') : std::move(folder);
    file_chooser_list(chooser);
}

bool file_chooser_accept(FileChooser& chooser) {
    if (chooser.name.empty()) return false;
    fs::path chosen = fs::path(path_join(chooser.folder, chooser.name));
    std::error_code ec;
    if (fs::is_directory(chosen, ec)) {
        chooser.name.clear();
        file_chooser_enter(chooser, chosen.string());
        return false;
    }
    if (!chosen.has_extension() && !chooser.default_ext.empty() && !fs::exists(chosen, ec))
        chosen += "." + chooser.default_ext;
    chooser.path = chosen.lexically_normal().string();
    chooser.result = FileChooserResult::Accepted;
    chooser.visible = false;
    return true;
}

void file_chooser_cancel(FileChooser& chooser) {
    chooser.result = FileChooserResult::Cancelled;
    chooser.visible = false;
}
