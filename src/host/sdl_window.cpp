#include "host/sdl_window.h"

#include <imgui_impl_sdl.h>
#include <imgui_impl_sdlrenderer.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "host/imgui_fonts.h"
#include "host/keyboard_type.h"
#include "host/png_writer.h"
#include "host/sdl_key_text.h"

namespace {

// An OpenGL renderer on a software rasterizer (no GPU, as under Xvfb) costs
// far more than SDL's own software renderer for a picture and a menu bar.
// A renderer the user chose (SDL_RENDER_DRIVER) is kept.
bool rasterizes_in_software(SDL_Renderer* renderer) {
    if (SDL_GetHint(SDL_HINT_RENDER_DRIVER)) return false;
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(renderer, &info) != 0 || !info.name || std::strncmp(info.name, "opengl", 6) != 0)
        return false;
    constexpr unsigned GL_RENDERER_NAME = 0x1F01;  // GL_RENDERER
    using GetString = const unsigned char* (*)(unsigned);
    auto get_string = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const char* name = get_string ? reinterpret_cast<const char*>(get_string(GL_RENDERER_NAME)) : nullptr;
    if (!name) return false;
    return std::strstr(name, "llvmpipe") || std::strstr(name, "softpipe") || std::strstr(name, "Software");
}

}  // namespace

bool HostWindow::open(const char* title, int w, int h, uint32_t flags, const std::vector<const char*>& font_texts) {
    close();
    window_ = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, w, h, flags);
    if (!window_) return false;
    // Once one window found no GPU, the others go straight to software;
    // the window surface then goes to the screen without OpenGL as well.
    static bool software_only = false;
    if (!software_only) {
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
        if (renderer_ && rasterizes_in_software(renderer_)) {
            SDL_DestroyRenderer(renderer_);
            renderer_ = nullptr;
            software_only = true;
            SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        }
    }
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_) {
        close();
        return false;
    }
    ImGuiContext* before = ImGui::GetCurrentContext();
    context_ = ImGui::CreateContext();
    ImGui::SetCurrentContext(context_);
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;  // no imgui.ini: the settings are the program's own
    // The cursor is one for all windows: only the window under the pointer
    // sets it (apply_cursor), not every window's frame.
    io.ConfigFlags |= ImGuiConfigFlags_NoMouseCursorChange;
    io.LogFilename = nullptr;
    imgui_load_ui_font(font_texts);
    ImGui::StyleColorsDark();
    ImGui_ImplSDL2_InitForSDLRenderer(window_);
    ImGui_ImplSDLRenderer_Init(renderer_);
    if (before) ImGui::SetCurrentContext(before);
    open_windows_.push_back(this);
    return true;
}

void HostWindow::enable_keyboard_navigation() {
    if (!context_) return;
    make_current();
    ImGui::GetIO().ConfigFlags |= ImGuiConfigFlags_NavEnableKeyboard;
}

void HostWindow::close() {
    std::erase(open_windows_, this);
    drawn_ = false;
    if (context_) {
        ImGuiContext* before = ImGui::GetCurrentContext();
        ImGui::SetCurrentContext(context_);
        ImGui_ImplSDLRenderer_Shutdown();
        ImGui_ImplSDL2_Shutdown();
        ImGui::DestroyContext(context_);
        ImGui::SetCurrentContext(before == context_ ? nullptr : before);
        context_ = nullptr;
    }
    for (SDL_Cursor*& c : system_cursors_) {
        if (c) SDL_FreeCursor(c);
        c = nullptr;
    }
    if (picture_) SDL_DestroyTexture(picture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
    picture_ = nullptr;
    renderer_ = nullptr;
    window_ = nullptr;
}

namespace {

bool is_button_event(const SDL_Event& e) { return e.type == SDL_MOUSEBUTTONDOWN || e.type == SDL_MOUSEBUTTONUP; }

// ImGui's button index of an SDL button; -1 for the others.
int imgui_button(uint8_t sdl_button) {
    switch (sdl_button) {
    case SDL_BUTTON_LEFT: return ImGuiMouseButton_Left;
    case SDL_BUTTON_RIGHT: return ImGuiMouseButton_Right;
    case SDL_BUTTON_MIDDLE: return ImGuiMouseButton_Middle;
    default: return -1;
    }
}

ImVec2 event_position(const SDL_Event& e) { return ImVec2(float(e.button.x), float(e.button.y)); }

bool same_position(ImVec2 a, ImVec2 b) { return a.x == b.x && a.y == b.y; }

}  // namespace

void HostWindow::process_event(const SDL_Event& e) {
    make_current();
    track_pointer(e);
    if (e.type == SDL_KEYDOWN || e.type == SDL_KEYUP) {
        // With the input method detached the keys type for the text boxes.
        const uint32_t c = sdl_input_method_detached() ? sdl_key_character(e.key, host_keyboard_japanese()) : 0;
        if (c) ImGui::GetIO().AddInputCharacter(c);
        process_key(e);
        return;
    }
    if (e.type == SDL_TEXTINPUT && sdl_input_method_detached()) return;  // queued before: the keys type
    if (!is_button_event(e)) {
        ImGui_ImplSDL2_ProcessEvent(&e);
        return;
    }
    if (held_.size() >= HELD_EVENTS_MAX) {  // a flood: the oldest take effect at once
        for (const SDL_Event& h : held_) apply_button(h);
        held_.clear();
    }
    held_.push_back(e);
}

// The events in their order say where the pointer is now. The ImGui back
// end's own reading of SDL's pointer state each frame can stay behind on
// X11 (at the last click, over a window the pointer has left).
void HostWindow::track_pointer(const SDL_Event& e) {
    if (e.type == SDL_MOUSEMOTION) pointer_ = ImVec2(float(e.motion.x), float(e.motion.y));
    else if (is_button_event(e)) pointer_ = event_position(e);
    else if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_LEAVE)
        pointer_ = ImVec2(-FLT_MAX, -FLT_MAX);
}

