// Disk panel LEDs from the machine state and the slots, the refresh that
// the devices' notice brings, and the chooser's answer.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/disk_panel.h"
#include "host/message_box.h"
#include "machine/machine.h"
#include "machine/mfp.h"
#include "machine/rtc.h"
#include "machine/settings.h"
#include "machine/ui_notice.h"
#include "support/ordinary_user.h"
#include "support/powered_on.h"
#include "support/slot_folder.h"
#include "video/crtc.h"

namespace {

class DiskPanelLeds : public PoweredOnMachine {
protected:
    std::vector<uint8_t> ram = std::vector<uint8_t>(0x1000);
    uint8_t* saved_ram = nullptr;
    uint32_t saved_size = 0;
    void SetUp() override {
        PoweredOnMachine::SetUp();
        saved_ram = g_machine.main_ram;
        saved_size = g_machine.main_ram_size;
        g_machine.main_ram = ram.data();
        g_machine.main_ram_size = static_cast<uint32_t>(ram.size());
        for (FdMedia& s : g_fd_media) s = FdMedia{};
        g_hd_media = FdMedia{};
        g_ui_notice.panel_refresh_countdown = 0;
        g_ui_notice.media_changed = 0;
        g_ui_notice.access_lit = false;
        g_machine.frame.frame_counter = 0;
        g_mfp.regs[MFP_GPIP] = 0;
        g_crtc.regs[CRTC_MODE] = 0;
        g_rtc.regs[1] = 0;
    }
    void TearDown() override {
        g_machine.main_ram = saved_ram;
        g_machine.main_ram_size = saved_size;
        g_ui_notice.media_changed = 0;
        g_ui_notice.access_lit = false;
    }
};

TEST_F(DiskPanelLeds, LedsFollowTheMachineAndTheSlots) {
    PanelLeds leds;
    g_machine.main_ram = nullptr;
    panel_update_leds(leds);
    EXPECT_FALSE(leds.valid) << "nothing before the machine has main RAM";
    g_machine.main_ram = ram.data();

    ram[0x810] = 0x05;         // IOCS work area with KEY 0
    g_fd_media[0].state = 20;  // an access
    g_fd_media[1].state = FD_STATE_INSERTED;
    g_fd_media[1].flags = FD_FLAG_EJECT_INHIBIT;
    g_fd_media[2].flags = FD_FLAG_BLINK_EMPTY;  // empty, blinking
    g_machine.frame.frame_counter = 0x20;
    g_hd_media.state = 6;
    g_crtc.regs[CRTC_MODE] = CRTC_MODE_HIGH_RES;
    g_rtc.regs[1] = 1;
    panel_update_leds(leds);
    ASSERT_TRUE(leds.valid);
    EXPECT_EQ(leds.key[0], LED_GREEN);
    EXPECT_EQ(leds.key[1], LED_OFF);
    EXPECT_EQ(leds.key[2], LED_GREEN);
    EXPECT_EQ(leds.drive[0], LED_RED);
    EXPECT_EQ(g_fd_media[0].state, 19);
    EXPECT_EQ(leds.drive[1], LED_GREEN);
    EXPECT_EQ(leds.drive[2], LED_GREEN);
    EXPECT_EQ(leds.drive[3], LED_OFF);
    EXPECT_EQ(leds.eject[0], LED_GREEN);
    EXPECT_EQ(leds.eject[1], LED_OFF) << "eject inhibited";
    EXPECT_EQ(leds.eject[2], LED_OFF) << "empty";
    EXPECT_EQ(leds.hard_disk, LED_RED);
    EXPECT_EQ(g_hd_media.state, 5);
    EXPECT_EQ(leds.high_res, LED_RED);
    EXPECT_EQ(leds.timer, LED_OFF);
    EXPECT_EQ(leds.power, LED_GREEN);
    EXPECT_EQ(g_ui_notice.panel_refresh_countdown, 2) << "red re-arms the refresh";

    g_settings.key = 1;
    g_mfp.regs[MFP_KEY_LED] = 0x40;
    g_mfp.regs[MFP_GPIP] = 0x04;  // power switch: the LED blinks
    g_machine.frame.frame_counter = 0x10;
    g_fd_media[0].state = FD_STATE_INSERTED;
    g_hd_media.state = 0;
    g_ui_notice.panel_refresh_countdown = 0;
    g_fd_media[2].flags = 0;
    panel_update_leds(leds);
    EXPECT_EQ(leds.key[6], LED_GREEN);
    EXPECT_EQ(leds.key[0], LED_OFF);
    EXPECT_EQ(leds.power, LED_OFF);
    EXPECT_EQ(g_ui_notice.panel_refresh_countdown, 16);
}

TEST_F(DiskPanelLeds, TheNoticeRefreshesTheAttachedPanel) {
    DiskPanel panel;
    int focus = 0;
    panel.focus_main = [&] { ++focus; };
    g_fd_media[0].state = FD_STATE_INSERTED;
    panel_eject(0);
    EXPECT_FALSE(panel_take_notice(panel));
    EXPECT_FALSE(panel.leds.valid) << "not attached: the notice is dropped";
    panel_eject(1);
    panel_attach_slots(panel);
    EXPECT_FALSE(panel_take_notice(panel)) << "what came before the attach is dropped";

    g_fd_media[0].state = FD_STATE_INSERTED;
    panel_eject(0);  // the software eject of the disk calls is this one
    EXPECT_TRUE(panel_take_notice(panel));
    EXPECT_TRUE(panel.leds.valid);
    EXPECT_EQ(panel.leds.eject[0], LED_OFF);
    EXPECT_EQ(focus, 1) << "an eject gives the focus back";
    EXPECT_FALSE(panel_take_notice(panel)) << "taken once";

    g_fd_media[1].state = 20;  // an access lit drive 1
    g_ui_notice.access_lit = true;
    EXPECT_TRUE(panel_take_notice(panel));
    EXPECT_EQ(panel.leds.drive[1], LED_RED);
    EXPECT_EQ(focus, 1) << "a lit LED leaves the focus";
    panel_close(panel);
    EXPECT_FALSE(panel.attached);
}

using DiskPanelChoice = SlotFolder;

TEST_F(DiskPanelChoice, ChoosingTheSameFileOnlySetsWriteProtection) {
    DiskPanel panel;
    std::string a = image("a.xdf");
    panel_insert_image(a, 0);
    panel_take_media_changed(0);
    panel.chooser_drive = 0;
    panel_apply_choice(panel, a, true);
    EXPECT_EQ(g_fd_media[0].flags & FD_FLAG_WRITE_PROTECT, FD_FLAG_WRITE_PROTECT);
    EXPECT_EQ(panel_take_media_changed(0), 0) << "not re-inserted";
    EXPECT_EQ(panel.chooser_drive, -1);

    std::string b = image("b.xdf");
    panel.chooser_drive = 0;
    panel_apply_choice(panel, b, false);
    EXPECT_EQ(g_fd_media[0].name, b);
    EXPECT_EQ(g_fd_media[0].flags & FD_FLAG_WRITE_PROTECT, 0);
    EXPECT_EQ(panel_take_media_changed(0), 1);
    EXPECT_EQ(g_ui_notice.media_changed, 0u) << "the panel took its own notice";
}

// The boxes a test saw, as "caption: text".
std::vector<std::string> g_boxes;
MessageBoxAnswer record_box(const char* text, const char* caption, MessageBoxKind) {
    g_boxes.push_back(std::string(caption) + ": " + text);
    return MB_ANSWER_OK;
}

TEST_F(DiskPanelChoice, ARefusedImageIsToldAndTheDiskThatWasInStays) {
    // A good ".DIM": type 0, no track present (a blank disk).
    const std::string good = (dir / "good.dim").string();
    std::ofstream(good, std::ios::binary) << std::string(256, '\0');
    const std::string short_dim = (dir / "bad.dim").string();
    std::ofstream(short_dim, std::ios::binary) << "x";
    const struct {
        std::string chosen, box;
    } cases[] = {
        {short_dim,
         "FD0: " + short_dim + ": cannot be put in drive 0: no .DIM image: the header is shorter than 256 bytes"},
        {(dir / "gone.xdf").string(),
         "FD0: " + (dir / "gone.xdf").string() + ": cannot be put in drive 0: No such file or directory"},
        {dir.string(), "FD0: " + dir.string() + ": cannot be put in drive 0: a folder, not a disk image"},
    };
    const MessageBoxBackend before = g_message_box_backend;
    g_message_box_backend = record_box;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen);
        ASSERT_EQ(panel_insert_image(good, 0), "");
        g_fd_media[0].flags |= FD_FLAG_WRITE_PROTECT;
        const std::string temporary = g_fd_media[0].path;
        panel_take_media_changed(0);
        DiskPanel panel;
        int focus = 0;
        panel.focus_main = [&] { ++focus; };
        panel.chooser_drive = 0;
        g_boxes.clear();
        panel_apply_choice(panel, c.chosen, false);
        EXPECT_EQ(g_fd_media[0].name, good) << "the disk that was in stays";
        EXPECT_EQ(g_fd_media[0].path, temporary);
        EXPECT_TRUE(std::filesystem::exists(temporary)) << "its converted image too";
        EXPECT_EQ(g_fd_media[0].state, FD_STATE_INSERTED);
        EXPECT_EQ(g_fd_media[0].flags & FD_FLAG_WRITE_PROTECT, FD_FLAG_WRITE_PROTECT) << "a refusal changes nothing";
        EXPECT_EQ(panel_take_media_changed(0), 0);
        EXPECT_EQ(focus, 1);
        EXPECT_TRUE(g_boxes.empty()) << "told after the frame, not in it";
        panel_tell_refusal(panel);
        EXPECT_EQ(g_boxes, std::vector<std::string>{c.box});
        panel_tell_refusal(panel);
        EXPECT_EQ(g_boxes.size(), 1u) << "told once";
        host_message_box_flush();
        panel_eject(0);
    }
    g_message_box_backend = before;
}

