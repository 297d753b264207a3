#include "app/config_keys.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "app/config.h"
#include "app/settings_apply.h"
#include "input/joystick.h"
#include "sound/fm_card.h"
#include "sound/midi.h"
#include "sound/sndlib.h"
#include "storage/drive_slots.h"
#include "storage/virus_warning.h"
#include "video/frame_buffer.h"
#include "video/palette.h"
#include "video/render_graphic.h"
#include "video/render_sprite_text.h"
#include "video/video_state.h"

namespace {

constexpr char EXT_DEFAULT[] =
    "ZOLM (*.xdf;*.DIM;*.2HD;*.DUP;*.HDM)|*.xd*;*.2HD;*.DUP;*.DIM;*.HDM|ZOLM All Files (*.*)|*.*||";
constexpr char WINFONT_DEFAULT[] = "ＭＳ ゴシック";
constexpr double FMREV_DEFAULT = 1.0;

CfgKey text(const char* name, std::string* value, const char* def = "") {
    CfgKey k{name, CfgKind::Text};
    k.text = value;
    k.default_text = def;
    return k;
}
CfgKey number(const char* name, int32_t* value, int32_t def, int32_t min = INT32_MIN, int32_t max = INT32_MAX) {
    CfgKey k{name, CfgKind::Integer};
    k.integer = value;
    k.default_value = def;
    k.min = min;
    k.max = max;
    return k;
}
CfgKey fm_rev(const char* name, double* value) {
    CfgKey k{name, CfgKind::FmRev};
    k.real = value;
    return k;
}

// The drive slots' names are FD0-FD3; the slot reset, not the defaults,
// gives them their first value.
const CfgKey KEYS[] = {
    text("FD0", &g_fd_media[0].name),
    text("FD1", &g_fd_media[1].name),
    text("FD2", &g_fd_media[2].name),
    text("FD3", &g_fd_media[3].name),
    text("EXT", &g_cfg_ext, EXT_DEFAULT),
    number("FDNUM", &g_cfg_fdnum, 0),
    number("SPEED", &g_cfg_speed, 2, 0, SPEED_SETTINGS - 1),
    number("CRT", &g_video_host.g_cfg_crt, 2, 0, 3),
    number("FRAME", &g_cfg_frame, 1),
    number("MINCLOCK", &g_cfg_minclock, 1),
    number("AUTOSIZE", &g_cfg_autosize, 0),
    number("SEL15BPP", &g_video_host.g_cfg_sel15bpp, 0),
    number("BPPREG", &g_video_host.g_cfg_bppreg, -1),
    number("DDRAW", &g_cfg_ddraw, 0),
    number("JOY0", &g_cfg_joy0, 0, 0, 4),
    number("JOY1", &g_cfg_joy1, 0, 0, 4),
    number("JOYOUT", &g_cfg_joyout, 0, 0, JOY_PAD_TABLES - 1),
    number("FPU", &g_cfg_fpu, 0),
    number("PAL", &g_cfg_pal, 1),
    number("PRIORITY", &g_cfg_priority, 1),
    number("VSYNC", &g_cfg_vsync, 0),
    number("WARNVIRUS", &g_cfg_warnvirus, 1),
    number("PERFORM", &g_cfg_perform, 0),
    number("VRAM_SIZE", &g_cfg_vram_size, 0),
    number("GPRIORITY", &g_cfg_gpriority, 1),
    number("BACKG", &g_cfg_backg, 1),
    number("EJECT", &g_cfg_eject, 1),
    number("MOUSE", &g_cfg_mouse, 1, 0, 2),
    number("KEY", &g_cfg_key, 0),
    number("IME", &g_cfg_ime, 0),
    number("WAV", &g_cfg_wav, 1),
    number("MIDI", &g_cfg_midi, 1),
    number("FM", &g_fmcard.fm, 0, 0, FM_EXTERNAL_LIBRARY),
    number("FMWAIT1", &g_fmcard.fmwait1, 1),
    number("FMWAIT2", &g_fmcard.fmwait2, 2),
    number("FMSAMPLE", &g_fmcard.fmsample, 1, 0, 1),
    number("FMOPM", &g_fmcard.fmopm, 1),
    number("FMADPCM", &g_fmcard.fmadpcm, 1),
    number("FMBETW", &g_fmcard.fmbetw, 5),
    number("FMPCMBUF", &g_fmcard.fmpcmbuf, 5),
    number("FMLATE", &g_fmcard.fmlate, 200),
    fm_rev("FMREV", &g_fmcard.fmrev),
    number("FMPCM8", &g_fmcard.fmpcm8, 1),
    number("FMVOL", &g_fmcard.fmvol, 256, 1, 65535),
    number("WINFD", &g_cfg_winfd, 0),
    text("FONT", &g_cfg_font),
    text("WINFONT", &g_cfg_winfont, WINFONT_DEFAULT),
    number("LONGNAME", &g_cfg_longname, 1),
    number("NMIDEBUG", &g_cfg_nmidebug, 1),
};

bool is_slot_name(const CfgKey& key) {
    for (const FdMedia& slot : g_fd_media)
        if (key.text == &slot.name) return true;
    return false;
}

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// A decimal number of 32 bits, white space around it allowed.
bool parse_int32(std::string_view value, int64_t min, int64_t max, int32_t& out) {
    while (!value.empty() && is_space(value.back())) value.remove_suffix(1);
    while (!value.empty() && is_space(value.front())) value.remove_prefix(1);
    if (value.empty() || value.size() > 32) return false;
    char digits[33];
    std::memcpy(digits, value.data(), value.size());
    digits[value.size()] = '\0';
    if (digits[0] != '-' && digits[0] != '+' && (digits[0] < '0' || digits[0] > '9')) return false;
    errno = 0;
    char* end = nullptr;
    long long n = std::strtoll(digits, &end, 10);
    if (errno == ERANGE || end != digits + value.size() || n < min || n > max) return false;
    out = int32_t(n);
    return true;
}

// The low 32 bits of the double's bit pattern.
uint32_t low_bits(double d) {
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    return uint32_t(bits);
}
double with_low_bits(double d, uint32_t low) {
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    bits = (bits & 0xFFFFFFFF00000000ull) | low;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

} // namespace

std::span<const CfgKey> cfg_keys() { return KEYS; }

const CfgKey* cfg_find_key(std::string_view name) {
    for (const CfgKey& k : KEYS)
        if (name == k.name) return &k;
    return nullptr;
}

void cfg_set_defaults() {
    for (const CfgKey& k : KEYS) {
        switch (k.kind) {
        case CfgKind::Text:
            if (!is_slot_name(k)) *k.text = k.default_text;
            break;
        case CfgKind::Integer: *k.integer = k.default_value; break;
        case CfgKind::FmRev: *k.real = FMREV_DEFAULT; break;
        }
    }
    for (int32_t& off : g_video_host.layer_off) off = 0;
    g_video_host.g_ddraw_active = 0;
    g_fmcard.adpcm_calls_set = 0;
    g_virus_warn_off = 0;
}

bool cfg_value_valid(const CfgKey& key, std::string_view value) {
    int32_t n;
    switch (key.kind) {
    case CfgKind::Text: return true;
    case CfgKind::Integer: return parse_int32(value, key.min, key.max, n);
    case CfgKind::FmRev: return parse_int32(value, INT32_MIN, INT32_MAX, n);
    }
    return false;
}

bool cfg_set_value(const CfgKey& key, std::string_view value) {
    int32_t n;
    switch (key.kind) {
    case CfgKind::Text:
        // A value ends at a line end: "A:x\r" at the end of a file reads as x.
        *key.text = value.substr(0, value.find_first_of("\r\n"));
        return true;
    case CfgKind::Integer:
        if (!parse_int32(value, key.min, key.max, n)) return false;
        *key.integer = n;
        return true;
    case CfgKind::FmRev:
        if (!parse_int32(value, INT32_MIN, INT32_MAX, n)) return false;
        *key.real = with_low_bits(*key.real, uint32_t(n));
        return true;
    }
    return false;
}

std::string cfg_format_value(const CfgKey& key) {
    switch (key.kind) {
    case CfgKind::Text: return *key.text;
    case CfgKind::Integer: return std::to_string(*key.integer);
    case CfgKind::FmRev: return std::to_string(int32_t(low_bits(*key.real)));
    }
    return {};
}
