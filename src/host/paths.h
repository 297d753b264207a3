// Host folders and whole-file writes.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>
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
// stays. A file whose owner may not write it (no owner write bit) is not
// replaced (EACCES), whoever runs the program. On failure the temporary
// file is removed, an old file at path is untouched and errno tells the
// cause. A path that is a character device or a FIFO is written in place:
// a FIFO only while something reads it (ENXIO otherwise), and a write that
// takes nothing for g_write_stall_limit is given up (ETIMEDOUT), at once
// when an AC plug signal comes meanwhile (ECANCELED). Any other file that
// is not a regular one is refused (EPERM, EISDIR) and never replaced. The
// signals that end a run are held off while the temporary file exists, so
// none is left behind.
bool write_file_whole(const std::string& path, const void* data, size_t size);
// The same for a file that must stay a regular one (a disk image written
// back): a path that is anything else is refused (EPERM, EISDIR), never
// opened, so nothing blocks and nothing is written into a FIFO or device.
// The owner's write bit is not looked at: whether the image may be written
// was settled when it was inserted (opened for writing or not).
bool write_regular_file_whole(const std::string& path, const void* data, size_t size);

// Whether write_regular_file_whole could replace path now, tried as it
// writes: a temporary file is made beside the file path leads to and
// removed again, and the folder must let that file be renamed over (a
// sticky folder lets only root and the owners of the file or the folder).
// False (errno set) when not.
bool regular_file_replaceable(const std::string& path);
// How long a write to a FIFO or device may take nothing before it is given
// up; tests shorten or lengthen it.
inline constexpr std::chrono::milliseconds WRITE_STALL_LIMIT{3000};
extern std::chrono::milliseconds g_write_stall_limit;

// Why a write failed, for a message: errno as write_file_whole sets it.
std::string write_error_text(int err);

// Opens path for reading when it is a regular file. A FIFO or a device
// never blocks the open; it is refused like a folder: nullptr, errno
// EISDIR or EPERM.
std::FILE* fopen_regular(const std::string& path);

// Reads one line (LF or CR LF ends it) of at most limit bytes: the rest
// of a longer line is read and dropped as it comes, never held, and
// too_long is set. False at the end of the file.
bool read_bounded_line(std::FILE* f, std::string& line, size_t limit, bool& too_long);