TEST_F(DiskPanelChoice, AnEmptyDriveOffersNoNameAndAFullOneItsOwn) {
    DiskPanel panel;
    panel_eject(1);
    panel_choose_image(panel, 1);
    EXPECT_EQ(panel.chooser.name, "") << "not \"no disk\"";
    EXPECT_TRUE(panel.chooser.select_name);
    file_chooser_cancel(panel.chooser);
    panel.chooser_drive = -1;
    const std::string a = image("a.xdf");
    panel_insert_image(a, 1);
    panel_choose_image(panel, 1);
    EXPECT_EQ(panel.chooser.name, "a.xdf");
    EXPECT_EQ(panel.chooser.folder, dir.string());
}

// A ".DIM" chosen in a folder that takes no new file goes in
// write-protected, and the box after the chooser says so. Run as an
// ordinary user, whom the folder's permission bits stop.
TEST_F(DiskPanelChoice, ADiskPutInWriteProtectedIsTold) {
    const std::filesystem::path shut = dir / "shut", tmp = dir / "tmp";
    std::filesystem::create_directories(shut);
    std::filesystem::create_directories(tmp);
    const std::string dim = (shut / "d.dim").string();
    std::ofstream(dim, std::ios::binary) << std::string(256, '\0');  // type 0, a blank disk
    for (const std::filesystem::path& p : {shut, tmp, std::filesystem::path(dim)}) give_to_ordinary_user(p);
    ::chmod(shut.c_str(), 0555);
    const auto choose = [&] {
        ::setenv("TMPDIR", tmp.c_str(), 1);
        g_message_box_backend = record_box;
        g_boxes.clear();
        DiskPanel panel;
        panel.chooser_drive = 2;
        panel_apply_choice(panel, dim, false);
        EXPECT_EQ(g_fd_media[2].name, dim);
        EXPECT_TRUE(g_fd_media[2].media & FD_MEDIA_READ_ONLY);
        panel_tell_refusal(panel);
        EXPECT_EQ(g_boxes, std::vector<std::string>{"FD2: " + dim +
                                                    ": put in drive 2 write-protected: it cannot be written back (its "
                                                    "folder takes no new file in its place: Permission denied)"});
        host_message_box_flush();
        panel_eject(2);
    };
    EXPECT_TRUE(as_ordinary_user(choose));
    ::chmod(shut.c_str(), 0755);
}

}  // namespace
