#include "support/slot_folder.h"

#include <unistd.h>

#include <fstream>

#include "machine/ui_notice.h"
#include "storage/drive_slots.h"

namespace fs = std::filesystem;

void SlotFolder::SetUp() {
    dir = fs::temp_directory_path() / ("zolm-slots-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    for (FdMedia& s : g_fd_media) s = FdMedia{};
    g_ui_notice.media_changed = 0;
}

void SlotFolder::TearDown() {
    g_ui_notice.media_changed = 0;
    fs::remove_all(dir);
}

std::string SlotFolder::image(const std::string& name) {
    fs::path p = dir / name;
    std::ofstream(p) << "disk";
    return p.string();
}
