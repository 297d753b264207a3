#include "storage/drive_slots.h"

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>

#include "host/paths.h"
#include "machine/log_lines.h"
#include "machine/ui_notice.h"
#include "storage/dim_image.h"
#include "storage/disk_image.h"

FdMedia g_fd_media[FD_DRIVES];
FdMedia g_hd_media;

namespace {

bool s_write_back_failed;
std::string s_insert_notice;  // what the last insertion said, until taken

bool valid_drive(int drive) { return drive >= 0 && drive < FD_DRIVES; }

bool names_dim_image(std::string_view name) {
    // The file's own name decides: a folder "my.dimages" does not.
    std::string upper(name.substr(name.find_last_of('/') + 1));
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper.find(".DIM") != std::string::npos;
}

void tell(const std::string& why) {
    std::fprintf(stderr, "%s\n", why.c_str());
    log_add_line(why);
}

// A written image goes back into its ".DIM" first; one that cannot stays,
// and the run says where it is.
void delete_temporary(FdMedia& slot) {
    if (!(slot.media & FD_MEDIA_TEMPORARY)) return;
    std::string why;
    const DimWriteBack back = slot.media & FD_MEDIA_WRITTEN ? dim_write_back(slot, &why) : DimWriteBack::written;
    switch (back) {
    case DimWriteBack::written: ::unlink(slot.path.c_str()); break;
    case DimWriteBack::image_gone:
        tell(slot.name + ": not written back, its temporary image is gone (" + why + "); " + slot.name +
             " is left as it was");
        break;
    case DimWriteBack::image_short:
        tell(slot.name + ": not written back, its temporary image " + slot.path + " is shorter than the disk; " +
             slot.name + " is left as it was");
        break;
    case DimWriteBack::failed:
        tell(slot.name + ": could not be written back (" + why + "); the disk's contents are kept in " + slot.path);
        break;
    }
    if (back != DimWriteBack::written) s_write_back_failed = true;
    slot.media &= ~(FD_MEDIA_TEMPORARY | FD_MEDIA_WRITTEN);
}

void notify_panel(int drive) { g_ui_notice.media_changed |= ui_notice_drive_bit(drive); }

}  // namespace

void panel_eject(int drive) {
    if (!valid_drive(drive)) return;
    FdMedia& slot = g_fd_media[drive];
    delete_temporary(slot);
    slot.name = FD_NO_DISK;
    slot.path = slot.name;
    slot.state = FD_STATE_EMPTY;
    slot.inserted = 0;
    slot.flags &= ~FD_FLAGS_CLEARED_BY_EJECT;
    slot.ejected = 1;
    slot.tracks = 0;
    slot.written.reset();
    notify_panel(drive);
}

namespace {

// Why name cannot be an image, empty when it can be: only regular files
// are (a FIFO would block the open, a folder or device holds no sectors).
std::string not_an_image(const std::string& name) {
    struct stat st;
    if (::stat(name.c_str(), &st) != 0) return std::strerror(errno);
    if (S_ISDIR(st.st_mode)) return "a folder, not a disk image";
    if (!S_ISREG(st.st_mode)) return "not a regular file";
    return {};
}

}  // namespace

