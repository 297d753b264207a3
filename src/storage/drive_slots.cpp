#include "storage/drive_slots.h"

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "host/paths.h"
#include "machine/log_lines.h"
#include "machine/ui_notice.h"
#include "storage/dim_image.h"
#include "storage/disk_image.h"

FdMedia g_fd_media[FD_DRIVES];
FdMedia g_hd_media;

namespace {

bool s_write_back_failed;

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

std::string panel_insert_image(std::string_view file_name, int drive) {
    if (file_name.empty() || !valid_drive(drive)) return {};
    std::string name(file_name);
    std::string why = not_an_image(name);
    std::FILE* file = why.empty() ? fopen_regular(name) : nullptr;
    if (!file) {
        if (why.empty()) why = std::strerror(errno);
        panel_eject(drive);
        return why;
    }
    panel_eject(drive);
    FdMedia& slot = g_fd_media[drive];
    slot.media = 0;
    slot.name = name;
    slot.path = name;
    if (names_dim_image(name)) {
        if (panel_convert_dim(file, slot, &why) != 0) {
            std::fclose(file);
            panel_eject(drive);
            return why;
        }
        // What cannot go back into the ".DIM" is refused like a write to a read-only image.
        if (!disk_open_regular(name, DiskMode::update)) slot.media |= FD_MEDIA_READ_ONLY;
    }
    std::fclose(file);
    slot.name = name;
    slot.state = FD_STATE_INSERTED;
    slot.inserted = 1;
    notify_panel(drive);
    return {};
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
