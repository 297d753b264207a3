#include "app/disk_panel.h"

#include <string>

#include "host/message_box.h"
#include "machine/machine.h"
#include "machine/mfp.h"
#include "machine/rtc.h"
#include "machine/settings.h"
#include "machine/ui_notice.h"
#include "video/crtc.h"

DiskPanel g_panel_dlg;

namespace {

constexpr uint32_t IOCS_KEY_LED_WORK = 0x810;  // the IOCS keyboard LED byte
constexpr uint8_t GPIP_POWER_SWITCH = 0x04;    // GPIP bit 2
constexpr int RTC_BANK1_CLOCK_SELECT = 1;      // bank 1 register 0 (odd indexes)
constexpr uint32_t BLINK_EMPTY_BIT = 0x20;     // frame counter bit 5
constexpr uint32_t BLINK_POWER_BIT = 0x10;     // frame counter bit 4
constexpr int ACCESS_REFRESH_SLICES = 2;
constexpr int EMPTY_BLINK_REFRESH_SLICES = 32;
constexpr int POWER_BLINK_REFRESH_SLICES = 16;
constexpr const char* DRIVE_CHOOSER_EXT = "XDF";

void arm_refresh(int slices, bool only_when_idle) {
    int& countdown = g_ui_notice.panel_refresh_countdown;
    if (!only_when_idle || countdown == 0) countdown = slices;
}

// Red while an access counts down (one step per refresh).
PanelLed access_led(FdMedia& slot) {
    if (slot.state == FD_STATE_INSERTED) return LED_GREEN;
    if (slot.state > FD_STATE_INSERTED) {
        --slot.state;
        arm_refresh(ACCESS_REFRESH_SLICES, false);
        return LED_RED;
    }
    return LED_OFF;
}

void focus_main(DiskPanel& panel) {
    if (panel.focus_main) panel.focus_main();
}

std::string drive_title(int drive) { return "FD" + std::to_string(drive); }

}  // namespace

void panel_update_leds(PanelLeds& leds) {
    leds.valid = g_machine.main_ram != nullptr;
    if (!leds.valid) return;
    const uint8_t key_leds =
        g_settings.key ? g_mfp.regs[MFP_KEY_LED]
                       : (g_machine.main_ram_size > IOCS_KEY_LED_WORK ? g_machine.main_ram[IOCS_KEY_LED_WORK] : 0);
    for (int n = 0; n < PANEL_KEY_LEDS; ++n) leds.key[n] = (key_leds >> n) & 1 ? LED_GREEN : LED_OFF;

    for (int d = 0; d < FD_DRIVES; ++d) {
        FdMedia& slot = g_fd_media[d];
        leds.drive[d] = access_led(slot);
        if (slot.state == FD_STATE_EMPTY && (slot.flags & FD_FLAG_BLINK_EMPTY)) {
            arm_refresh(EMPTY_BLINK_REFRESH_SLICES, true);
            leds.drive[d] = (g_machine.frame.frame_counter & BLINK_EMPTY_BIT) ? LED_GREEN : LED_OFF;
        }
        leds.eject[d] = (slot.state != FD_STATE_EMPTY && !(slot.flags & FD_FLAG_EJECT_INHIBIT)) ? LED_GREEN : LED_OFF;
    }

    leds.high_res = (g_crtc.regs[CRTC_MODE] & CRTC_MODE_HIGH_RES) ? LED_RED : LED_GREEN;
    leds.timer = g_rtc.regs[RTC_BANK1_CLOCK_SELECT] == 0 ? LED_GREEN : LED_OFF;
    leds.power = LED_GREEN;
    if (g_mfp.regs[MFP_GPIP] & GPIP_POWER_SWITCH) {
        arm_refresh(POWER_BLINK_REFRESH_SLICES, true);
        if (g_machine.frame.frame_counter & BLINK_POWER_BIT) leds.power = LED_OFF;
    }
    leds.hard_disk = access_led(g_hd_media);
}

void panel_refresh(DiskPanel& panel) { panel_update_leds(panel.leds); }

void panel_set_title(DiskPanel& panel, std::string title) { panel.title = std::move(title); }

void panel_choose_image(DiskPanel& panel, int drive) {
    if (drive < 0 || drive >= FD_DRIVES) return;
    if (panel.chooser_drive >= 0) {
        focus_main(panel);
        return;
    }
    panel.chooser_drive = drive;
    // An empty drive offers no name to start from.
    const std::string& name = g_fd_media[drive].name;
    file_chooser_open(panel.chooser, drive_title(drive), name == FD_NO_DISK ? std::string() : name, g_settings.ext,
                      DRIVE_CHOOSER_EXT, true);
}

void panel_apply_choice(DiskPanel& panel, const std::string& path, bool read_only) {
    const int drive = panel.chooser_drive;
    panel.chooser_drive = -1;
    if (drive < 0) return;
    FdMedia& slot = g_fd_media[drive];
    const int32_t protect = slot.flags & FD_FLAG_WRITE_PROTECT;
    slot.flags &= ~FD_FLAG_WRITE_PROTECT;
    if (path != slot.name) {
        // A refused image changes nothing: the disk that was in stays.
        const std::string why = panel_replace_image(path, drive);
        if (!why.empty()) {
            slot.flags |= protect;
            panel.refusal = panel_refusal_text(path, drive, why);
            panel.refusal_caption = drive_title(drive);
            focus_main(panel);
            return;
        }
        // A disk put in write-protected is told as a refusal is.
        panel.refusal = panel_take_insert_notice();
        if (!panel.refusal.empty()) panel.refusal_caption = drive_title(drive);
    }
    if (read_only) slot.flags |= FD_FLAG_WRITE_PROTECT;
    panel_take_notice(panel);
    focus_main(panel);
}

void panel_tell_refusal(DiskPanel& panel) {
    if (panel.refusal.empty()) return;
    const std::string text = std::move(panel.refusal), caption = std::move(panel.refusal_caption);
    panel.refusal.clear();
    panel.refusal_caption.clear();
    host_message_box(text.c_str(), caption.c_str(), MB_WARNING);
}

void panel_attach_slots(DiskPanel& panel) {
    panel.attached = true;
    g_ui_notice.media_changed = 0;
    g_ui_notice.access_lit = false;
}

bool panel_take_notice(DiskPanel& panel) {
    const bool media_changed = g_ui_notice.media_changed != 0;
    const bool refresh = media_changed || g_ui_notice.access_lit;
    g_ui_notice.media_changed = 0;
    g_ui_notice.access_lit = false;
    if (!refresh || !panel.attached) return false;
    panel_refresh(panel);
    if (media_changed) focus_main(panel);
    return true;
}

void panel_close(DiskPanel& panel) {
    panel.open = false;
    panel.attached = false;
    panel_close_media();
}
