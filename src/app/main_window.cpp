#include "app/main_window.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "app/app_commands.h"
#include "app/app_startup.h"
#include "app/command_line.h"
#include "app/config_file.h"
#include "app/disk_panel.h"
#include "app/main_window_impl.h"
#include "app/main_window_view.h"
#include "app/option_pages_keycode.h"
#include "app/window_boxes.h"
#include "core/cpu_regs.h"
#include "debugger/debugger.h"
#include "host/display_mode.h"
#include "host/imgui_fonts.h"
#include "host/keyboard_type.h"
#include "host/message_box.h"
#include "host/paths.h"
#include "host/sdl_events.h"
#include "host/sdl_key_text.h"
#include "host/sdl_keys.h"
#include "host/signals.h"
#include "host/version.h"
#include "input/joystick.h"
#include "input/window_input.h"
#include "machine/host_timer.h"
#include "machine/log_lines.h"
#include "machine/machine.h"
#include "machine/settings.h"
#include "machine/startup.h"
#include "sound/sound_host.h"
#include "storage/drive_slots.h"
#include "video/video_state.h"

namespace {

constexpr int PANEL_WIDTH = 480, PANEL_HEIGHT = 230;
constexpr int CHOOSER_PANEL_WIDTH = 560, CHOOSER_PANEL_HEIGHT = 460;  // the disk panel while its chooser is open
constexpr int DEBUG_WIDTH = 360, DEBUG_HEIGHT = 130;
constexpr uint32_t DEBUGGER_IDLE_PUMP_MS = 100;  // the debugger's idle hook comes this often
constexpr uint32_t MODAL_WAIT_MS = 32;

// Texts of the menu, for the font's glyph ranges.
const std::vector<const char*> UI_TEXTS = {
    "X",      "AC plug", "----",         "information",      "reset",           "nmi",
    "option", "power",   "デバッグ情報", OPTION_SHEET_TITLE, INFO_DIALOG_TITLE, "かなローマ字コードひらがな全角",
};

MainWindow* g_window;  // the one main window, for the debugger's hooks

void debugger_run() {
    if (g_window) dlg_run_main_loop(*g_window, 0);
}

// Keeps the windows responsive while the console waits for a line: events
// are pumped into SDL's queue, none is taken; the panel takes what the
// stepped instructions told it; the windows are drawn again.
void debugger_idle() {
    SDL_PumpEvents();
    panel_take_notice(g_panel_dlg);
    if (g_window) g_window->redraw();
}

// The debugger's start: a failure leaves the window, whose "reset" tries again.
uint32_t session_start() { return g_window ? g_window->start_machine(true) : init_start(); }
// The end of a debugger session is the end of a run: the outputs asked for
// are written while the machine is still there.
void session_stop() {
    if (g_window) g_window->write_outputs();
    init_stop();
}

// Why SDL has no display to open windows on, empty when it has one. Without
// one it falls back to a driver that shows nothing (offscreen), and the
// program would wait for a click that cannot come. A driver the user chose
// (SDL_VIDEODRIVER) is taken as it is.
std::string sdl_display_missing() {
    const char* chosen = std::getenv("SDL_VIDEODRIVER");
    if (chosen && *chosen) return {};
    const char* driver = SDL_GetCurrentVideoDriver();
    std::string name = driver ? driver : "";
    if (name == "x11" || name == "wayland") return {};
    std::string asked;
    for (const char* var : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(var);
        if (value && *value) asked += std::string(asked.empty() ? "" : " nor ") + var + "=\"" + value + "\"";
    }
    return "SDL cannot open the display " + asked + " (it offers only its \"" + name +
           "\" driver, which shows nothing)";
}

}  // namespace

bool main_window_display_present() {
    const char* x = std::getenv("DISPLAY");
    const char* wl = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wl && *wl);
}

