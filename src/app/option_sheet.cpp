#include "app/option_sheet.h"

#include <cstdio>

#include "app/option_pages_keycode.h"

int g_opt_last_page;

namespace {

bool valid_page(int page) { return page >= 0 && page < OPTION_PAGES; }

// Values out of a control's range are refused with the framework's message.
bool check_ranges(OptionSheet& s) {
    for (const OptionControl& c : OPTION_PAGE_TABLE[s.active].controls) {
        const int v = s.values[c.key];
        if (v < c.lo || v > c.hi) {
            char text[96];
            std::snprintf(text, sizeof text, "Please enter an integer between %d and %d.", c.lo, c.hi);
            s.range_message = text;
            return false;
        }
    }
    s.range_message.clear();
    return true;
}

bool commit_page(OptionSheet& s) {
    const OptionPage& page = OPTION_PAGE_TABLE[s.active];
    if (page.adjust) page.adjust(s);
    if (!check_ranges(s)) return false;
    int old[OPT_KEYS] = {};
    bool changed = false;
    auto store = [&](OptionKey key, bool applies) {
        int* var = s.bind.var[key];
        if (!var) return;
        old[key] = *var;
        changed |= applies && *var != s.values[key];
        *var = s.values[key];
    };
    for (const OptionControl& c : page.controls) store(c.key, c.applies);
    if (s.active == PAGE_SOUND) store(OPT_FMVOL, false);  // the volume slider
    if (page.after_commit(s, old, changed)) s.cancel_is_close = true;
    return true;
}

void close_sheet(OptionSheet& s) {
    opt_keycode_stop();
    s.open = false;
    s.font_chooser.visible = false;
    s.font_busy = false;
}

}  // namespace

void option_sheet_load_page(OptionSheet& s) {
    const OptionPage& page = OPTION_PAGE_TABLE[s.active];
    if (s.active == PAGE_MOUSE_KEYBOARD && page.adjust) page.adjust(s);  // the keyboard type, as on every exchange
    for (int k = 0; k < OPT_KEYS; ++k) s.values[k] = s.bind.var[k] ? *s.bind.var[k] : 0;
    s.font = s.bind.font ? *s.bind.font : std::string();
    s.volume_position = opt_volume_position(s.values[OPT_FMVOL]);
    s.volume_moved = false;
    s.range_message.clear();
}

void option_sheet_open(OptionSheet& s, const OptionBindings& bind, const OptionSystem& sys) {
    s.bind = bind;
    s.sys = sys;
    s.open = true;
    s.popup_opened = false;
    s.cancel_is_close = false;
    s.select_tab = true;
    s.font_busy = false;
    s.active = valid_page(g_opt_last_page) ? g_opt_last_page : PAGE_SCREEN;
    option_sheet_load_page(s);
}

bool option_sheet_select(OptionSheet& s, int page) {
    if (!valid_page(page) || page == s.active) return valid_page(page);
    if (!commit_page(s)) return false;
    if (s.active == PAGE_DEBUG) opt_keycode_stop();  // the page's destruction ends the display
    s.active = page;
    g_opt_last_page = page;
    option_sheet_load_page(s);
    return true;
}

bool option_sheet_ok(OptionSheet& s) {
    opt_keycode_stop();
    if (!commit_page(s)) return false;
    g_opt_last_page = s.active;
    close_sheet(s);
    return true;
}

void option_sheet_cancel(OptionSheet& s) {
    // The library's volume followed the slider: back to the kept setting.
    if (s.volume_moved && option_sound_library_on(s) && s.sys.sound_total_volume)
        s.sys.sound_total_volume(*s.bind.var[OPT_FMVOL]);
    g_opt_last_page = s.active;
    close_sheet(s);
}

void option_sheet_volume_moved(OptionSheet& s, int position) {
    if (position < 0) position = 0;
    if (position > opt_volume_position_max()) position = opt_volume_position_max();
    s.volume_position = position;
    s.values[OPT_FMVOL] = opt_volume_from_position(position);
    s.volume_moved = true;
    if (option_sound_library_on(s) && s.sys.sound_total_volume) s.sys.sound_total_volume(s.values[OPT_FMVOL]);
}

void option_sheet_font_chosen(OptionSheet& s, bool accepted, const std::string& path) {
    s.font_busy = false;
    if (accepted) {
        if (path != s.font) s.font = path;
    } else if (!s.font.empty()) {
        s.font.clear();
    }
}
