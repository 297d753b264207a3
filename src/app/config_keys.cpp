#include "app/config_keys.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "app/settings_apply.h"
#include "input/joystick.h"
#include "machine/settings.h"
#include "sound/fm_card.h"
#include "sound/sndlib.h"
#include "sound/sndlib/sound_lib.h"
#include "storage/drive_slots.h"
#include "storage/virus_warning.h"
#include "video/video_state.h"

namespace {

constexpr char LINE_BREAKS[] = "\r\n";

CfgKey text(const char* name, std::string* value) {
    CfgKey k{name, CfgKind::Text};
    k.text = value;
    return k;
}
CfgKey number(const char* name, int32_t* value, int32_t min = INT32_MIN, int32_t max = INT32_MAX) {
    CfgKey k{name, CfgKind::Integer};
    k.integer = value;
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
// gives them their first value. The others are the fields of g_settings.
const CfgKey KEYS[] = {
    text("FD0", &g_fd_media[0].name),
    text("FD1", &g_fd_media[1].name),
    text("FD2", &g_fd_media[2].name),
    text("FD3", &g_fd_media[3].name),
    text("EXT", &g_settings.ext),
    number("FDNUM", &g_settings.fdnum),
    number("SPEED", &g_settings.speed, 0, SPEED_SETTINGS - 1),
    number("CRT", &g_settings.crt, 0, 3),
    number("FRAME", &g_settings.frame),
    number("MINCLOCK", &g_settings.minclock),
    number("AUTOSIZE", &g_settings.autosize),
    number("SEL15BPP", &g_settings.sel15bpp),
    number("BPPREG", &g_settings.bppreg),
    number("DDRAW", &g_settings.ddraw),
    number("JOY0", &g_settings.joy0, 0, 4),
    number("JOY1", &g_settings.joy1, 0, 4),
    number("JOYOUT", &g_settings.joyout, 0, JOY_PAD_TABLES - 1),
    number("FPU", &g_settings.fpu),
    number("PAL", &g_settings.pal),
    number("PRIORITY", &g_settings.priority),
    number("VSYNC", &g_settings.vsync),
    number("WARNVIRUS", &g_settings.warnvirus),
    number("PERFORM", &g_settings.perform),
    number("VRAM_SIZE", &g_settings.vram_size),
    number("GPRIORITY", &g_settings.gpriority),
    number("BACKG", &g_settings.backg),
    number("EJECT", &g_settings.eject),
    number("MOUSE", &g_settings.mouse, 0, 2),
    number("KEY", &g_settings.key),
    number("IME", &g_settings.ime),
    number("WAV", &g_settings.wav),
    number("MIDI", &g_settings.midi),
    number("FM", &g_settings.fm, 0, FM_EXTERNAL_LIBRARY),
    number("FMWAIT1", &g_settings.fmwait1),
    number("FMWAIT2", &g_settings.fmwait2),
    number("FMSAMPLE", &g_settings.fmsample, 0, 1),
    number("FMOPM", &g_settings.fmopm),
    number("FMADPCM", &g_settings.fmadpcm),
    number("FMBETW", &g_settings.fmbetw, sndlib::BETW_MS_MIN, sndlib::BETW_MS_MAX),
    number("FMPCMBUF", &g_settings.fmpcmbuf, sndlib::PCMBUF_MIN, sndlib::PCMBUF_MAX),
    number("FMLATE", &g_settings.fmlate, sndlib::LATE_MS_MIN, sndlib::LATE_MS_MAX),
    fm_rev("FMREV", &g_settings.fmrev),
    number("FMPCM8", &g_settings.fmpcm8),
    number("FMVOL", &g_settings.fmvol, 1, 65535),
    number("WINFD", &g_settings.winfd),
    text("FONT", &g_settings.font),
    text("WINFONT", &g_settings.winfont),
    number("LONGNAME", &g_settings.longname),
    number("NMIDEBUG", &g_settings.nmidebug),
};

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

}  // namespace

std::span<const CfgKey> cfg_keys() { return KEYS; }

const CfgKey* cfg_find_key(std::string_view name) {
    for (const CfgKey& k : KEYS)
        if (name == k.name) return &k;
    return nullptr;
}

void cfg_set_defaults() {
    g_settings = Settings{};
    for (int32_t& off : g_video_host.layer_off) off = 0;
    g_video_host.g_ddraw_active = 0;
    g_fmcard.adpcm_calls_set = 0;
    g_virus_warn_off = 0;
}

bool cfg_value_valid(const CfgKey& key, std::string_view value) {
    int32_t n;
    switch (key.kind) {
    // A line break would cut the value where the file reads it back.
    case CfgKind::Text: return value.find_first_of(LINE_BREAKS) == std::string_view::npos;
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
        *key.text = value.substr(0, value.find_first_of(LINE_BREAKS));
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

std::string cfg_values_taken(const CfgKey& key) {
    switch (key.kind) {
    case CfgKind::Text: return "text without a line break";
    case CfgKind::Integer:
        if (key.min != INT32_MIN || key.max != INT32_MAX)
            return std::to_string(key.min) + "-" + std::to_string(key.max);
        return "a whole number";
    case CfgKind::FmRev: return "a whole number";
    }
    return {};
}

std::string cfg_format_value(const CfgKey& key) {
    switch (key.kind) {
    case CfgKind::Text: return *key.text;
    case CfgKind::Integer: return std::to_string(*key.integer);
    case CfgKind::FmRev: return std::to_string(int32_t(low_bits(*key.real)));
    }
    return {};
}
