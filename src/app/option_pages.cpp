#include "app/option_pages.h"

#include <cmath>
#include <cstdio>

#include "app/option_sheet.h"

namespace {

using enum OptionControlKind;

// Why a control is drawn disabled.
constexpr const char* WHY_VRAM_SIZE = "Set by the program: the picture is always drawn in 16 bits a dot.";
constexpr const char* WHY_VSYNC =
    "No effect here: the picture is never drawn in step with the host's vertical sync. Saved as VSYNC.";
constexpr const char* WHY_WINFD = "No effect here: the host drive never serves the floppy drives. Saved as WINFD.";
constexpr const char* WHY_LONGNAME = "Set in the configuration file (LONGNAME:1).";
constexpr const char* WHY_MOUSE_SCC2 = "Not offered.";
constexpr int FM_SOUND_LIBRARY = 4;
constexpr int FMVOL_ONE = 256;  // the library's volume at gain 1
constexpr int JOY_KEYBOARD = 1, JOY_PAD = 2, JOY_EXT_PAD = 3, JOY_NONE = 0;

const char* const CRT_LABELS[] = {"ノーマル", "X68000サイズ", "拡大しない", "全画面拡大"};
const char* const SPEED_LABELS[] = {"x1", "x2", "x3", "x4", "x8", "x1.5"};
const char* const AUTOSIZE_LABEL[] = {"windowsサイズ可変"};
const char* const FRAME_LABEL[] = {"55f/s"};
const char* const MINCLOCK_LABELS[] = {"10MHz", "5MHz"};
const char* const DDRAW_LABEL[] = {"DirectDraw"};
const char* const VRAM_SIZE_LABEL[] = {"VRAMサイズ (自動)"};
const char* const SEL15BPP_LABEL[] = {"15bpp選択/(16bpp時) ((R)速度に影響します）"};

const OptionControl SCREEN_CONTROLS[] = {
    {OPT_CRT, Radio, CRT_LABELS, 0, 3},
    {OPT_SPEED, Radio, SPEED_LABELS, 0, 6},
    {OPT_AUTOSIZE, Check, AUTOSIZE_LABEL, 0, 1},
    {OPT_FRAME, Check, FRAME_LABEL, 0, 1},
    {OPT_MINCLOCK, Radio, MINCLOCK_LABELS, 0, 1},
    {OPT_DDRAW, Check, DDRAW_LABEL, 0, 1},
    {OPT_VRAM_SIZE, Check, VRAM_SIZE_LABEL, 0, 1, 1, true, WHY_VRAM_SIZE},
    {OPT_SEL15BPP, Check, SEL15BPP_LABEL, 0, 1},
};

const char* const WAV_LABEL[] = {"ADPCMをWAVに割り当てる"};
const char* const PCM8_LABEL[] = {"pcm8"};
const char* const FMSAMPLE_LABELS[] = {"22050", "44100"};
const char* const FM_LABELS[] = {"無し", "OPL3 BLASTER (PCAT/PC98)", "OPL2 BLASTER (PCAT/PC98)",
                                 "PC9801-26/86(YM2203/2608)", "X68Sound"};
const char* const MIDI_LABEL[] = {"midi test"};

const OptionControl SOUND_CONTROLS[] = {
    {OPT_WAV, Check, WAV_LABEL, 0, 1},
    {OPT_FMPCM8, Check, PCM8_LABEL, 0, 1},
    {OPT_FMSAMPLE, Radio, FMSAMPLE_LABELS, 0, 1},
    {OPT_FM, Radio, FM_LABELS, 0, 4},
    {OPT_MIDI, Check, MIDI_LABEL, 0, 1},
};

const char* const VSYNC_LABEL[] = {"VSYNC待ちをしない"};
const char* const PRIORITY_LABEL[] = {"スプライト透過処理"};
const char* const GPRIORITY_LABEL[] = {"グラフィック透過処理"};
const char* const PAL_LABEL[] = {"毎フレームパレット更新"};
const char* const FPU_LABEL[] = {"FLOAT2.Xに内蔵FPUを使う(R)"};
const char* const WINFD_LABEL[] = {"WinDrvにFDを割り当てない(R)"};
const char* const WARNVIRUS_LABEL[] = {"ウイルスの疑いを警告する"};
const char* const LONGNAME_LABEL[] = {"windrvでlong file名を使う"};
const char* const EJECT_LABEL[] = {"Soft Eject有効"};
const char* const FDNUM_LABEL[] = {"フロッピー４ドライブ(R)"};
const char* const BACKG_LABEL[] = {"バックグラウンド動作"};

const OptionControl OTHER_CONTROLS[] = {
    {OPT_VSYNC, Check, VSYNC_LABEL, 0, 1, 1, true, WHY_VSYNC},
    {OPT_PRIORITY, Check, PRIORITY_LABEL, 0, 1},
    {OPT_GPRIORITY, Check, GPRIORITY_LABEL, 0, 1},
    {OPT_PAL, Check, PAL_LABEL, 0, 1, 0, false},
    {OPT_FPU, Check, FPU_LABEL, 0, 1},
    {OPT_WINFD, Check, WINFD_LABEL, 0, 1, 1, true, WHY_WINFD},
    {OPT_WARNVIRUS, Check, WARNVIRUS_LABEL, 0, 1, 0, false},
    {OPT_LONGNAME, Check, LONGNAME_LABEL, 0, 1, 1, false, WHY_LONGNAME},
    {OPT_EJECT, Check, EJECT_LABEL, 0, 1},
    {OPT_FDNUM, Check, FDNUM_LABEL, 0, 1},
    {OPT_BACKG, Check, BACKG_LABEL, 0, 1},
};

const char* const JOY0_LABELS[] = {"使用しない", "ｷｰﾎﾞｰﾄﾞｶｰｿﾙ +ZX", "2-4ボタンPAD1", "2-10ボタン拡張PAD1",
                                   "PC98 stick 1"};
const char* const JOY1_LABELS[] = {"使用しない", "ｷｰﾎﾞｰﾄﾞｶｰｿﾙ +ZX", "2-4ボタンPAD2", "2-10ボタン拡張PAD2",
                                   "PC98 stick 2"};
const char* const JOYOUT_LABELS[] = {"標準 ２ボタン",
                                     "標準 ３ボタン C=A+B",
                                     "標準 ４ボタン C=L+R X=U+D",
                                     "拡張 ４ボタン AB/CX バンク",
                                     "拡張 8ボタン　ABCXYZSM",
                                     "CUSTOM"};

const OptionControl STICK_CONTROLS[] = {
    {OPT_JOY0, Radio, JOY0_LABELS, 0, 4},
    {OPT_JOY1, Radio, JOY1_LABELS, 0, 4},
    {OPT_JOYOUT, Radio, JOYOUT_LABELS, 0, 5},
};

const char* const KEY_LABEL[] = {"キー割り込みem. (R)(JIS key配列)"};
const char* const IME_LABEL[] = {"IME,F10,ALTを無効化する"};
const char* const MOUSE_LABELS[] = {"マウスem iocs (R)", "マウスem SCC割り込み(R)", "マウスem SCC 2"};

const OptionControl MOUSE_KEYBOARD_CONTROLS[] = {
    {OPT_KEY, Check, KEY_LABEL, 0, 1},
    {OPT_IME, Check, IME_LABEL, 0, 1},
    {OPT_MOUSE, Radio, MOUSE_LABELS, 0, 1, 1u << 2, true, WHY_MOUSE_SCC2},
};

const char* const TEXT_OFF[] = {"text off"};
const char* const GRAPH0_OFF[] = {"graph 0 off"};
const char* const GRAPH1_OFF[] = {"graph 1 off"};
const char* const GRAPH2_OFF[] = {"graph 2 off"};
const char* const GRAPH3_OFF[] = {"graph 3 off"};
const char* const SPRITE_OFF[] = {"sprite off"};
const char* const BG0_OFF[] = {"spr bg0 off"};
const char* const BG1_OFF[] = {"spr bg1 off"};
const char* const PERFORM_LABEL[] = {"Pentium TSC"};

const OptionControl DEBUG_CONTROLS[] = {
    {OPT_LAYER_TEXT, Check, TEXT_OFF, 0, 1},     {OPT_LAYER_GRAPH0, Check, GRAPH0_OFF, 0, 1},
    {OPT_LAYER_GRAPH1, Check, GRAPH1_OFF, 0, 1}, {OPT_LAYER_GRAPH2, Check, GRAPH2_OFF, 0, 1},
    {OPT_LAYER_GRAPH3, Check, GRAPH3_OFF, 0, 1}, {OPT_LAYER_SPRITE, Check, SPRITE_OFF, 0, 1},
    {OPT_LAYER_BG0, Check, BG0_OFF, 0, 1},       {OPT_LAYER_BG1, Check, BG1_OFF, 0, 1},
    {OPT_PERFORM, Check, PERFORM_LABEL, 0, 1},
};

void call(const std::function<void()>& f) {
    if (f) f();
}

bool screen_commit(OptionSheet& s, const int* old, bool changed) {
    if (old[OPT_AUTOSIZE] != s.values[OPT_AUTOSIZE]) call(s.sys.relayout);
    if (old[OPT_DDRAW] != s.values[OPT_DDRAW]) call(s.sys.ddraw_setup);
    if (s.bind.font && *s.bind.font != s.font) {
        *s.bind.font = s.font;
        const bool loaded = !s.font.empty() && s.sys.load_font_rom && s.sys.load_font_rom();
        if (!loaded && s.sys.load_roms) s.sys.load_roms();
    }
    if (changed) call(s.sys.apply_settings);
    return changed;
}

void sound_adjust(OptionSheet& s) {
    if (s.sys.wave_device_count && s.sys.wave_device_count() == 0) s.values[OPT_WAV] = 0;
}

bool sound_commit(OptionSheet& s, const int*, bool changed) {
    if (!changed) return false;
    call(s.sys.midi_check_devices);
    if (s.sys.fmcard_select) s.sys.fmcard_select(s.values[OPT_FM]);
    return true;
}

bool other_commit(OptionSheet& s, const int* old, bool changed) {
    if (old[OPT_WARNVIRUS] == 0 && s.values[OPT_WARNVIRUS] != 0) call(s.sys.virus_warnings_back);
    return changed;
}

void stick_adjust(OptionSheet& s) {
    if (!s.sys.joystick_count || s.sys.joystick_count() != 0) return;
    auto is_pad = [](int v) { return v == JOY_PAD || v == JOY_EXT_PAD; };
    if (is_pad(s.values[OPT_JOY0])) s.values[OPT_JOY0] = JOY_KEYBOARD;
    if (is_pad(s.values[OPT_JOY1])) s.values[OPT_JOY1] = JOY_NONE;
}

bool stick_commit(OptionSheet& s, const int*, bool changed) {
    if (changed) call(s.sys.joy_probe_fm_port);
    return changed;
}

void debug_adjust(OptionSheet& s) {
    if (!s.sys.has_perf_counter || !s.sys.has_perf_counter()) s.values[OPT_PERFORM] = 0;
}

void mouse_keyboard_adjust(OptionSheet& s) { call(s.sys.kbd_detect_type); }

bool changed_closes(OptionSheet&, const int*, bool changed) { return changed; }

}  // namespace