namespace {

// Why a write-back could not replace the ".DIM" name, empty when it could:
// the file itself must take writes, and its folder a new file in its place.
std::string write_back_refusal(const std::string& name) {
    if (!disk_open_regular(name, DiskMode::update))
        return std::string("the file cannot be written: ") + std::strerror(errno);
    if (!regular_file_replaceable(name))
        return std::string("its folder takes no new file in its place: ") + std::strerror(errno);
    return {};
}

// The slot file_name makes, before anything is ejected: opened, and a ".DIM"
// converted into its temporary image, read-only when it could not be
// written back (protect says why). Answers why it cannot be made.
std::string prepare_slot(const std::string& name, FdMedia& made, std::string& protect) {
    std::string why = not_an_image(name);
    std::FILE* file = why.empty() ? fopen_regular(name) : nullptr;
    if (!file) return why.empty() ? std::strerror(errno) : why;
    made.media = 0;
    made.name = name;
    made.path = name;
    if (names_dim_image(name)) {
        if (panel_convert_dim(file, made, &why) != 0) {
            std::fclose(file);
            return why;
        }
        // What cannot go back into the ".DIM" is refused like a write to a read-only image.
        protect = write_back_refusal(name);
        if (!protect.empty()) made.media |= FD_MEDIA_READ_ONLY;
    }
    std::fclose(file);
    return {};
}

// The drive ejected, then holding what prepare_slot made; a read-only
// ".DIM" is said.
void put_in(int drive, const FdMedia& made, const std::string& protect) {
    panel_eject(drive);
    FdMedia& slot = g_fd_media[drive];
    slot.name = made.name;
    slot.path = made.path;
    slot.media = made.media;
    slot.tracks = made.tracks;
    slot.state = FD_STATE_INSERTED;
    slot.inserted = 1;
    slot.insertions++;
    notify_panel(drive);
    if (protect.empty()) return;
    const std::string text = made.name + ": put in drive " + std::to_string(drive) +
                             " write-protected: it cannot be written back (" + protect + ")";
    tell(text);
    s_insert_notice = text;
}

// The drive holds a converted image of the same file: its written tracks
// must go back into it before it is read again.
bool holds_converted(int drive, const std::string& name) {
    const FdMedia& slot = g_fd_media[drive];
    std::error_code ec;
    return (slot.media & FD_MEDIA_TEMPORARY) && std::filesystem::equivalent(slot.name, name, ec);
}

}  // namespace

std::string panel_insert_image(std::string_view file_name, int drive) {
    if (file_name.empty() || !valid_drive(drive)) return {};
    s_insert_notice.clear();
    const std::string name(file_name);
    if (holds_converted(drive, name)) panel_eject(drive);
    FdMedia made{};
    std::string protect;
    std::string why = prepare_slot(name, made, protect);
    if (!why.empty()) {
        panel_eject(drive);
        return why;
    }
    put_in(drive, made, protect);
    return {};
}

std::string panel_replace_image(std::string_view file_name, int drive) {
    if (!valid_drive(drive)) return {};
    const std::string name(file_name);
    if (name.empty()) return "no file named";
    s_insert_notice.clear();
    FdMedia made{};
    std::string protect;
    const bool same_file = holds_converted(drive, name);
    std::string why = same_file ? not_an_image(name) : prepare_slot(name, made, protect);
    if (!why.empty()) return why;
    if (same_file) return panel_insert_image(name, drive);  // written back first, then converted again
    put_in(drive, made, protect);
    return {};
}

std::string panel_refusal_text(std::string_view file_name, int drive, std::string_view why) {
    return std::string(file_name) + ": cannot be put in drive " + std::to_string(drive) + ": " + std::string(why);
}

std::array<std::string, FD_DRIVES> panel_insert_all() {
    std::array<std::string, FD_DRIVES> why;
    for (int drive = 0; drive < FD_DRIVES; ++drive) {
        std::string name = g_fd_media[drive].name;  // insertion rewrites the slot
        why[size_t(drive)] = panel_insert_image(name, drive);
    }
    return why;
}

int panel_take_media_changed(int drive) {
    if (!valid_drive(drive) || !g_fd_media[drive].inserted) return 0;
    g_fd_media[drive].inserted = 0;
    return 1;
}

void panel_tick_leds() {
    for (FdMedia& slot : g_fd_media)
        if (slot.tick) --slot.tick;
}

void panel_reset_media() {
    for (FdMedia& slot : g_fd_media) {
        delete_temporary(slot);
        slot.state = FD_STATE_INSERTED;
        slot.inserted = 1;
        slot.tick = 0;
        slot.flags = 0;
        slot.media = 0;
        slot.tracks = 0;
        slot.written.reset();
    }
    g_hd_media.state = FD_STATE_EMPTY;
}

void panel_close_media() {
    for (FdMedia& slot : g_fd_media) delete_temporary(slot);
}

bool panel_write_back_failed() { return s_write_back_failed; }

std::string panel_take_insert_notice() { return std::exchange(s_insert_notice, {}); }
