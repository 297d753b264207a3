// What the devices tell the interface between run slices, and the one thing
// the interface tells them: whether its main window has the focus. Devices
// write the notice fields and the interface takes them after every slice;
// the interface writes has_focus at every pass and devices read it.
#pragma once

#include <cstdint>

struct UiNotice {
    // Slices until the disk panel's next refresh; 0 when none is due. Set by
    // a KEY-LED scan code, by the IOCS LED call, by "power" and by the
    // panel's own blinking LEDs; counted down by the run loop.
    int panel_refresh_countdown = 0;
    // One bit per floppy drive (ui_notice_drive_bit) whose medium was
    // inserted or ejected since the interface last took the notice: the
    // panel is refreshed and the focus goes back to the main window.
    uint32_t media_changed = 0;
    // A disk access lit an idle access LED: the panel's LEDs are refreshed
    // at once.
    bool access_lit = false;
    // The main window had the focus at the last pass; a window-less run
    // counts as focused.
    int has_focus = 0;
};
extern UiNotice g_ui_notice;

inline constexpr uint32_t ui_notice_drive_bit(int drive) { return uint32_t(1) << drive; }
