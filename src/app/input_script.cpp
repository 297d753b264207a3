#include "app/input_script.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <memory>
#include <sstream>

#include "host/paths.h"
#include "host/sdl_keys.h"
#include "input/window_input.h"
#include "video/video_state.h"

namespace {

constexpr size_t LINE_LIMIT = 4096;
constexpr char COMMENT = '#';

bool parse_number(const std::string& word, uint32_t& out, uint32_t max) {
    const char* first = word.data();
    const char* last = word.data() + word.size();
    int base = 10;
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        first += 2;
        base = 16;
    }
    uint64_t v = 0;
    auto [end, ec] = std::from_chars(first, last, v, base);
    if (ec != std::errc() || end != last || first == last || v > max) return false;
    out = uint32_t(v);
    return true;
}

// A key record as Windows makes it: repeat 1, the Set-1 scan code, the
// extended bit; a release also "was down" and "released".
WindowMessage key_message(uint32_t vk, bool down) {
    uint32_t lparam = KEY_LPARAM_REPEAT_ONE | vk_set1_lparam(vk);
    if (!down) lparam |= KEY_LPARAM_WAS_DOWN | KEY_LPARAM_RELEASED;
    return {0, down ? WM_KEYDOWN : WM_KEYUP, vk, lparam};
}

struct Words {
    std::vector<std::string> w;
    size_t size() const { return w.size(); }
    const std::string& operator[](size_t i) const { return w[i]; }
};

bool parse_event(const Words& w, ScriptEvent& e, std::string& why) {
    const std::string& name = w[1];
    auto want = [&](size_t n) {
        if (w.size() == n + 2) return true;
        why = name + " takes " + std::to_string(n) + (n == 1 ? " argument" : " arguments");
        return false;
    };
    auto number = [&](size_t i, uint32_t max, uint32_t& out) {
        if (parse_number(w[i], out, max)) return true;
        why = name + ": \"" + w[i] + "\" is not a number 0-" + std::to_string(max);
        return false;
    };
    e.action = ScriptAction::MESSAGE;
    uint32_t a = 0, b = 0, c = 0, d = 0;
    if (name == "key-down" || name == "key-up") {
        if (!want(1) || !number(2, 0xFF, a)) return false;
        e.message = key_message(a, name == "key-down");
    } else if (name == "char") {
        if (!want(1)) return false;
        if (w[2].size() == 1) a = uint8_t(w[2][0]);
        else if (!number(2, 0xFF, a)) return false;
        e.message = {0, WM_CHAR, a, KEY_LPARAM_REPEAT_ONE};
    } else if (name == "mouse-move") {
        if (!want(2) || !number(2, 0x7FFF, a) || !number(3, 0x7FFF, b)) return false;
        e.message = {0, WM_MOUSEMOVE, 0, mouse_lparam(int32_t(a), int32_t(b))};
    } else if (name == "mouse-down" || name == "mouse-up") {
        if (!want(1)) return false;
        bool down = name == "mouse-down";
        if (w[2] == "left") e.message = {0, down ? WM_LBUTTONDOWN : WM_LBUTTONUP, 0, 0};
        else if (w[2] == "right") e.message = {0, down ? WM_RBUTTONDOWN : WM_RBUTTONUP, 0, 0};
        else {
            why = name + ": left or right, not \"" + w[2] + "\"";
            return false;
        }
    } else if (name == "pad") {
        if (!want(4) || !number(2, HOST_JOY_DEVICES - 1, a) || !number(3, 0xFFF, b) ||
            !number(4, HOST_JOY_AXIS_MAX, c) || !number(5, HOST_JOY_AXIS_MAX, d))
            return false;
        e.action = ScriptAction::PAD;
        e.pad = int(a);
        e.pos = {c, d, b};
    } else if (name == "pad-unplug") {
        if (!want(1) || !number(2, HOST_JOY_DEVICES - 1, a)) return false;
        e.action = ScriptAction::PAD_UNPLUG;
        e.pad = int(a);
    } else if (name == "focus-lost") {
        if (!want(0)) return false;
        e.message = {0, WM_KILLFOCUS, 0, 0};
    } else {
        why = "no such event \"" + name + "\"";
        return false;
    }
    return true;
}

}  // namespace

bool input_script_parse_line(const std::string& line, std::vector<ScriptEvent>& out, std::string& why) {
    Words w;
    std::istringstream in(line);
    // A word beginning with '#' starts a comment, but for the character of "char".
    for (std::string word; in >> word;) {
        if (word[0] == COMMENT && !(w.size() == 2 && w[1] == "char")) break;
        w.w.push_back(word);
    }
    if (w.size() == 0) return true;
    ScriptEvent e{};
    if (!parse_number(w[0], e.frame, UINT32_MAX)) {
        why = "\"" + w[0] + "\" is not a frame number";
        return false;
    }
    if (w.size() < 2) {
        why = "the event is missing";
        return false;
    }
    if (!out.empty() && e.frame < out.back().frame) {
        why = "frame " + w[0] + " comes after frame " + std::to_string(out.back().frame);
        return false;
    }
    if (!parse_event(w, e, why)) return false;
    out.push_back(e);
    return true;
}

std::string input_script_load(const std::string& path, InputScript& script) {
    script.events.clear();
    script.next = 0;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(fopen_regular(path), std::fclose);
    if (!in && errno == EISDIR) return path + ": a folder, not a script";
    if (!in) return path + (errno == EPERM ? ": cannot be read: not a regular file" : ": cannot be read");
    std::string line, why;
    bool too_long;
    for (size_t n = 1; read_bounded_line(in.get(), line, LINE_LIMIT, too_long); n++) {
        if (too_long) why = "the line is longer than 4096 characters";
        else if (input_script_parse_line(line, script.events, why)) continue;
        script.events.clear();
        return path + ":" + std::to_string(n) + ": " + why;
    }
    return {};
}

void input_script_apply(InputScript& script, uint32_t frame) {
    while (script.next < script.events.size() && script.events[script.next].frame <= frame) {
        ScriptEvent& e = script.events[script.next];
        // A pointer position needs the picture's scale: until the first
        // picture is drawn, it and what follows it wait.
        if (e.action == ScriptAction::MESSAGE && e.message.message == WM_MOUSEMOVE &&
            (g_video.h_scale == 0 || g_video.v_scale == 0 || g_video.src_width == 0 || g_video.src_height == 0))
            return;
        script.next++;
        switch (e.action) {
        case ScriptAction::MESSAGE: {
            WindowMessage m = e.message;
            m.window = g_main_window_id;
            emu_dispatch_window_message(m);
            break;
        }
        case ScriptAction::PAD: script.pads.set(e.pad, e.pos.buttons, e.pos.x, e.pos.y); break;
        case ScriptAction::PAD_UNPLUG: script.pads.unplug(e.pad); break;
        }
    }
}
