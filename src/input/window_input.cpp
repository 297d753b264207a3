#include "input/window_input.h"

#include "input/joystick.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "machine/settings.h"
#include "video/video_state.h"

uint32_t g_main_window_id;

namespace {

void input_focus_lost() {
    key_release_all();
    joy_release_all();
}

}  // namespace

WindowInputSinks g_window_input = {
    .joy_on_key_down = joy_on_key_down,
    .joy_on_key_up = joy_on_key_up,
    .key_on_key_down = key_on_key_down,
    .key_on_key_up = key_on_key_up,
    .key_on_char = key_on_char,
    .mouse_move = mouse_move,
    .mouse_left_down = mouse_left_down,
    .mouse_left_up = mouse_left_up,
    .mouse_right_down = mouse_right_down,
    .mouse_right_up = mouse_right_up,
    .focus_lost = input_focus_lost,
};

namespace {

template <typename F, typename... A> void call(F* sink, A&&... args) {
    if (sink) sink(args...);
}

}  // namespace

uint32_t emu_dispatch_window_message(const WindowMessage& m) {
    if (m.window == 0 || m.window != g_main_window_id) return 1;
    const WindowInputSinks& s = g_window_input;
    switch (m.message) {
    case WM_KEYDOWN:
        call(s.joy_on_key_down, m.wparam);
        call(s.key_on_key_down, m);
        break;
    case WM_KEYUP:
        call(s.joy_on_key_up, m.wparam);
        call(s.key_on_key_up, m);
        break;
    case WM_CHAR:
        if (g_settings.key == 0) call(s.key_on_char, m);
        break;
    case WM_MOUSEMOVE:
        if (g_video.h_scale != 0 && g_video.v_scale != 0) call(s.mouse_move, m.lparam);
        break;
    case WM_LBUTTONDOWN: call(s.mouse_left_down); break;
    case WM_LBUTTONUP: call(s.mouse_left_up); break;
    case WM_RBUTTONDOWN: call(s.mouse_right_down); break;
    case WM_RBUTTONUP: call(s.mouse_right_up); break;
    case WM_KILLFOCUS: call(s.focus_lost); break;
    default: break;
    }
    return 1;
}
