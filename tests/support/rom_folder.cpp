#include "support/rom_folder.h"

#include <stdlib.h>

#include <fstream>

#include "core/decode.h"
#include "host/paths.h"
#include "machine/memory_map.h"
#include "machine/startup.h"

namespace fs = std::filesystem;

namespace {
MessageBoxAnswer quiet_box(const char*, const char*, MessageBoxKind) { return MB_ANSWER_OK; }
std::unique_ptr<FontRenderer> no_renderer(const std::string&, std::string* why) {
    if (why) *why = "switched off";
    return nullptr;
}
}  // namespace

RomFolder::RomFolder(const std::string& rom)
    : old_cwd_(fs::current_path()),
      saved_dirs_{g_start_dir, g_exe_dir},
      saved_box_(g_init_message_box),
      saved_factory_(g_font_renderer_factory) {
    std::string tmpl = (fs::temp_directory_path() / "zolm-rom-folder-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) return;
    std::error_code ec;
    fs::copy_file(fs::path(ZOLM_TEST_ROM_DIR) / (rom + ".rom"), fs::path(tmpl) / "iplrom.dat", ec);
    if (ec) return;
    std::ofstream(fs::path(tmpl) / "cgrom.dat", std::ios::binary) << std::string(CGROM_SIZE, '\0');
    root_ = tmpl;
    fs::current_path(root_);
    g_start_dir = g_exe_dir = root_.string();
    g_init_message_box = quiet_box;
    g_font_renderer_factory = no_renderer;
    init_build_cpu_tables();
}

RomFolder::~RomFolder() {
    if (init_machine_running()) init_stop();
    fs::current_path(old_cwd_);
    g_start_dir = saved_dirs_[0];
    g_exe_dir = saved_dirs_[1];
    g_init_message_box = saved_box_;
    g_font_renderer_factory = saved_factory_;
    std::error_code ec;
    if (!root_.empty()) fs::remove_all(root_, ec);
}
