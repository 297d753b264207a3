// The display of the main window through SDL. SDL changes the display's
// mode only for a window in exclusive full screen, and puts the desktop's
// mode back when the window leaves it; a fault on the way puts it back too.
#include "host/display_mode_sdl.h"

#include <SDL.h>

#include <csignal>
#include <vector>

namespace {

SDL_Window* s_window;
int32_t s_menu_height;
std::vector<HostDisplayMode> s_modes;  // as the list offers them, built at mode 0

int display_index() {
    int d = s_window ? SDL_GetWindowDisplayIndex(s_window) : 0;
    return d < 0 ? 0 : d;
}

bool exclusive_full_screen() {
    return s_window && (SDL_GetWindowFlags(s_window) & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN;
}

// Faults that end the program: the desktop's mode goes back before the
// default action.
constexpr int FAULT_SIGNALS[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr size_t FAULTS = sizeof FAULT_SIGNALS / sizeof FAULT_SIGNALS[0];
struct sigaction s_fault_before[FAULTS];
bool s_fault_handlers;

void remove_fault_handlers() {
    if (!s_fault_handlers) return;
    for (size_t i = 0; i < FAULTS; i++) sigaction(FAULT_SIGNALS[i], &s_fault_before[i], nullptr);
    s_fault_handlers = false;
}

void on_fault(int sig) {
    SDL_Window* w = s_window;
    s_window = nullptr;
    if (w) SDL_SetWindowFullscreen(w, 0);  // best effort: the program ends anyway
    remove_fault_handlers();
    raise(sig);
}

void install_fault_handlers() {
    if (s_fault_handlers) return;
    struct sigaction sa {};
    sa.sa_handler = on_fault;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_NODEFER;
    for (size_t i = 0; i < FAULTS; i++) sigaction(FAULT_SIGNALS[i], &sa, &s_fault_before[i]);
    s_fault_handlers = true;
}

}  // namespace

void host_display_use_sdl(SDL_Window* window) {
    if (window != s_window) host_display_restore();
    s_window = window;
    s_modes.clear();
}

void host_display_set_menu_height(int32_t height) { s_menu_height = height; }

void host_display_restore() {
    if (exclusive_full_screen()) SDL_SetWindowFullscreen(s_window, 0);
    remove_fault_handlers();
}

bool sdl_display_active() { return s_window != nullptr; }

bool sdl_display_enum_mode(int32_t n, HostDisplayMode& mode) {
    if (n == 0) {
        std::vector<HostDisplayMode> sdl;
        int d = display_index();
        for (int i = 0; i < SDL_GetNumDisplayModes(d); i++) {
            SDL_DisplayMode m{};
            if (SDL_GetDisplayMode(d, i, &m) == 0) sdl.push_back({m.w, m.h, int32_t(SDL_BITSPERPIXEL(m.format))});
        }
        s_modes = host_display_modes_from_sdl(sdl);
    }
    if (n < 0 || size_t(n) >= s_modes.size()) return false;
    mode = s_modes[size_t(n)];
    return true;
}

void sdl_display_fullscreen_size(int32_t& cx, int32_t& cy) {
    SDL_Rect r{};
    if (SDL_GetDisplayUsableBounds(display_index(), &r) != 0) r.w = r.h = 0;
    cx = r.w;
    cy = r.h - sdl_window_metrics().cy_caption;
}

HostWindowMetrics sdl_window_metrics() {
    int top = 0, left = 0, bottom = 0, right = 0;
    if (!s_window || SDL_GetWindowBordersSize(s_window, &top, &left, &bottom, &right) != 0)
        top = left = bottom = right = 0;
    return {left, bottom, top, s_menu_height};
}

namespace {

bool set_window_mode(const HostDisplayMode& mode) {
    SDL_DisplayMode want{0, mode.width, mode.height, 0, nullptr}, closest{};
    if (!SDL_GetClosestDisplayMode(display_index(), &want, &closest)) return false;
    return SDL_SetWindowDisplayMode(s_window, &closest) == 0;
}

}  // namespace

void sdl_display_change_mode(const HostDisplayMode& mode) {
    if (exclusive_full_screen()) set_window_mode(mode);
}

bool sdl_exclusive_open() { return SDL_GetNumDisplayModes(display_index()) > 0; }

bool sdl_exclusive_set_mode(const HostDisplayMode& mode) {
    if (!set_window_mode(mode)) return false;
    if (!exclusive_full_screen() && SDL_SetWindowFullscreen(s_window, SDL_WINDOW_FULLSCREEN) != 0) return false;
    install_fault_handlers();
    return true;
}