bool MainWindow::open() {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "zolm: no window: %s\n", SDL_GetError());
        return false;
    }
    std::string no_display = sdl_display_missing();
    if (!no_display.empty()) {
        std::fprintf(stderr, "zolm: no window: %s\n", no_display.c_str());
        return false;
    }
    host_set_keyboard_type(sdl_layout_is_japanese() ? HOST_KEYBOARD_JP106 : HOST_KEYBOARD_US101);
    if (joysticks_.open()) host_set_joystick_source(&joysticks_);
    joy_open_devices();
    std::string title = std::string("ZOLM ") + zolm_version();
    // Opened at its size with the menu bar: a window grown later shows the
    // window manager's background in the new rows until it is drawn.
    menu_height_ = int(UI_FONT_PIXELS + 2 * ImGuiStyle().FramePadding.y);
    if (!main_.open(title.c_str(), START_WIDTH, menu_height_ + START_HEIGHT, SDL_WINDOW_SHOWN, UI_TEXTS) ||
        !panel_.open(PANEL_CAPTION, PANEL_WIDTH, PANEL_HEIGHT, SDL_WINDOW_SHOWN, UI_TEXTS) ||
        !debug_.open(DEBUG_INFO_TITLE, DEBUG_WIDTH, DEBUG_HEIGHT, SDL_WINDOW_SHOWN, UI_TEXTS)) {
        std::fprintf(stderr, "zolm: no window: %s\n", SDL_GetError());
        return false;
    }
    panel_.enable_keyboard_navigation();  // its file chooser
    main_.make_current();
    // The font's size from its configuration: the font itself has none
    // until the atlas is built, at the first frame.
    const ImFontAtlas& fonts = *ImGui::GetIO().Fonts;
    const float font_px = fonts.ConfigData.empty() ? UI_FONT_PIXELS : fonts.ConfigData[0].SizePixels;
    menu_height_ = int(font_px + 2 * ImGui::GetStyle().FramePadding.y);  // the menu bar's, until it is drawn
    g_window = this;
    g_main_window_id = main_.id();
    ddraw_static_init();
    host_display_use_sdl(main_.window());
    host_display_set_menu_height(menu_height_);
    // The host's own cursor shape for the machine's mouse is the crosshair:
    // it marks the point the machine's pointer follows without hiding it.
    picture_cursor_ = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_CROSSHAIR);
    window_boxes_use(main_.window());
    g_panel_dlg.open = true;
    g_panel_dlg.on_power = app_on_power;
    g_panel_dlg.focus_main = [this] { give_focus(); };
    g_debugger_runner = debugger_run;
    g_debugger_idle_hook = debugger_idle;

    // The main dialog's initialisation.
    cfg_load();
    std::string refused = app_insert_images();
    if (!refused.empty()) {
        std::fprintf(stderr, "zolm: %s\n", refused.c_str());
        images_refused_ = true;
        return false;
    }
    g_video.src_width = START_WIDTH;
    check_color_depth();
    display_enum_modes(16);
    fit_client(true);
    g_video_host.g_relayout_request = 0;
    sdl_detach_input_method(g_settings.ime != 0);
    ddraw_setup();
    give_focus();
    return true;
}

// The disk panel and the debug information stand beside the main window,
// covering as little of it as the screen allows; once the window has its
// size and the window manager framed it (their frames are alike), or gave
// no frame in time.
void MainWindow::place_side_windows() {
    WindowFrame f;
    int w = 0, h = 0;
    main_.client_size(w, h);
    const bool settled = w == want_w_ && h == want_h_;  // X has applied the size asked
    if (!(main_.borders(f) && settled) && now_ms() - side_place_asked_ms_ < FRAME_WAIT_MS) return;
    side_place_due_ = false;
    if (main_.full_screen()) return;
    int x = 0, y = 0, pw = 0, ph = 0, dw = 0, dh = 0;
    SDL_GetWindowPosition(main_.window(), &x, &y);
    panel_.client_size(pw, ph);
    debug_.client_size(dw, dh);
    const int fw = f.left + f.right, fh = f.top + f.bottom;
    const SDL_Rect main{x - f.left, y - f.top, want_w_ + fw, want_h_ + fh};  // the size asked, whatever came yet
    const std::vector<SDL_Point> at =
        side_windows_place(main_.usable_area(), main, {{pw + fw, ph + fh}, {dw + fw, dh + fh}});
    SDL_SetWindowPosition(panel_.window(), at[0].x + f.left, at[0].y + f.top);
    SDL_SetWindowPosition(debug_.window(), at[1].x + f.left, at[1].y + f.top);
}

void MainWindow::close() {
    g_run_flags = RUN_STEP | RUN_BREAK;  // the machine stays stopped
    ddraw_release();
    host_display_use_sdl(nullptr);  // the desktop's mode back
    main_.set_cursor_override(nullptr);
    if (picture_cursor_) SDL_FreeCursor(picture_cursor_);
    picture_cursor_ = nullptr;
    panel_close(g_panel_dlg);
    g_debugger_runner = nullptr;
    g_debugger_idle_hook = nullptr;
    g_main_window_id = 0;
    window_boxes_release();
    g_window = nullptr;
    host_set_joystick_source(nullptr);
    joysticks_.close();
    debug_.close();
    panel_.close();
    main_.close();
    SDL_Quit();
}