const OptionPage OPTION_PAGE_TABLE[OPTION_PAGES] = {
    {"画面", SCREEN_CONTROLS, nullptr, screen_commit},
    {"サウンド", SOUND_CONTROLS, sound_adjust, sound_commit},
    {"その他", OTHER_CONTROLS, nullptr, other_commit},
    {"STICK", STICK_CONTROLS, stick_adjust, stick_commit},
    {"マウス/キーボード", MOUSE_KEYBOARD_CONTROLS, mouse_keyboard_adjust, changed_closes},
    {"DEBUG", DEBUG_CONTROLS, debug_adjust, changed_closes},
};

int opt_volume_position_max() { return static_cast<int>(std::log(65536.0) * 1000); }

int opt_volume_position(int fmvol) {
    return fmvol <= 1 ? 0 : static_cast<int>(std::log(static_cast<double>(fmvol)) * 1000);
}

int opt_volume_from_position(int position) { return static_cast<int>(std::exp(position / 1000.0)); }

std::string opt_volume_text(int fmvol) {
    char text[32];
    std::snprintf(text, sizeof text, "%d (x%.2f)", fmvol, fmvol / double(FMVOL_ONE));
    return text;
}

bool option_sound_library_on(const OptionSheet& s) {
    return s.bind.var[OPT_FM] && *s.bind.var[OPT_FM] == FM_SOUND_LIBRARY;
}
