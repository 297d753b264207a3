// The six pages of the option sheet: their controls, the settings they
// exchange, and what a commit of each brings about.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

// The settings the pages exchange, by key.
enum OptionKey : int {
    // clang-format off
    OPT_CRT, OPT_SPEED, OPT_AUTOSIZE, OPT_FRAME, OPT_MINCLOCK, OPT_DDRAW, OPT_VRAM_SIZE, OPT_SEL15BPP,
    OPT_WAV, OPT_FMPCM8, OPT_FMSAMPLE, OPT_FM, OPT_MIDI, OPT_FMVOL,
    OPT_VSYNC, OPT_PRIORITY, OPT_GPRIORITY, OPT_PAL, OPT_FPU, OPT_WINFD, OPT_WARNVIRUS,
    OPT_LONGNAME, OPT_EJECT, OPT_FDNUM, OPT_BACKG,
    OPT_JOY0, OPT_JOY1, OPT_JOYOUT,
    OPT_LAYER_TEXT, OPT_LAYER_SPRITE, OPT_LAYER_BG0, OPT_LAYER_BG1,
    OPT_LAYER_GRAPH0, OPT_LAYER_GRAPH1, OPT_LAYER_GRAPH2, OPT_LAYER_GRAPH3, OPT_PERFORM,
    OPT_KEY, OPT_IME, OPT_MOUSE,
    // clang-format on
    OPT_KEYS
};

// Where each setting lives; option_bind_globals gives the program's own.
struct OptionBindings {
    int* var[OPT_KEYS] = {};
    std::string* font = nullptr;
};
OptionBindings option_bind_globals();

// What a commit sets off in the running system. option_system_defaults
// gives the program's own calls; tests put recorders in their place.
struct OptionSystem {
    std::function<void()> apply_settings;  // opt_apply_settings
    std::function<void()> ddraw_setup;
    std::function<void()> midi_check_devices;
    std::function<void(int)> fmcard_select;  // with FM
    std::function<void()> joy_probe_fm_port;
    std::function<void()> kbd_detect_type;
    std::function<int()> joystick_count;     // host joystick devices
    std::function<int()> wave_device_count;  // ADPCM player's wave outputs
    std::function<bool()> has_perf_counter;
    std::function<void(int)> sound_total_volume;  // the sound library's volume
    std::function<int()> load_font_rom;           // 1 when FONT replaced the CG ROM
    std::function<int()> load_roms;
    std::function<void()> relayout;             // g_relayout_request := 1
    std::function<void()> virus_warnings_back;  // g_virus_warn_off := 0
};
OptionSystem option_system_defaults();

enum class OptionControlKind { Check, Radio };

struct OptionControl {
    OptionKey key;
    OptionControlKind kind;
    std::span<const char* const> labels;  // a check box has one
    int lo, hi;                           // the accepted range
    uint32_t disabled = 0;                // bit per button (bit 0 for a check box)
    bool applies = true;                  // a change turns Cancel into Close
    const char* why_disabled = nullptr;   // the disabled buttons' tooltip
};

enum OptionPageId : int {
    PAGE_SCREEN = 0,
    PAGE_SOUND,
    PAGE_OTHER,
    PAGE_STICK,
    PAGE_MOUSE_KEYBOARD,
    PAGE_DEBUG,
    OPTION_PAGES
};

struct OptionSheet;
struct OptionPage {
    const char* caption;
    std::span<const OptionControl> controls;
    // Runs on the values read from the controls before they are stored
    // (fall-backs for missing devices); may be null.
    void (*adjust)(OptionSheet& sheet);
    // Runs after the values were stored; old holds those before, changed
    // tells whether a control that applies changed. Answers true when the
    // change turns Cancel into Close.
    bool (*after_commit)(OptionSheet& sheet, const int* old, bool changed);
};
// In tab order: "画面", "サウンド", "その他", "STICK", "マウス/キーボード", "DEBUG".
extern const OptionPage OPTION_PAGE_TABLE[OPTION_PAGES];

// Volume slider: 0 .. ln(65536) x 1000.
int opt_volume_position_max();
int opt_volume_position(int fmvol);
int opt_volume_from_position(int position);
// The slider's text: FMVOL and its gain ("256 (x1.00)").
std::string opt_volume_text(int fmvol);