uint32_t MainWindow::now_ms() {
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void MainWindow::give_focus() {
    SDL_RaiseWindow(main_.window());
    SDL_SetWindowInputFocus(main_.window());
}

bool MainWindow::has_focus() { return main_.is_open() && SDL_GetKeyboardFocus() == main_.window(); }

void MainWindow::wait_event(uint32_t ms) {
    SDL_WaitEventTimeout(nullptr, int(ms));
    redraw();
}

void MainWindow::run_slice(uint32_t step_flag) {
    if (!measuring_) {  // from the first slice: the 555/565 choice is no emulation
        measuring_ = true;
        run_started_ = std::chrono::steady_clock::now();
        run_cycles_ = g_scheduler.cycles_total;
    }
    init_run_slice(step_flag);
    if (g_machine.requests.event_request == REQ_END_SLICE && options_.frames && ++frames_ >= options_.frames)
        g_stop_request = STOP_AC_PLUG;
    if (dbg_interrupt_pending()) run_flags_set(RUN_BREAK);
}

void MainWindow::refresh_panel() { panel_refresh(g_panel_dlg); }

void MainWindow::take_notice() { panel_take_notice(g_panel_dlg); }

void MainWindow::show_statistics(const std::string& title) {
    last_title_ = title;
    panel_set_title(g_panel_dlg, title);
    panel_.set_title(g_panel_dlg.title);
}

bool MainWindow::pump() {
    SDL_Event e;
    bool stop = false;
    while (!stop && SDL_PollEvent(&e)) handle_event(e, stop);
    if (host_signal_ac_plug_pending()) on_cancel();
    refresh_ui();
    // A chooser of the panel is modal: no slice runs while it is open.
    if (g_panel_dlg.chooser.visible) run_panel_chooser();
    return true;
}

// The panel grows to hold the chooser (which fits any size it gets) and
// takes the keyboard for it; afterwards it is as it was.
void MainWindow::run_panel_chooser() {
    int w = 0, h = 0;
    panel_.client_size(w, h);
    panel_.set_client_size(std::max(w, CHOOSER_PANEL_WIDTH), std::max(h, CHOOSER_PANEL_HEIGHT));
    SDL_RaiseWindow(panel_.window());
    SDL_SetWindowInputFocus(panel_.window());
    modal_loop([](MainWindow&) { return g_panel_dlg.chooser.visible; });
    panel_.set_client_size(w, h);
    // Drawn whole at its own size before a refusal's box waits over it.
    side_events_ = true;
    redraw();
    panel_tell_refusal(g_panel_dlg);
}

void MainWindow::modal_loop(bool (*still_open)(MainWindow&)) {
    while (!dialog_ended_ && still_open(*this)) {
        SDL_Event e;
        bool stop = false;
        while (SDL_PollEvent(&e)) handle_event(e, stop);
        if (host_signal_ac_plug_pending()) {
            on_cancel();
            break;
        }
        redraw();
        SDL_WaitEventTimeout(nullptr, input_held() ? 0 : int(MODAL_WAIT_MS));
    }
}

void MainWindow::handle_event(const SDL_Event& e, bool& stop_pump) {
    if (e.type == SDL_QUIT) {
        on_cancel();
        return;
    }
    uint32_t id = 0;
    switch (e.type) {
    case SDL_WINDOWEVENT: id = e.window.windowID; break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: id = e.key.windowID; break;
    case SDL_TEXTINPUT: id = e.text.windowID; break;
    case SDL_MOUSEMOTION: id = e.motion.windowID; break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: id = e.button.windowID; break;
    case SDL_MOUSEWHEEL: id = e.wheel.windowID; break;
    default: return;
    }
    if (opt_keycode_running()) keycode_note(e);
    if (id == main_.id()) {
        main_.process_event(e);
        ui_events_ = true;
        main_window_event(e, stop_pump);
    } else if (id == panel_.id() || id == debug_.id()) {
        (id == panel_.id() ? panel_ : debug_).process_event(e);
        side_events_ = true;
        side_window_event(e);
    }
}

// The panel and the debug information stand beside the main window: their
// close box is its close (AC plug), and a click into them leaves the
// keyboard with the machine (but while the panel's chooser wants it).
void MainWindow::side_window_event(const SDL_Event& e) {
    if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE) on_cancel();
    if (e.type == SDL_MOUSEBUTTONUP && !g_panel_dlg.chooser.visible) give_focus();
}

