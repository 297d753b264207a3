// Drive slots: insert, eject, the change report and the panel's notice, the
// LED ticks, the reset.
#include <gtest/gtest.h>

#include <string>

#include "machine/ui_notice.h"
#include "storage/drive_slots.h"
#include "support/slot_folder.h"

namespace {

using DriveSlots = SlotFolder;

TEST_F(DriveSlots, InsertEjectAndTheChangeReport) {
    std::string a = image("a.xdf");
    g_fd_media[0].flags = FD_FLAG_EJECT_INHIBIT | FD_FLAG_BLINK_EMPTY | FD_FLAG_WRITE_PROTECT | 0x03;
    panel_insert_image(a, 0);
    EXPECT_EQ(g_fd_media[0].name, a);
    EXPECT_EQ(g_fd_media[0].path, a);
    EXPECT_EQ(g_fd_media[0].state, FD_STATE_INSERTED);
    EXPECT_EQ(panel_take_media_changed(0), 1);
    EXPECT_EQ(panel_take_media_changed(0), 0);
    EXPECT_EQ(g_fd_media[0].flags, FD_FLAG_EJECT_INHIBIT | FD_FLAG_BLINK_EMPTY) << "eject clears bits 0, 1, 3";
    EXPECT_EQ(g_fd_media[0].ejected, 1);
    EXPECT_EQ(g_ui_notice.media_changed, ui_notice_drive_bit(0)) << "the panel told";

    panel_insert_image((dir / "missing.xdf").string(), 1);
    EXPECT_EQ(g_fd_media[1].name, FD_NO_DISK);
    EXPECT_EQ(g_fd_media[1].state, FD_STATE_EMPTY);
    EXPECT_EQ(g_ui_notice.media_changed, ui_notice_drive_bit(0) | ui_notice_drive_bit(1)) << "ejected: told";

    g_fd_media[2].name = "kept";
    panel_insert_image("", 2);
    EXPECT_EQ(g_fd_media[2].name, "kept") << "an empty name does nothing";
    EXPECT_EQ(g_ui_notice.media_changed & ui_notice_drive_bit(2), 0u);
    EXPECT_EQ(panel_take_media_changed(-1), 0);
    EXPECT_EQ(panel_take_media_changed(FD_DRIVES), 0);
}

TEST_F(DriveSlots, TicksResetAndInsertAll) {
    g_fd_media[0].tick = 2;
    panel_tick_leds();
    panel_tick_leds();
    panel_tick_leds();
    EXPECT_EQ(g_fd_media[0].tick, 0);

    g_fd_media[1].name = image("b.xdf");
    g_fd_media[1].flags = FD_FLAG_WRITE_PROTECT;
    g_hd_media.state = 6;
    panel_reset_media();
    EXPECT_EQ(g_fd_media[1].state, FD_STATE_INSERTED);
    EXPECT_EQ(g_fd_media[1].flags, 0);
    EXPECT_EQ(g_hd_media.state, 0);
    EXPECT_NE(g_fd_media[1].name, FD_NO_DISK) << "names stay";

    g_fd_media[2].name = (dir / "gone.xdf").string();
    panel_insert_all();
    EXPECT_EQ(g_fd_media[1].path, g_fd_media[1].name);
    EXPECT_EQ(g_fd_media[2].name, FD_NO_DISK);
}

}  // namespace
