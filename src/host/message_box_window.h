// A message box in an SDL window of its own, drawn through Dear ImGui with
// the UI font (so Japanese reads as Japanese), sized to its text and kept
// within the screen. Works with or without the program's other windows.
#pragma once

#include <SDL.h>

#include <vector>

#include "host/message_box_layout.h"
#include "host/sdl_window.h"

class BoxWindow {
public:
    BoxWindow() = default;
    BoxWindow(const BoxWindow&) = delete;
    BoxWindow& operator=(const BoxWindow&) = delete;
    ~BoxWindow() { close(); }

    // Opens the box centred over parent (nullptr: on the first display),
    // within the display's usable area, and draws it. Starts SDL's video
    // for itself when nothing else has. False when no window could be had.
    bool open(const BoxSpec& spec, SDL_Window* parent);
    // Waits for the answer and closes the box: the button pressed. An AC
    // plug signal presses the cancel button (else the default one) and is
    // left for the program's loop. Events of the other windows wait, and
    // come again after the box.
    int run();
    // Draws the box again; events for it are taken (a notice stays drawn
    // while its owner works).
    void draw();
    void close();

    bool is_open() const { return host_.is_open(); }
    SDL_Window* window() const { return host_.window(); }
    const BoxSpec& spec() const { return spec_; }
    const BoxLayout& layout() const { return layout_; }
    const BoxInput& input() const { return input_; }

private:
    void take_event(const SDL_Event& e);
    void key(const SDL_Keysym& k);
    void draw_contents();
    void hand_back_events();

    BoxSpec spec_;
    BoxLayout layout_;
    BoxInput input_;
    HostWindow host_;
    ImVector<ImWchar> ranges_;        // of the box's font, which its atlas keeps
    std::vector<SDL_Event> waiting_;  // the other windows' events
    bool started_video_ = false;
};

// Seam, for tests: called after each frame a box draws while it waits.
extern void (*g_box_window_frame_hook)(BoxWindow& box);