// The DEBUG page's key-code readout notes the key records of every window.
void MainWindow::keycode_note(const SDL_Event& e) {
    if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE) {
        opt_keycode_feed({KeycodeEventKind::Close, 0});
        return;
    }
    if (e.type != SDL_KEYDOWN && e.type != SDL_KEYUP && e.type != SDL_TEXTINPUT) return;
    const EventMessages m = sdl_event_messages(e, menu_height_);
    for (int i = 0; i < m.count; i++) opt_keycode_filter(m.list[i]);
}

void MainWindow::main_window_event(const SDL_Event& e, bool& stop_pump) {
    if (e.type == SDL_WINDOWEVENT) {
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) on_cancel();
        if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) focus_lost();
        if (e.window.event == SDL_WINDOWEVENT_EXPOSED) g_video.g_full_redraw_countdown = 1;
        return;
    }
    if (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_o && (e.key.keysym.mod & KMOD_ALT) && !e.key.repeat) {
        on_command(CMD_OPTION);
        return;
    }
    // With IME set, Alt is the machine's F10 instead of the menu's key.
    if ((e.type == SDL_KEYDOWN || e.type == SDL_KEYUP) && g_settings.ime && !e.key.repeat &&
        (e.key.keysym.scancode == SDL_SCANCODE_LALT || e.key.keysym.scancode == SDL_SCANCODE_RALT)) {
        if (e.type == SDL_KEYDOWN && g_window_input.key_on_key_down && g_window_input.key_on_key_up) {
            g_window_input.key_on_key_down(alt_as_f10(main_.id(), true));
            g_window_input.key_on_key_up(alt_as_f10(main_.id(), false));
        }
        return;
    }
    main_.make_current();
    ImGuiIO& io = ImGui::GetIO();
    bool button = e.type == SDL_MOUSEBUTTONDOWN || e.type == SDL_MOUSEBUTTONUP;
    bool mouse = button || e.type == SDL_MOUSEMOTION;
    // The menu bar and the dialogs take what is meant for them.
    if (mouse && (io.WantCaptureMouse || (button && e.button.y < menu_height_))) return;
    if (!mouse && io.WantCaptureKeyboard) return;
    // The middle button, which the machine's mouse lacks, captures the
    // host pointer (relative mode) and lets it go.
    if (e.type == SDL_MOUSEBUTTONDOWN && e.button.button == SDL_BUTTON_MIDDLE) {
        set_mouse_capture(!SDL_GetRelativeMouseMode());
        return;
    }
    // Mouse records in the picture's coordinates, wherever it lies.
    SDL_Rect src, dst;
    picture_rect(src, dst);
    const int pw = g_video_host.client_width > 0 ? g_video_host.client_width : dst.w;
    const int ph = g_video_host.client_height > 0 ? g_video_host.client_height : dst.h;
    VirtualPointer* relative = nullptr;
    if (SDL_GetRelativeMouseMode()) {
        pointer_.width = pw;
        pointer_.height = ph;
        relative = &pointer_;
    }
    SDL_Event at = e;
    if (e.type == SDL_MOUSEMOTION) picture_point(dst, pw, ph, at.motion.x, at.motion.y);
    if (button) picture_point(dst, pw, ph, at.button.x, at.button.y);
    EventMessages m = sdl_event_messages(at, 0, relative);
    for (int i = 0; i < m.count; i++) emu_dispatch_window_message(m.list[i]);
    // SDL makes no double-click messages: each button event has a pass of
    // its own, so the machine sees every press and release.
    if (m.mouse_button) stop_pump = true;
}

void MainWindow::focus_lost() {
    set_mouse_capture(false);
    if (g_window_input.focus_lost) g_window_input.focus_lost();
}

void MainWindow::set_mouse_capture(bool on) {
    if (on == bool(SDL_GetRelativeMouseMode())) return;
    if (on) {  // the virtual pointer starts where the host pointer is
        int x = 0, y = 0;
        SDL_GetMouseState(&x, &y);
        SDL_Rect src, dst;
        picture_rect(src, dst);
        picture_point(dst, std::max(g_video_host.client_width, 1), std::max(g_video_host.client_height, 1), x, y);
        pointer_.x = x;
        pointer_.y = y;
    }
    SDL_SetRelativeMouseMode(on ? SDL_TRUE : SDL_FALSE);
}

