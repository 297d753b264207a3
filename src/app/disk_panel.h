// The disk panel: drive buttons with the images' names, EJECT buttons and
// lamps, access LEDs, the keyboard and status LEDs, and "power". Drawn into
// its own top-level window; the window's caption is the statistics title.
#pragma once

#include <functional>
#include <string>

#include "app/file_chooser.h"
#include "storage/drive_slots.h"

enum PanelLed : int { LED_OFF = 0, LED_GREEN = 1, LED_RED = 2 };
inline constexpr int PANEL_KEY_LEDS = 7;
inline constexpr const char* PANEL_KEY_LED_LABELS[PANEL_KEY_LEDS] = {"かな", "ローマ字", "コード", "CAPS",
                                                                     "INS",  "ひらがな", "全角"};
inline constexpr const char* PANEL_CAPTION = "X68000";

// What the LEDs show, made by panel_update_leds.
struct PanelLeds {
    PanelLed key[PANEL_KEY_LEDS] = {};
    PanelLed drive[FD_DRIVES] = {};
    PanelLed eject[FD_DRIVES] = {};
    PanelLed hard_disk = LED_OFF;
    PanelLed high_res = LED_OFF, timer = LED_OFF, power = LED_OFF;
    bool valid = false;  // false before the machine has main RAM
};

struct DiskPanel {
    std::string title = PANEL_CAPTION;  // the window's caption
    PanelLeds leds;
    bool open = false;
    int chooser_drive = -1;  // drive whose file chooser is open
    FileChooser chooser;
    // Called when "power" is pressed (app_on_power); empty: nothing.
    std::function<void()> on_power;
    // Gives the keyboard focus back to the main window; empty: nothing.
    std::function<void()> focus_main;
    // Why the chosen image was refused or went in write-protected, told
    // after the frame (panel_tell_refusal).
    std::string refusal, refusal_caption;
    // Takes the devices' notice (panel_take_notice): set by panel_attach_slots.
    bool attached = false;
};
extern DiskPanel g_panel_dlg;

// Sets every LED from the machine state and the slots; access LEDs above 1
// count down, and a red or blinking LED re-arms the refresh countdown
// (g_ui_notice.panel_refresh_countdown).
void panel_update_leds(PanelLeds& leds);
// Refresh of the panel (names are drawn from the slots each frame): the LEDs.
void panel_refresh(DiskPanel& panel);
// The title of the statistics update.
void panel_set_title(DiskPanel& panel, std::string title);
// Opens the file chooser for a drive (the drive buttons); while one is open
// it only gives the focus back.
void panel_choose_image(DiskPanel& panel, int drive);
// Applies the chooser's answer for its drive: the same file again only sets
// the write protection; another is inserted. One that cannot be changes
// nothing, and panel.refusal says why; one put in write-protected says so
// there too.
void panel_apply_choice(DiskPanel& panel, const std::string& path, bool read_only);
// Shows a refusal in a message box and forgets it (outside any frame: the
// box runs a loop of its own).
void panel_tell_refusal(DiskPanel& panel);
// Makes insert and eject refresh this panel and give the focus back, and a
// lit access LED refresh it, through panel_take_notice; what the notice held
// before is dropped. The first frame of an open panel does it too.
void panel_attach_slots(DiskPanel& panel);
// Takes the notice's changed media and lit LED (g_ui_notice): an attached
// panel is refreshed, and after an insert or an eject gives the focus back.
// Answers whether it was refreshed.
bool panel_take_notice(DiskPanel& panel);
// At exit: closed, detached, the temporary images deleted.
void panel_close(DiskPanel& panel);

// Draws the panel into the current ImGui context (a whole-window pane).
void disk_panel_draw(DiskPanel& panel);
// A drive button's text for the slot's name: "no disk" for an empty name,
// and a name wider than width (in the current font) cut at its start to
// "..." and the end that fits, so the file's own name shows.
std::string panel_drive_label(const std::string& name, float width);
