#include "app/option_pages_keycode.h"

#include <cstdio>
#include <deque>

std::string g_keycode_text = KEYCODE_TEXT_INITIAL;

namespace {
struct KeycodeDisplay {
    bool running = false;
    uint32_t scan = 0, code = 0;
    std::deque<KeycodeEvent> queue;
};
KeycodeDisplay g_keycode;
}  // namespace

bool opt_keycode_running() { return g_keycode.running; }

void opt_keycode_start() {
    g_keycode.queue.clear();
    g_keycode.running = true;
}

void opt_keycode_stop() {
    g_keycode.running = false;
    g_keycode.queue.clear();
}

void opt_keycode_feed(KeycodeEvent event) {
    if (g_keycode.running) g_keycode.queue.push_back(event);
}

void opt_keycode_filter(const WindowMessage& m) {
    switch (m.message) {
    case WM_KEYDOWN: opt_keycode_feed({KeycodeEventKind::KeyDown, m.wparam}); break;
    case WM_KEYUP: opt_keycode_feed({KeycodeEventKind::KeyUp, m.wparam}); break;
    case WM_CHAR: opt_keycode_feed({KeycodeEventKind::Char, m.wparam}); break;
    default: break;
    }
}

bool opt_keycode_take_events() {
    bool changed = false;
    while (g_keycode.running && !g_keycode.queue.empty()) {
        KeycodeEvent e = g_keycode.queue.front();
        g_keycode.queue.pop_front();
        switch (e.kind) {
        case KeycodeEventKind::Close: opt_keycode_stop(); return changed;
        case KeycodeEventKind::KeyDown:
        case KeycodeEventKind::KeyUp: g_keycode.scan = e.value; break;
        case KeycodeEventKind::Char: g_keycode.code = e.value; break;
        }
        char text[48];
        std::snprintf(text, sizeof text, "scan = (%04X) code = (%04X)", g_keycode.scan, g_keycode.code);
        g_keycode_text = text;
        changed = true;
    }
    return changed;
}