void MainWindow::on_command(uint32_t id) {
    switch (id) {
    case CMD_RESET: on_ok(); break;
    case CMD_AC_PLUG: on_cancel(); break;
    case CMD_DEBUGGER: on_debugger(); break;
    case CMD_NMI: app_on_nmi(); break;
    case CMD_POWER: app_on_power(); break;
    case CMD_OPTION: run_option_sheet(); break;
    case CMD_INFORMATION: run_information(); break;
    default: break;
    }
}

void MainWindow::on_ok() {
    if (g_running) {
        init_reset_machine();
        return;
    }
    g_running = 1;
    g_debugger_active = 0;
    if (start_machine(false) == 0) {
        measuring_ = false;
        dlg_run_main_loop(*this, 0);
        print_run_statistics();
        write_outputs();
        init_stop();
        ddraw_release();
    } else {
        start_failed_ = true;
    }
    g_running = 0;
    dialog_ended_ = true;
}

uint32_t MainWindow::start_machine(bool window_stays) {
    uint32_t failed = init_start();
    if (failed) app_tell_start_failure(window_stays);
    else ever_started_ = true;
    return failed;
}

void MainWindow::on_cancel() {
    g_stop_request = STOP_AC_PLUG;
    if (!g_running) dialog_ended_ = true;
}

void MainWindow::on_debugger() {
    if (g_running) {
        dbg_dump_registers();
        return;
    }
    g_running = 1;
    g_debugger_active = 1;
    dbg_command_loop(DbgSession{session_start, session_stop});
    g_running = 0;
    g_debugger_active = 0;
    run_flags_clear(RUN_BREAK | RUN_STEP);
    cfg_save();
}

// A modal of the main window: the window grows to hold it while it is open.
// The keyboard works its controls meanwhile (arrows, Space), and no click
// elsewhere takes the keyboard from it.
void MainWindow::run_main_modal(bool (*still_open)(MainWindow&)) {
    modal_open_ = true;
    fit_client();
    main_.make_current();
    ImGui::GetIO().ConfigFlags |= ImGuiConfigFlags_NavEnableKeyboard;
    modal_loop(still_open);
    main_.make_current();
    ImGui::GetIO().ConfigFlags &= ~ImGuiConfigFlags_NavEnableKeyboard;
    modal_open_ = false;
    fit_client();
}

void MainWindow::run_option_sheet() {
    option_sheet_open(sheet_);
    run_main_modal([](MainWindow& w) { return w.sheet_.open; });
}

void MainWindow::run_information() {
    info_dialog_open(info_);
    run_main_modal([](MainWindow& w) { return w.info_.open; });
}

int MainWindow::run() {
    on_command(CMD_DEBUGGER);  // opened at every start
    while (!dialog_ended_) {
        SDL_Event e;
        bool stop = false;
        while (!dialog_ended_ && SDL_PollEvent(&e)) handle_event(e, stop);
        if (host_signal_ac_plug_pending()) on_cancel();
        if (dialog_ended_) break;
        redraw();
        if (g_panel_dlg.chooser.visible) run_panel_chooser();
        SDL_WaitEventTimeout(nullptr, input_held() ? 0 : int(MODAL_WAIT_MS));
    }
    bool settings_saved = cfg_save();
    host_message_box_flush();
    // A program that ends without the machine ever having started failed.
    if (start_failed_ || !ever_started_) return EXIT_START_FAILED;
    if (init_files_unsaved() || !settings_saved) return EXIT_UNSAVED;
    return shot_failed_ ? EXIT_RUN_FAILED : 0;
}

int main_window_run(const HeadlessOptions& options) {
    clock_set_pacing(options.virtual_clock ? ClockPacing::Virtual : ClockPacing::HostThread);
    sound_host_start(sound_host_options(options, true));
    MainWindow window(options);
    if (!window.open()) {
        window.close();
        sound_host_finish();
        return window.images_refused() ? EXIT_USAGE : EXIT_START_FAILED;
    }
    int status = window.run();
    window.close();  // ejects: a written ".DIM" is written back
    if (panel_write_back_failed()) status = EXIT_UNSAVED;
    if (!sound_host_finish()) {
        std::fprintf(stderr, "zolm: %s could not be written: %s\n", options.wav.c_str(),
                     write_error_text(errno).c_str());
        if (status == 0) status = EXIT_RUN_FAILED;
    }
    return status;
}
