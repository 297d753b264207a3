// The reset after a double-fault halt: a machine that halts over and over
// does not read the key map file again at every reset; a reset of its own
// (the menu's) still does.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "host/message_box.h"
#include "input/keymap.h"
#include "machine/log_lines.h"
#include "machine/machine.h"
#include "machine/startup.h"
#include "machine/system_port.h"
#include "support/rom_folder.h"

namespace {

MessageBoxAnswer quiet_box(const char*, const char*, MessageBoxKind) { return MB_ANSWER_OK; }

size_t key_map_reads() {
    return size_t(std::count_if(g_log_lines.begin(), g_log_lines.end(), [](const std::string& line) {
        return line.starts_with("loading..:") && line.ends_with(KEYMAP_FILE_NAME);
    }));
}

TEST(HaltReset, HaltsInARowKeepTheKeyMapRead) {
    // The ROM halts 1000 times in a row, each halt a reset, then powers off.
    RomFolder folder("double_fault");
    ASSERT_TRUE(folder.ok());
    std::ofstream(folder.path() / KEYMAP_FILE_NAME) << "\n";
    MessageBoxBackend saved = g_message_box_backend;
    g_message_box_backend = quiet_box;
    size_t before = key_map_reads();
    ASSERT_EQ(init_start(), 0u);
    bool off = false;
    for (int slice = 0; slice < 2000 && !off; slice++) {
        init_run_slice(0);
        if (g_machine.requests.event_request == REQ_END_SLICE) emu_take_request();
        off = (run_flags() & RUN_BREAK) && g_sys.power_off_count >= 2;
    }
    EXPECT_TRUE(off);
    // Start-up and the first halt read it.
    EXPECT_EQ(key_map_reads() - before, 2u);
    init_reset_machine();
    EXPECT_EQ(key_map_reads() - before, 3u);
    init_stop();
    host_message_box_flush();
    g_message_box_backend = saved;
}

}  // namespace