// A key that already went up or down since the last frame waits, and so
// does every key event after it: the frame sees each change in order.
void HostWindow::process_key(const SDL_Event& e) {
    const SDL_Scancode key = e.key.keysym.scancode;
    if (key < 0 || key >= SDL_NUM_SCANCODES) return;
    if (held_keys_.size() >= HELD_EVENTS_MAX) {  // a flood: the oldest take effect at once
        for (const SDL_Event& h : held_keys_) ImGui_ImplSDL2_ProcessEvent(&h);
        held_keys_.clear();
    }
    if (!held_keys_.empty() || keys_changed_[key]) {
        held_keys_.push_back(e);
        return;
    }
    const bool was_down = ImGui::GetIO().KeysDown[key];
    ImGui_ImplSDL2_ProcessEvent(&e);
    if (ImGui::GetIO().KeysDown[key] != was_down) keys_changed_.set(key);
}

// After a frame: the waiting key events, up to the next one that would
// change a key a second time before a frame saw the first change.
void HostWindow::feed_held_keys() {
    keys_changed_.reset();
    std::vector<SDL_Event> waiting;
    waiting.swap(held_keys_);
    for (const SDL_Event& k : waiting) process_key(k);
}

void HostWindow::apply_button(const SDL_Event& e) {
    int b = imgui_button(e.button.button);
    if (b < 0) return;
    buttons_down_[b] = e.type == SDL_MOUSEBUTTONDOWN;
    if (buttons_down_[b]) buttons_pressed_[b] = true;
}

// The buttons come from the events alone, not from SDL's state, which runs
// ahead of them: one press a frame, at the pointer's place once a frame saw
// the pointer there, and a frame with the buttons up before the next press.
void HostWindow::feed_held_buttons() {
    ImGuiIO& io = ImGui::GetIO();
    if (release_frame_) {
        io.MousePos = frame_mouse_;  // the last press lets go where it was
        release_frame_ = false;
    } else if (!held_.empty()) {
        const SDL_Event& front = held_.front();
        const ImVec2 at = event_position(front);
        const bool press = front.type == SDL_MOUSEBUTTONDOWN;
        if (!press || same_position(at, frame_mouse_)) {
            size_t n = 0;
            do apply_button(held_[n++]);
            while (n < held_.size() && held_[n].type != SDL_MOUSEBUTTONDOWN);
            held_.erase(held_.begin(), held_.begin() + long(n));
            release_frame_ = press;
        }
        io.MousePos = at;  // where the button went (or the pointer arrives first), wherever it is now
    }
    for (int b = 0; b < MOUSE_BUTTONS; ++b) {
        io.MouseDown[b] = buttons_down_[b] || buttons_pressed_[b];
        buttons_pressed_[b] = false;
    }
}

void HostWindow::begin_frame() {
    make_current();
    drawn_ = false;  // NewFrame drops the last frame's draw data
    ImGui_ImplSDLRenderer_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    // A captured pointer (relative mode) belongs to the machine, not the controls.
    ImGui::GetIO().MousePos = SDL_GetRelativeMouseMode() ? ImVec2(-FLT_MAX, -FLT_MAX) : pointer_;
    feed_held_buttons();
    frame_mouse_ = ImGui::GetIO().MousePos;
    ImGui::NewFrame();
}

