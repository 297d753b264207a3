// The option sheet "ZOLM設定": six pages, each editing a copy of its
// settings; a page's copy is committed when another page is chosen or on
// OK; Cancel drops the open page's edits (pages committed before stay).
#pragma once

#include <string>

#include "app/file_chooser.h"
#include "app/option_pages.h"

inline constexpr const char* OPTION_SHEET_TITLE = "ZOLM設定";
extern int g_opt_last_page;  // the tab the sheet reopens on

struct OptionSheet {
    OptionBindings bind;
    OptionSystem sys;
    bool open = false;
    bool popup_opened = false;
    int active = PAGE_SCREEN;
    int values[OPT_KEYS] = {};  // the copy of the active page's settings
    std::string font;           // the copy of FONT (screen page)
    bool cancel_is_close = false;
    bool select_tab = true;  // the tab bar is to show `active` (opening, a refused change)
    // Sound page: the volume slider.
    int volume_position = 0;
    bool volume_moved = false;
    // Screen page: the font file chooser.
    FileChooser font_chooser;
    bool font_busy = false;
    std::string range_message;  // the refusal of a value out of range
};

// Opens on g_opt_last_page with the program's settings and calls.
void option_sheet_open(OptionSheet& sheet);
// The same with other settings and calls (tests).
void option_sheet_open(OptionSheet& sheet, const OptionBindings& bind, const OptionSystem& sys);
// Commits the active page and opens page; false (staying) when a value is
// out of its range.
bool option_sheet_select(OptionSheet& sheet, int page);
// Commits the active page and closes; false (staying open) when refused.
bool option_sheet_ok(OptionSheet& sheet);
// Drops the active page's edits and closes.
void option_sheet_cancel(OptionSheet& sheet);
// Reads the active page's settings into its copy (the controls' data).
void option_sheet_load_page(OptionSheet& sheet);
// Volume slider moved (sound page).
void option_sheet_volume_moved(OptionSheet& sheet, int position);
// The font button's chooser closed: accepted with path, or cancelled.
void option_sheet_font_chosen(OptionSheet& sheet, bool accepted, const std::string& path);

// The sound library runs (FM 4): its volume follows the slider.
bool option_sound_library_on(const OptionSheet& sheet);

// Draws the sheet as a modal in the current ImGui context; answers false
// once it is closed.
bool option_sheet_draw(OptionSheet& sheet);
