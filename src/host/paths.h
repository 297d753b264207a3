// Host folders and whole-file writes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The folder that was current when the program started and the folder of
// the executable, both without a trailing slash (except the root "/").
// Set by paths_init at program start.
extern std::string g_start_dir;
extern std::string g_exe_dir;

// Sets g_start_dir from the current folder and g_exe_dir from
// /proc/self/exe. A folder that cannot be found stays empty.
void paths_init();

// The current folder now; empty when the host cannot tell (it was removed).
std::string host_current_dir();

// folder + "/" + name. An empty folder gives name; an absolute name is
// taken as it stands.
std::string path_join(std::string_view folder, std::string_view name);

// Writes size bytes as the file path, whole or not at all: the data goes to
// "path.tmp-XXXXXX" in the same folder (the name cut short where it would
// pass the file system's limit), is flushed to the disk and then renamed
// over path. A path that is a symbolic link is written through: the file
// it leads to is replaced the same way, in its own folder, and the link
// stays. On failure the temporary file is removed, an old file at path is
// untouched and errno tells the cause.
bool write_file_whole(const std::string& path, const void* data, size_t size);
