// Option sheet: pages edit copies, a page commits on a page change or OK
// with its comparisons and side effects; Cancel drops the open page.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/option_pages_keycode.h"
#include "app/option_sheet.h"
#include "host/sdl_events.h"

namespace {

struct Fixture {
    int vars[OPT_KEYS] = {};
    std::string font;
    OptionBindings bind;
    OptionSystem sys;
    std::map<std::string, int> calls;
    std::vector<int> volumes, selected_fm;
    int joysticks = 0, wave_devices = 0, font_loads = 1;

    Fixture() {
        for (int k = 0; k < OPT_KEYS; ++k) bind.var[k] = &vars[k];
        vars[OPT_FMVOL] = 256;
        bind.font = &font;
        auto count = [this](const char* name) { return [this, name] { ++calls[name]; }; };
        sys.apply_settings = count("apply");
        sys.ddraw_setup = count("ddraw");
        sys.midi_check_devices = count("midi");
        sys.fmcard_select = [this](int fm) {
            ++calls["fmcard"];
            selected_fm.push_back(fm);
        };
        sys.joy_probe_fm_port = count("joyprobe");
        sys.kbd_detect_type = count("kbd");
        sys.joystick_count = [this] { return joysticks; };
        sys.wave_device_count = [this] { return wave_devices; };
        sys.has_perf_counter = [] { return true; };
        sys.sound_total_volume = [this](int v) { volumes.push_back(v); };
        sys.load_font_rom = [this] {
            ++calls["fontrom"];
            return font_loads;
        };
        sys.load_roms = [this] {
            ++calls["roms"];
            return 0;
        };
        sys.relayout = count("relayout");
        sys.virus_warnings_back = count("virus");
    }
    OptionSheet open(int page) {
        g_opt_last_page = page;
        OptionSheet s;
        option_sheet_open(s, bind, sys);
        return s;
    }
};

TEST(OptionSheet, EachChangeCommitsWithItsEffects) {
    struct Case {
        int page;
        OptionKey key;
        int from, to;
        int stored;
        bool close;
        std::vector<const char*> effects;
        int joysticks = 0;
        int waves = 1;
    };
    const Case cases[] = {
        {PAGE_SCREEN, OPT_SPEED, 2, 5, 5, true, {"apply"}},
        {PAGE_SCREEN, OPT_AUTOSIZE, 0, 1, 1, true, {"relayout", "apply"}},
        {PAGE_SCREEN, OPT_DDRAW, 0, 1, 1, true, {"ddraw", "apply"}},
        {PAGE_SOUND, OPT_FM, 0, 4, 4, true, {"midi", "fmcard"}},
        {PAGE_SOUND, OPT_WAV, 0, 1, 0, false, {}, 0, 0},  // no wave output: WAV stays 0
        {PAGE_OTHER, OPT_PAL, 0, 1, 1, false, {}},
        {PAGE_OTHER, OPT_VSYNC, 0, 1, 1, true, {}},
        {PAGE_OTHER, OPT_WARNVIRUS, 0, 1, 1, false, {"virus"}},
        {PAGE_STICK, OPT_JOY0, 0, 2, 1, true, {"joyprobe"}},  // no joystick: keyboard cursor
        {PAGE_STICK, OPT_JOY1, 1, 3, 0, true, {"joyprobe"}},  // no joystick: none
        {PAGE_STICK, OPT_JOY0, 0, 2, 2, true, {"joyprobe"}, 1},
        {PAGE_MOUSE_KEYBOARD, OPT_KEY, 0, 1, 1, true, {"kbd"}},
        {PAGE_DEBUG, OPT_LAYER_GRAPH2, 0, 1, 1, true, {}},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.joysticks = c.joysticks;
        f.wave_devices = c.waves;
        f.vars[c.key] = c.from;
        OptionSheet s = f.open(c.page);
        f.calls.clear();
        s.values[c.key] = c.to;
        EXPECT_EQ(f.vars[c.key], c.from) << "a copy until committed";
        ASSERT_TRUE(option_sheet_ok(s));
        const std::string what = std::string(OPTION_PAGE_TABLE[c.page].caption) + " key " + std::to_string(c.key);
        EXPECT_EQ(f.vars[c.key], c.stored) << what;
        EXPECT_EQ(s.cancel_is_close, c.close) << what;
        std::map<std::string, int> expected;
        for (const char* e : c.effects) ++expected[e];
        f.calls.erase("kbd");
        if (c.page == PAGE_MOUSE_KEYBOARD) expected.erase("kbd");
        EXPECT_EQ(f.calls, expected) << what;
        EXPECT_FALSE(s.open);
    }
}

TEST(OptionSheet, PageChangeCommitsCancelDropsOnlyTheOpenPage) {
    Fixture f;
    OptionSheet s = f.open(PAGE_SCREEN);
    s.values[OPT_CRT] = 3;
    ASSERT_TRUE(option_sheet_select(s, PAGE_OTHER));
    EXPECT_EQ(f.vars[OPT_CRT], 3);
    EXPECT_TRUE(s.cancel_is_close);
    EXPECT_EQ(g_opt_last_page, PAGE_OTHER);
    s.values[OPT_BACKG] = 1;
    option_sheet_cancel(s);
    EXPECT_EQ(f.vars[OPT_BACKG], 0);
    EXPECT_EQ(f.vars[OPT_CRT], 3);

    OptionSheet again;
    option_sheet_open(again, f.bind, f.sys);
    EXPECT_EQ(again.active, PAGE_OTHER) << "reopens on the page last used";
    EXPECT_FALSE(again.cancel_is_close);
}

TEST(OptionSheet, ValueOutOfRangeIsRefusedAndThePageStays) {
    Fixture f;
    f.vars[OPT_SPEED] = 7;  // from the file: no button
    OptionSheet s = f.open(PAGE_SCREEN);
    EXPECT_FALSE(option_sheet_select(s, PAGE_SOUND));
    EXPECT_EQ(s.active, PAGE_SCREEN);
    EXPECT_FALSE(s.range_message.empty());
    EXPECT_FALSE(option_sheet_ok(s));
    EXPECT_TRUE(s.open);
    s.values[OPT_SPEED] = 1;
    EXPECT_TRUE(option_sheet_ok(s));
    EXPECT_EQ(f.vars[OPT_SPEED], 1);
}

TEST(OptionSheet, VolumeSlider) {
    Fixture f;
    f.vars[OPT_FM] = 4;
    OptionSheet s = f.open(PAGE_SOUND);
    EXPECT_EQ(opt_volume_position(256), 5545);
    EXPECT_EQ(s.volume_position, 5545);
    EXPECT_EQ(opt_volume_text(s.values[OPT_FMVOL]), "256 (x1.00)") << "shown before the slider moves";
    option_sheet_volume_moved(s, opt_volume_position_max());
    EXPECT_EQ(opt_volume_position_max(), 11090);
    EXPECT_EQ(s.values[OPT_FMVOL], 65512);
    EXPECT_EQ(opt_volume_text(s.values[OPT_FMVOL]), "65512 (x255.91)");
    option_sheet_volume_moved(s, 0);
    EXPECT_EQ(s.values[OPT_FMVOL], 1);
    EXPECT_EQ(f.volumes, (std::vector<int>{65512, 1})) << "the library follows every move";
    option_sheet_cancel(s);
    EXPECT_EQ(f.vars[OPT_FMVOL], 256);
    EXPECT_EQ(f.volumes.back(), 256) << "back to the kept volume";

    OptionSheet t = f.open(PAGE_SOUND);
    option_sheet_volume_moved(t, 6000);
    ASSERT_TRUE(option_sheet_ok(t));
    EXPECT_EQ(f.vars[OPT_FMVOL], 403);
    EXPECT_FALSE(t.cancel_is_close) << "the volume alone does not close";
}

TEST(OptionSheet, FontFile) {
    Fixture f;
    f.font = "/fonts/a.xfo";
    OptionSheet s = f.open(PAGE_SCREEN);
    option_sheet_font_chosen(s, true, "/fonts/a.xfo");
    ASSERT_TRUE(option_sheet_ok(s));
    EXPECT_EQ(f.calls.count("fontrom") + f.calls.count("roms"), 0u) << "the same file does nothing";

    s = f.open(PAGE_SCREEN);
    f.font_loads = 0;
    option_sheet_font_chosen(s, true, "/fonts/b.xfo");
    ASSERT_TRUE(option_sheet_ok(s));
    EXPECT_EQ(f.font, "/fonts/b.xfo");
    EXPECT_EQ(f.calls["fontrom"], 1);
    EXPECT_EQ(f.calls["roms"], 1) << "a font that does not load: the ROM files again";

    s = f.open(PAGE_SCREEN);
    f.calls.clear();
    option_sheet_font_chosen(s, false, "");
    ASSERT_TRUE(option_sheet_ok(s));
    EXPECT_EQ(f.font, "");
    EXPECT_EQ(f.calls["roms"], 1);
    EXPECT_EQ(f.calls.count("fontrom"), 0u);
}

TEST(OptionSheet, KeycodeDisplayTakesQueuedEvents) {
    opt_keycode_feed({KeycodeEventKind::KeyDown, 0x41});
    EXPECT_FALSE(opt_keycode_take_events()) << "nothing is queued while it does not run";
    opt_keycode_start();
    opt_keycode_feed({KeycodeEventKind::KeyDown, 0x41});
    opt_keycode_feed({KeycodeEventKind::Char, 0x61});
    EXPECT_TRUE(opt_keycode_take_events());
    EXPECT_EQ(g_keycode_text, "scan = (0041) code = (0061)");
    opt_keycode_feed({KeycodeEventKind::Close, 0});
    opt_keycode_feed({KeycodeEventKind::KeyUp, 0x42});
    opt_keycode_take_events();
    EXPECT_FALSE(opt_keycode_running());
    EXPECT_EQ(g_keycode_text, "scan = (0041) code = (0061)");

    Fixture f;
    OptionSheet s = f.open(PAGE_DEBUG);
    opt_keycode_start();
    option_sheet_ok(s);
    EXPECT_FALSE(opt_keycode_running()) << "OK stops the display";
}

TEST(OptionSheet, KeycodeDisplayNotesTheWindowsKeyRecords) {
    // The events a window gets for "a": key down, its text, key up.
    SDL_Event down{}, text{}, up{};
    down.key.type = SDL_KEYDOWN;
    down.key.keysym.scancode = SDL_SCANCODE_A;
    down.key.keysym.sym = SDLK_a;
    up = down;
    up.key.type = SDL_KEYUP;
    text.text.type = SDL_TEXTINPUT;
    text.text.text[0] = 'a';
    opt_keycode_start();
    for (const SDL_Event* e : {&down, &text}) {
        const EventMessages m = sdl_event_messages(*e, 0);
        for (int i = 0; i < m.count; ++i) opt_keycode_filter(m.list[i]);
    }
    opt_keycode_filter({0, WM_MOUSEMOVE, 0, 5});  // not a key: passes
    EXPECT_TRUE(opt_keycode_take_events());
    EXPECT_EQ(g_keycode_text, "scan = (0041) code = (0061)");
    opt_keycode_filter({0, WM_KEYDOWN, 0x0D, 0});
    opt_keycode_take_events();
    EXPECT_EQ(g_keycode_text, "scan = (000D) code = (0061)");
    opt_keycode_stop();
    const EventMessages m = sdl_event_messages(up, 0);
    for (int i = 0; i < m.count; ++i) opt_keycode_filter(m.list[i]);
    EXPECT_FALSE(opt_keycode_take_events()) << "stopped: nothing noted";
}

TEST(OptionPages, EveryControlHasACaptionAndADisabledOneItsReason) {
    for (const OptionPage& page : OPTION_PAGE_TABLE) {
        for (const OptionControl& c : page.controls) {
            SCOPED_TRACE(std::string(page.caption) + " " + std::to_string(c.key));
            for (size_t i = 0; i < c.labels.size(); ++i) {
                const std::string label = c.labels[i];
                EXPECT_FALSE(label.empty() || label.starts_with("##")) << "button " << i << " has no caption";
                if ((c.disabled >> i) & 1) { EXPECT_NE(c.why_disabled, nullptr) << "disabled without a reason"; }
            }
        }
    }
}

}  // namespace