void HostWindow::end_frame(void (*draw_under)(HostWindow&, void*), void* arg) {
    make_current();
    ImGui::Render();
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    if (draw_under) draw_under(*this, arg);
    ImGui_ImplSDLRenderer_RenderDrawData(ImGui::GetDrawData());
    SDL_RenderPresent(renderer_);
    draw_under_ = draw_under;
    draw_under_arg_ = arg;
    drawn_ = true;
    apply_cursor();
    feed_held_keys();
}

std::vector<HostWindow*> HostWindow::open_windows_;

void HostWindow::repaint() {
    if (!drawn_ || !renderer_) return;  // none drawn yet, or one is being drawn
    ImGuiContext* before = ImGui::GetCurrentContext();
    make_current();
    if (ImDrawData* data = ImGui::GetDrawData()) {
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        if (draw_under_) draw_under_(*this, draw_under_arg_);
        ImGui_ImplSDLRenderer_RenderDrawData(data);
        SDL_RenderPresent(renderer_);
    }
    ImGui::SetCurrentContext(before);
}

bool HostWindow::repaint_window(uint32_t id) {
    for (HostWindow* w : open_windows_)
        if (w->id() == id) {
            w->repaint();
            return true;
        }
    return false;
}

void HostWindow::apply_cursor() {
    if (!window_ || SDL_GetMouseFocus() != window_) return;
    SDL_Cursor* c = cursor_override_;
    if (!c) {
        static constexpr SDL_SystemCursor SYSTEM[ImGuiMouseCursor_COUNT] = {
            SDL_SYSTEM_CURSOR_ARROW,    SDL_SYSTEM_CURSOR_IBEAM,  SDL_SYSTEM_CURSOR_SIZEALL,
            SDL_SYSTEM_CURSOR_SIZENS,   SDL_SYSTEM_CURSOR_SIZEWE, SDL_SYSTEM_CURSOR_SIZENESW,
            SDL_SYSTEM_CURSOR_SIZENWSE, SDL_SYSTEM_CURSOR_HAND,   SDL_SYSTEM_CURSOR_NO};
        const ImGuiMouseCursor wanted = ImGui::GetMouseCursor();
        if (wanted < 0 || wanted >= ImGuiMouseCursor_COUNT) {
            SDL_ShowCursor(SDL_DISABLE);
            return;
        }
        SDL_Cursor*& made = system_cursors_[wanted];
        if (!made) made = SDL_CreateSystemCursor(SYSTEM[wanted]);
        c = made ? made : SDL_GetDefaultCursor();
    }
    if (c && SDL_GetCursor() != c) SDL_SetCursor(c);
    SDL_ShowCursor(SDL_ENABLE);
}

void HostWindow::set_title(const std::string& title) {
    if (window_) SDL_SetWindowTitle(window_, title.c_str());
}

void HostWindow::set_client_size(int w, int h) {
    int cw, ch;
    client_size(cw, ch);
    if (window_ && (cw != w || ch != h)) SDL_SetWindowSize(window_, w, h);
}

SDL_Rect window_fit_rect(const SDL_Rect& usable, const WindowFrame& frame, int x, int y, int w, int h) {
    const int frame_w = frame.left + frame.right, frame_h = frame.top + frame.bottom;
    w = std::clamp(w, 1, std::max(usable.w - frame_w, 1));
    h = std::clamp(h, 1, std::max(usable.h - frame_h, 1));
    x = std::clamp(x, usable.x, std::max(usable.x + usable.w - (w + frame_w), usable.x));
    y = std::clamp(y, usable.y, std::max(usable.y + usable.h - (h + frame_h), usable.y));
    return {x + frame.left, y + frame.top, w, h};
}

namespace {

int overlap_area(const SDL_Rect& a, const SDL_Rect& b) {
    SDL_Rect both{};
    return SDL_IntersectRect(&a, &b, &both) ? both.w * both.h : 0;
}

}  // namespace

