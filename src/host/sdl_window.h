// A top-level SDL window with a renderer and an ImGui context of its own.
// The main window also holds the picture: a streaming 16-bit texture of the
// host frame buffer.
#pragma once

#include <SDL.h>
#include <imgui.h>

#include <bitset>
#include <cfloat>
#include <cstdint>
#include <string>
#include <vector>

// The frame the window system puts around a client area, in pixels.
struct WindowFrame {
    int top = 0, left = 0, bottom = 0, right = 0;
};

// The client rectangle of a window asked with its frame's top-left at
// (x, y) and a w x h client area: the client at most what `usable` holds
// inside the frame, and the frame moved as little as needed to lie within
// `usable`.
SDL_Rect window_fit_rect(const SDL_Rect& usable, const WindowFrame& frame, int x, int y, int w, int h);

// Where windows of the frame sizes `sizes` stand beside the main window
// (its frame `main`), one after the other, within `usable`: each right of,
// below, left of or above the window placed last (the main window first),
// then the ones before it, at the first place that covers none of them,
// else where it covers the least. The frames' top-left corners.
std::vector<SDL_Point> side_windows_place(const SDL_Rect& usable, const SDL_Rect& main,
                                          const std::vector<SDL_Point>& sizes);

class HostWindow {
public:
    HostWindow() = default;
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;
    ~HostWindow() { close(); }

    // Opens the window (hidden windows stay hidden until shown) with its
    // renderer (no vsync) and ImGui context, the UI font holding texts.
    bool open(const char* title, int w, int h, uint32_t flags, const std::vector<const char*>& font_texts);
    void close();
    bool is_open() const { return window_ != nullptr; }
    uint32_t id() const { return window_ ? SDL_GetWindowID(window_) : 0; }
    SDL_Window* window() const { return window_; }
    SDL_Renderer* renderer() const { return renderer_; }

    // The arrow keys, Space and Enter work the controls (a dialog's window).
    void enable_keyboard_navigation();
    // Makes this window's ImGui context the current one.
    void make_current() const { ImGui::SetCurrentContext(context_); }
    // Gives ImGui the event (its window is this one). Button events wait
    // for the frames to come: a press where the last frame did not see the
    // pointer first gets a frame with the pointer there and the button up
    // (a tab takes a press only where it was hovered the frame before),
    // then a frame of its own, and a frame with the buttons up comes before
    // the next press. So every click counts, however short, and wherever
    // the pointer came from.
    // Key events likewise: a key changes once a frame, so a press let go
    // before the next frame still shows for one frame (the dialogs read
    // the key-down table), and a key's next change waits for the frame
    // after. With the input method detached the key presses type for the
    // text boxes (sdl_key_text.h).
    // The pointer is where this window's last motion or button event put
    // it, and away once it left the window: the frames follow it whether
    // or not the window has the keyboard.
    void process_event(const SDL_Event& e);
    // Button or key events wait for frames of their own: draw again soon.
    bool input_held() const { return !held_.empty() || release_frame_ || !held_keys_.empty(); }
    // Starts an ImGui frame of this window.
    void begin_frame();
    // Renders ImGui over what draw_under put (when given) and presents.
    void end_frame(void (*draw_under)(HostWindow&, void*) = nullptr, void* arg = nullptr);
    // Draws the last frame again, unchanged (while a message box holds the
    // window's events, the window system may still ask for its picture).
    void repaint();
    // repaint() of the open window whose id is id; false when none is.
    static bool repaint_window(uint32_t id);

    void set_title(const std::string& title);
    void set_client_size(int w, int h);
    void client_size(int& w, int& h) const;
    // Sizes and places the window by window_fit_rect within the usable area
    // of its display: its frame at (x, y) from the display's top-left, or
    // where it is when move is false. Returns the client rectangle given.
    SDL_Rect place(int x, int y, int w, int h, bool move);
    // The frame the window manager put around the window; false while it
    // has put none (yet).
    bool borders(WindowFrame& frame) const;
    // The usable area of the window's display, on the screen.
    SDL_Rect usable_area() const;
    // In exclusive full screen (the display's mode is the window's).
    bool full_screen() const;
    // The cursor over the window: `cursor` when set, else the one its
    // dialogs ask for.
    void set_cursor_override(SDL_Cursor* cursor) { cursor_override_ = cursor; }

    // The picture: a width x height texture of 16-bit pixels, 565 or 555.
    bool picture_setup(int width, int height, bool rgb565);
    // Copies rows top..bottom (inclusive) of pixels (stride_pixels a row).
    void picture_update(const uint16_t* pixels, int stride_pixels, int top, int bottom);
    // Copies src of the texture to dst of the window, nearest scaling.
    void picture_draw(const SDL_Rect& src, const SDL_Rect& dst);
    bool picture_rgb565() const { return rgb565_; }

    // Reads rect of what the renderer drew and writes it as a PNG. Call
    // between drawing and presenting.
    bool read_png(const SDL_Rect& rect, const std::string& path);

private:
    // At most this many button events wait; more pass on at once.
    static constexpr size_t HELD_EVENTS_MAX = 32;
    static constexpr int MOUSE_BUTTONS = 3;  // left, right, middle
    void feed_held_buttons();
    void apply_button(const SDL_Event& e);
    void process_key(const SDL_Event& e);
    void feed_held_keys();
    void track_pointer(const SDL_Event& e);

    std::vector<SDL_Event> held_;  // button events waiting, oldest first
    bool release_frame_ = false;   // the next frame shows a press let go, in its place
    bool buttons_down_[MOUSE_BUTTONS] = {};
    bool buttons_pressed_[MOUSE_BUTTONS] = {};          // pressed since the last frame
    ImVec2 frame_mouse_{-1.0f, -1.0f};                  // the pointer as the last frame saw it
    ImVec2 pointer_{-FLT_MAX, -FLT_MAX};                // as the events tell it; -FLT_MAX: not over the window
    std::vector<SDL_Event> held_keys_;                  // key events waiting, oldest first
    std::bitset<SDL_NUM_SCANCODES> keys_changed_;       // up or down since the last frame
    void (*draw_under_)(HostWindow&, void*) = nullptr;  // as the last frame was drawn
    void* draw_under_arg_ = nullptr;
    bool drawn_ = false;  // a frame was rendered: its draw data stands until the next begin_frame
    static std::vector<HostWindow*> open_windows_;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    ImGuiContext* context_ = nullptr;
    SDL_Texture* picture_ = nullptr;
    SDL_Cursor* cursor_override_ = nullptr;
    SDL_Cursor* system_cursors_[ImGuiMouseCursor_COUNT] = {};  // made when first asked for
    void apply_cursor();
    bool rgb565_ = true;
    int picture_w_ = 0, picture_h_ = 0;
};
