// The main window's object, shared by its source files.
#pragma once

#include <SDL.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "app/headless.h"
#include "app/info_dialogs.h"
#include "app/option_sheet.h"
#include "app/run_loop.h"
#include "host/sdl_events.h"
#include "host/sdl_joysticks.h"
#include "host/sdl_window.h"
#include "video/frame_buffer.h"

// The window's picture area before the first frame sets its size.
inline constexpr int START_WIDTH = 768, START_HEIGHT = 512;

class MainWindow : public RunLoopHost {
public:
    explicit MainWindow(const HeadlessOptions& options) : options_(options) {}

    bool open();  // the three windows, the picture (OnInitDialog)
    int run();    // the main dialog's loop; the exit status
    void close();
    bool images_refused() const { return images_refused_; }

    // RunLoopHost
    bool pump() override;
    bool has_focus() override;
    void wait_event(uint32_t ms) override;
    uint32_t now_ms() override;
    void run_slice(uint32_t step_flag) override;
    void draw_frame() override;
    void refresh_panel() override;
    void take_notice() override;
    void show_statistics(const std::string& title) override;

    // Menu commands.
    void on_command(uint32_t id);
    void on_ok();      // "reset"
    void on_cancel();  // "AC plug" and the close box
    void on_debugger();
    // init_start; a failure is told on stderr, with "reset" to try again
    // when window_stays. 0 on success.
    uint32_t start_machine(bool window_stays);
    void run_option_sheet();
    void run_information();

    // Draws every window once (the picture as the texture holds it).
    void redraw();
    // The end of a run: the window shot, the screenshot and the RAM dump the
    // options ask for; a failure is told on stderr and fails the program.
    void write_outputs();

private:
    void handle_event(const SDL_Event& e, bool& stop_pump);
    void main_window_event(const SDL_Event& e, bool& stop_pump);
    void side_window_event(const SDL_Event& e);
    void keycode_note(const SDL_Event& e);
    void focus_lost();
    void set_mouse_capture(bool on);  // SDL's relative mode with the virtual pointer
    void give_focus();                // the keyboard focus to the main window
    // A modal dialog's own loop: events and redraws until it closes.
    void modal_loop(bool (*still_open)(MainWindow&));
    void run_panel_chooser();
    void draw_main_ui();
    void draw_menu();
    void picture_rect(SDL_Rect& src, SDL_Rect& dst) const;
    static void draw_picture(HostWindow& w, void* self);
    // The window holds the picture (and a dialog) within the usable screen;
    // to_origin places its frame at the window origin as well.
    void fit_client(bool to_origin = false);
    void place_side_windows();
    static constexpr uint32_t FRAME_WAIT_MS = 1000;  // for the window manager's frame
    bool side_place_due_ = false;
    uint32_t side_place_asked_ms_ = 0;  // when the main window was given a new size
    void keep_client_size();
    void check_color_depth();
    void choose_pixel_format() override;
    bool choose_timed_run(bool rgb565, int& paints);
    // The statistics line at the end of a run from the menu.
    void print_run_statistics();
    bool write_window_shot();  // false when it fails
    void run_pending_command();

    const HeadlessOptions& options_;
    HostWindow main_, panel_, debug_;
    FrameBuffer fb_;
    bool bitmap_ready_ = false;
    int32_t forced_top_ = FB_DRAWABLE_LINES, forced_bottom_ = 0;
    int menu_height_ = 0;
    bool dialog_ended_ = false;
    bool start_failed_ = false;
    bool ever_started_ = false;    // the machine started at least once in this program run
    bool images_refused_ = false;  // an image the command line named could not be inserted
    bool shot_taken_ = false, shot_failed_ = false;
    uint32_t frames_ = 0;  // frames of this program run, for --frames
    std::string last_title_;
    OptionSheet sheet_;
    InfoDialog info_;
    // While running, the menu bar is drawn again after an event of the main
    // window, else every UI_REDRAW_MS; a frame that changed is drawn at once.
    static constexpr uint32_t UI_REDRAW_MS = 500;
    bool ui_events_ = true;
    uint32_t ui_drawn_ = 0;
    void refresh_ui();
    // A window holds button events for frames to come.
    bool input_held() const { return main_.input_held() || panel_.input_held() || debug_.input_held(); }
    static constexpr uint32_t SIDE_REDRAW_MS = 250;
    static constexpr uint32_t FIT_RETRY_MS = 100;
    int want_w_ = 0, want_h_ = 0;  // the window size the picture asks for
    static constexpr int MODAL_MIN_W = 640, MODAL_MIN_H = 560;
    bool modal_open_ = false;  // the option sheet or the information dialog
    void run_main_modal(bool (*still_open)(MainWindow&));
    uint32_t fit_asked_ = 0;
    bool side_events_ = true;               // the panel or the debug window had an event
    uint32_t side_drawn_ = 0;               // when they were drawn last
    uint32_t pending_command_ = 0;          // chosen in the menu, run after the frame
    SdlJoystickSource joysticks_;           // devices 0 and 1 for the joystick ports
    VirtualPointer pointer_;                // the mouse in SDL's relative mode
    SDL_Cursor* picture_cursor_ = nullptr;  // over the picture with MOUSE on
    void update_cursor();
    bool measuring_ = false;   // the run's first slice has come
    uint64_t run_cycles_ = 0;  // g_scheduler.cycles_total at the run's first slice
    std::chrono::steady_clock::time_point run_started_;
};