std::vector<SDL_Point> side_windows_place(const SDL_Rect& usable, const SDL_Rect& main,
                                          const std::vector<SDL_Point>& sizes) {
    std::vector<SDL_Rect> taken{main};
    std::vector<SDL_Point> places;
    for (const SDL_Point& size : sizes) {
        SDL_Rect best{};
        int best_cover = -1;
        for (auto next = taken.rbegin(); next != taken.rend() && best_cover != 0; ++next) {
            const SDL_Rect& t = *next;
            const SDL_Point beside[] = {{t.x + t.w, t.y}, {t.x, t.y + t.h}, {t.x - size.x, t.y}, {t.x, t.y - size.y}};
            for (const SDL_Point& at : beside) {
                const SDL_Rect r{std::clamp(at.x, usable.x, std::max(usable.x + usable.w - size.x, usable.x)),
                                 std::clamp(at.y, usable.y, std::max(usable.y + usable.h - size.y, usable.y)), size.x,
                                 size.y};
                int cover = 0;
                for (const SDL_Rect& other : taken) cover += overlap_area(r, other);
                if (best_cover < 0 || cover < best_cover) {
                    best = r;
                    best_cover = cover;
                }
                if (cover == 0) break;
            }
        }
        taken.push_back(best);
        places.push_back({best.x, best.y});
    }
    return places;
}

SDL_Rect HostWindow::place(int x, int y, int w, int h, bool move) {
    if (!window_) return {0, 0, 0, 0};
    int d = std::max(SDL_GetWindowDisplayIndex(window_), 0);
    SDL_Rect screen{}, usable{};
    if (SDL_GetDisplayBounds(d, &screen) != 0) screen = {0, 0, w, h};
    if (SDL_GetDisplayUsableBounds(d, &usable) != 0) usable = screen;
    WindowFrame f;
    if (SDL_GetWindowBordersSize(window_, &f.top, &f.left, &f.bottom, &f.right) != 0) f = {};
    if (move) {
        x += screen.x;
        y += screen.y;
    } else {  // where the frame is now
        SDL_GetWindowPosition(window_, &x, &y);
        x -= f.left;
        y -= f.top;
    }
    SDL_Rect r = window_fit_rect(usable, f, x, y, w, h);
    set_client_size(r.w, r.h);
    int cx = 0, cy = 0;
    SDL_GetWindowPosition(window_, &cx, &cy);
    if (cx != r.x || cy != r.y) SDL_SetWindowPosition(window_, r.x, r.y);
    return r;
}

bool HostWindow::borders(WindowFrame& frame) const {
    frame = {};
    if (!window_ || SDL_GetWindowBordersSize(window_, &frame.top, &frame.left, &frame.bottom, &frame.right) != 0) {
        frame = {};
        return false;
    }
    return frame.top + frame.left + frame.bottom + frame.right > 0;
}

SDL_Rect HostWindow::usable_area() const {
    SDL_Rect usable{};
    const int d = window_ ? std::max(SDL_GetWindowDisplayIndex(window_), 0) : 0;
    if (SDL_GetDisplayUsableBounds(d, &usable) != 0 && SDL_GetDisplayBounds(d, &usable) != 0) usable = {};
    return usable;
}

bool HostWindow::full_screen() const {
    return window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN;
}

void HostWindow::client_size(int& w, int& h) const {
    w = h = 0;
    if (window_) SDL_GetWindowSize(window_, &w, &h);
}

bool HostWindow::picture_setup(int width, int height, bool rgb565) {
    if (picture_) SDL_DestroyTexture(picture_);
    rgb565_ = rgb565;
    picture_ = SDL_CreateTexture(renderer_, rgb565 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB555,
                                 SDL_TEXTUREACCESS_STREAMING, width, height);
    if (!picture_) return false;
    SDL_SetTextureScaleMode(picture_, SDL_ScaleModeNearest);
    picture_w_ = width;
    picture_h_ = height;
    return true;
}

void HostWindow::picture_update(const uint16_t* pixels, int stride_pixels, int top, int bottom) {
    if (!picture_) return;
    if (top < 0) top = 0;
    if (bottom >= picture_h_) bottom = picture_h_ - 1;
    if (bottom < top) return;
    SDL_Rect rows{0, top, picture_w_, bottom - top + 1};
    SDL_UpdateTexture(picture_, &rows, pixels + size_t(top) * size_t(stride_pixels), stride_pixels * 2);
}

void HostWindow::picture_draw(const SDL_Rect& src, const SDL_Rect& dst) {
    if (picture_) SDL_RenderCopy(renderer_, picture_, &src, &dst);
}

bool HostWindow::read_png(const SDL_Rect& rect, const std::string& path) {
    if (!renderer_ || rect.w <= 0 || rect.h <= 0) return false;
    uint32_t format = rgb565_ ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB555;
    std::vector<uint16_t> pixels(size_t(rect.w) * size_t(rect.h));
    if (SDL_RenderReadPixels(renderer_, &rect, format, pixels.data(), rect.w * 2) != 0) return false;
    return png_write_rgb16(path, pixels.data(), rect.w, rect.w, rect.h, rgb565_);
}
