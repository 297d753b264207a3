// The settings and calls of the running program behind the option pages.
#include "app/disk_panel_perf.h"
#include "app/option_pages.h"
#include "app/option_sheet.h"
#include "app/settings_apply.h"
#include "input/joystick.h"
#include "input/keyboard.h"
#include "machine/rom_files.h"
#include "machine/settings.h"
#include "sound/adpcm_output.h"
#include "sound/fm_card.h"
#include "sound/midi.h"
#include "sound/midi_devices.h"
#include "sound/sndlib_volume.h"
#include "storage/virus_warning.h"
#include "video/frame_buffer.h"
#include "video/palette.h"
#include "video/render_graphic.h"
#include "video/render_sprite_text.h"
#include "video/video_state.h"

namespace {
// g_video_host.layer_off order: text, sprites, BG0, BG1, graphic pages 0-3.
enum LayerIndex { LAYER_TEXT, LAYER_SPRITE, LAYER_BG0, LAYER_BG1, LAYER_GRAPH0 };
}  // namespace

OptionBindings option_bind_globals() {
    OptionBindings b;
    int** v = b.var;
    v[OPT_CRT] = &g_settings.crt;
    v[OPT_SPEED] = &g_settings.speed;
    v[OPT_AUTOSIZE] = &g_settings.autosize;
    v[OPT_FRAME] = &g_settings.frame;
    v[OPT_MINCLOCK] = &g_settings.minclock;
    v[OPT_DDRAW] = &g_settings.ddraw;
    v[OPT_VRAM_SIZE] = &g_settings.vram_size;
    v[OPT_SEL15BPP] = &g_settings.sel15bpp;
    v[OPT_WAV] = &g_settings.wav;
    v[OPT_FMPCM8] = &g_settings.fmpcm8;
    v[OPT_FMSAMPLE] = &g_settings.fmsample;
    v[OPT_FM] = &g_settings.fm;
    v[OPT_MIDI] = &g_settings.midi;
    v[OPT_FMVOL] = &g_settings.fmvol;
    v[OPT_VSYNC] = &g_settings.vsync;
    v[OPT_PRIORITY] = &g_settings.priority;
    v[OPT_GPRIORITY] = &g_settings.gpriority;
    v[OPT_PAL] = &g_settings.pal;
    v[OPT_FPU] = &g_settings.fpu;
    v[OPT_WINFD] = &g_settings.winfd;
    v[OPT_WARNVIRUS] = &g_settings.warnvirus;
    v[OPT_LONGNAME] = &g_settings.longname;
    v[OPT_EJECT] = &g_settings.eject;
    v[OPT_FDNUM] = &g_settings.fdnum;
    v[OPT_BACKG] = &g_settings.backg;
    v[OPT_JOY0] = &g_settings.joy0;
    v[OPT_JOY1] = &g_settings.joy1;
    v[OPT_JOYOUT] = &g_settings.joyout;
    v[OPT_LAYER_TEXT] = &g_video_host.layer_off[LAYER_TEXT];
    v[OPT_LAYER_SPRITE] = &g_video_host.layer_off[LAYER_SPRITE];
    v[OPT_LAYER_BG0] = &g_video_host.layer_off[LAYER_BG0];
    v[OPT_LAYER_BG1] = &g_video_host.layer_off[LAYER_BG1];
    for (int page = 0; page < 4; ++page) v[OPT_LAYER_GRAPH0 + page] = &g_video_host.layer_off[LAYER_GRAPH0 + page];
    v[OPT_PERFORM] = &g_settings.perform;
    v[OPT_KEY] = &g_settings.key;
    v[OPT_IME] = &g_settings.ime;
    v[OPT_MOUSE] = &g_settings.mouse;
    b.font = &g_settings.font;
    return b;
}

OptionSystem option_system_defaults() {
    OptionSystem s;
    s.apply_settings = [] { opt_apply_settings(); };
    s.ddraw_setup = [] { ddraw_setup(); };
    s.midi_check_devices = [] { midi_check_devices(g_settings); };
    s.fmcard_select = [](int fm) {
        fmcard_select(g_fmcard, fm);
        joy_probe_fm_port(g_joystick);  // FM 3's card comes and goes with it
    };
    s.joy_probe_fm_port = [] { joy_probe_fm_port(g_joystick); };
    s.kbd_detect_type = [] { kbd_detect_type(); };
    s.joystick_count = [] { return static_cast<int>(g_joystick.num_devs); };
    s.wave_device_count = [] { return adpcm_wave_device_count(); };
    s.has_perf_counter = [] { return g_perf_watches.present != 0; };
    s.sound_total_volume = [](int volume) { X68Sound_TotalVolume(volume); };
    s.load_font_rom = [] { return init_load_font_rom(); };
    s.load_roms = [] { return init_load_roms(); };
    s.relayout = [] { g_video_host.g_relayout_request = 1; };
    s.virus_warnings_back = [] { g_virus_warn_off = 0; };
    return s;
}

void option_sheet_open(OptionSheet& sheet) {
    option_sheet_open(sheet, option_bind_globals(), option_system_defaults());
}
