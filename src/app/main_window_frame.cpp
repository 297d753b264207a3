// The main window's drawing: the picture from the host frame buffer, the
// menu bar over it, the other two windows, the 555/565 choice and the
// window shot.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>

#include "app/app_commands.h"
#include "app/disk_panel.h"
#include "app/disk_panel_perf.h"
#include "app/main_window_impl.h"
#include "app/main_window_view.h"
#include "host/display_mode.h"
#include "host/paths.h"
#include "host/png_writer.h"
#include "host/sdl_key_text.h"
#include "machine/log_lines.h"
#include "machine/machine.h"
#include "machine/scheduler.h"
#include "machine/settings.h"
#include "video/palette.h"
#include "video/video_state.h"

namespace {

constexpr int32_t H_SCALE_ONE = 4096, V_SCALE_ONE = 1024;
constexpr int32_t PATTERN_SIZE = 256;  // the 555/565 test pattern, square
constexpr int32_t PATTERN_V_SCALE = 0x800;
constexpr int32_t PATTERN_H_SCALES[] = {0x3000, 0x2800, 0x2000};
constexpr uint32_t CHOICE_RUN_MS = 500;
constexpr int CHOICE_RUN_REPEATS = 400;
constexpr int32_t DESKTOP_BPP = 16;                      // SDL renders the 16-bit picture at any desktop depth
constexpr int32_t CENTRE_W = 768, CENTRE_H = 512;        // the picture the window is centred for
constexpr int32_t DDRAW_FIT_W = 640, DDRAW_FIT_H = 512;  // the switcher fits pictures up to this size

}  // namespace

void MainWindow::check_color_depth() {
    VideoHost& v = g_video_host;
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) mode.w = mode.h = 0;
    int32_t ow, oh;
    display_outer_size(0, 0, ow, oh);
    v.screen_width = mode.w - ow;
    v.screen_height = mode.h - oh;
    v.desktop_bpp = DESKTOP_BPP;
    v.g_window_origin_x = std::max((v.screen_width - CENTRE_W) / 2, 0);
    v.g_window_origin_y = std::max((v.screen_height - CENTRE_H) / 2, 0);
    v.g_relayout_request = 1;
    v.desktop_bpp_seen = v.desktop_bpp;
    log_add_line("color mode is good:   16 bit/pixel");
    frame_buffer_setup(fb_, g_settings.sel15bpp == 0);
    g_settings.vram_size = 1;
    bitmap_ready_ = main_.picture_setup(FB_PIXELS_PER_ROW, FB_ROWS, v.rgb565 != 0);
}

// One timed run of the choice: paints of the test pattern at three widths
// until the time or the repeats run out.
bool MainWindow::choose_timed_run(bool rgb565, int& paints) {
    g_video_host.rgb565 = rgb565;
    if (!main_.picture_setup(FB_PIXELS_PER_ROW, FB_ROWS, rgb565)) return false;
    for (int32_t y = 0; y < PATTERN_SIZE; y++)
        for (int32_t x = 0; x < PATTERN_SIZE; x++)
            fb_.pixels[size_t(16 + y) * FB_PIXELS_PER_ROW + 16 + x] = uint16_t(y * 0x101);
    paints = 0;
    uint32_t start = now_ms();
    for (int rep = 0; rep < CHOICE_RUN_REPEATS && now_ms() - start < CHOICE_RUN_MS; rep++) {
        for (int32_t h_scale : PATTERN_H_SCALES) {
            main_.picture_update(fb_.pixels.data(), FB_PIXELS_PER_ROW, 16, 16 + PATTERN_SIZE);
            SDL_Rect src{16, 16, PATTERN_SIZE, PATTERN_SIZE};
            SDL_Rect dst{0, menu_height_, PATTERN_SIZE * h_scale / H_SCALE_ONE,
                         PATTERN_SIZE * PATTERN_V_SCALE / V_SCALE_ONE};
            SDL_RenderClear(main_.renderer());
            main_.picture_draw(src, dst);
            SDL_RenderPresent(main_.renderer());
            SDL_PumpEvents();
            paints++;
        }
    }
    return true;
}

void MainWindow::choose_pixel_format() {
    static bool chosen = false;  // g_dib_format_chosen: once a program run
    VideoHost& v = g_video_host;
    if (chosen) return;
    chosen = true;
    if (v.desktop_bpp_seen == g_settings.bppreg) return;
    g_settings.bppreg = v.desktop_bpp_seen;
    if (v.bits_per_pixel != 16) return;
    int warm = 0, p555 = 0, p565 = 0;
    bool ok = choose_timed_run(false, warm) && choose_timed_run(true, p565) && choose_timed_run(false, p555);
    bool use555 = ok && 95 * p555 > 100 * p565;
    g_settings.sel15bpp = use555 ? 1 : 0;
    frame_buffer_setup(fb_, !use555);
    bitmap_ready_ = main_.picture_setup(FB_PIXELS_PER_ROW, FB_ROWS, !use555);
    g_video.g_full_redraw_countdown = 1;
}

void MainWindow::fit_client(bool to_origin) {
    bool shown = g_video_host.client_width > 0 && g_video_host.client_height > 0;
    int w = shown ? g_video_host.client_width : START_WIDTH;
    int h = menu_height_ + (shown ? g_video_host.client_height : START_HEIGHT);
    if (modal_open_) {  // a dialog of the main window needs room; the picture is scaled meanwhile
        w = std::max(w, MODAL_MIN_W);
        h = std::max(h, MODAL_MIN_H);
    }
    if (main_.full_screen()) {  // the display's mode gives the size
        want_w_ = want_h_ = 0;
        return;
    }
    SDL_Rect r = main_.place(g_video_host.g_window_origin_x, g_video_host.g_window_origin_y, w, h, to_origin);
    // A new size moves the side windows to stay beside the window.
    if (r.w != want_w_ || r.h != want_h_) {
        side_place_due_ = true;
        side_place_asked_ms_ = now_ms();
    }
    want_w_ = r.w;
    want_h_ = r.h;
    fit_asked_ = now_ms();
}

// X11 applies sizes late, and an early answer can undo a later request:
// the size is asked again until the window has it.
void MainWindow::keep_client_size() {
    int w, h;
    main_.client_size(w, h);
    if (want_w_ <= 0 || main_.full_screen() || (w == want_w_ && h == want_h_) || now_ms() - fit_asked_ < FIT_RETRY_MS)
        return;
    SDL_SetWindowSize(main_.window(), want_w_, want_h_);
    fit_asked_ = now_ms();
}

void MainWindow::draw_frame() {
    if (!bitmap_ready_) return;
    pal_refresh_pacing();
    perf_mark_start(PERF_GEN);
    VideoHost& h = g_video_host;
    VideoState& v = g_video;
    v.vid_render_frame(fb_.bytes(), forced_top_, forced_bottom_);
    perf_mark_end(PERF_GEN);
    perf_elapsed(PERF_GEN);
    int32_t cw = v.h_scale * v.src_width / H_SCALE_ONE, ch = v.v_scale * v.src_height / V_SCALE_ONE;
    bool layout = cw != h.client_width || ch != h.client_height;
    h.client_width = cw;
    h.client_height = ch;
    int32_t top = v.dirty_top, bottom = v.dirty_bottom;
    if (layout || h.g_relayout_request) {
        h.g_relayout_request = 0;
        if (g_settings.autosize || (h.g_ddraw_active && cw <= DDRAW_FIT_W && ch <= DDRAW_FIT_H))
            display_fit_window(cw, ch);
        fit_client(true);
        top = 0;
        bottom = h.drawable_lines;
    }
    forced_top_ = h.drawable_lines;
    forced_bottom_ = 0;
    // Output line i is buffer row 16 + i. A frame that changed no line
    // leaves the window as it is.
    if (bottom < top) return;
    main_.picture_update(fb_.pixels.data(), FB_PIXELS_PER_ROW, 16 + top, 16 + bottom);
    redraw();
}

void MainWindow::refresh_ui() {
    if (ui_events_ || input_held() || now_ms() - ui_drawn_ >= UI_REDRAW_MS) redraw();
}

void MainWindow::picture_rect(SDL_Rect& src, SDL_Rect& dst) const {
    src = {16, 16, g_video.src_width, g_video.src_height};
    int w, h;
    main_.client_size(w, h);
    dst = picture_place(w, h, menu_height_, g_video_host.client_width, g_video_host.client_height, main_.full_screen());
}

void MainWindow::draw_picture(HostWindow& w, void* self) {
    MainWindow& m = *static_cast<MainWindow*>(self);
    if (!m.bitmap_ready_ || g_video.src_width <= 0 || g_video.src_height <= 0) return;
    perf_mark_start(PERF_BITBLT);
    SDL_Rect src, dst;
    m.picture_rect(src, dst);
    w.picture_draw(src, dst);
    perf_mark_end(PERF_BITBLT);
    perf_elapsed(PERF_BITBLT);
    if (g_settings.perform)
        for (int id = 0; id < PERF_WATCHES; id++) perf_format(PerfWatchId(id));
}

void MainWindow::draw_menu() {
    if (!ImGui::BeginMainMenuBar()) return;
    if (ImGui::BeginMenu("X")) {
        if (ImGui::MenuItem("AC plug")) pending_command_ = CMD_AC_PLUG;
        if (ImGui::MenuItem("----")) pending_command_ = CMD_DEBUGGER;
        if (ImGui::MenuItem("information")) pending_command_ = CMD_INFORMATION;
        ImGui::EndMenu();
    }
    if (ImGui::MenuItem("reset")) pending_command_ = CMD_RESET;
    if (ImGui::MenuItem("nmi")) pending_command_ = CMD_NMI;
    if (ImGui::MenuItem("option", "Alt+O")) pending_command_ = CMD_OPTION;
    if (ImGui::MenuItem("power")) pending_command_ = CMD_POWER;
    int height = int(ImGui::GetWindowHeight());
    ImGui::EndMainMenuBar();
    if (height != menu_height_) {
        menu_height_ = height;
        host_display_set_menu_height(menu_height_);
        if (want_w_ > 0) fit_client();
    }
}

void MainWindow::draw_main_ui() {
    draw_menu();
    if (sheet_.open && !option_sheet_draw(sheet_)) sheet_.open = false;
    if (info_.open && !info_dialog_draw(info_)) info_.open = false;
}

void MainWindow::redraw() {
    ui_events_ = false;
    ui_drawn_ = now_ms();
    keep_client_size();
    if (side_place_due_) place_side_windows();
    main_.begin_frame();
    draw_main_ui();
    update_cursor();
    main_.end_frame(draw_picture, this);
    // The IME setting takes effect at once: the input method detached or back.
    if ((g_settings.ime != 0) != sdl_input_method_detached()) sdl_detach_input_method(g_settings.ime != 0);
    // The panel and the debug information change at most with the
    // statistics: drawn after their own events, else every SIDE_REDRAW_MS.
    uint32_t now = now_ms();
    if (side_events_ || panel_.input_held() || debug_.input_held() || now - side_drawn_ >= SIDE_REDRAW_MS) {
        side_events_ = false;
        side_drawn_ = now;
        panel_.begin_frame();
        disk_panel_draw(g_panel_dlg);
        panel_.end_frame();
        debug_.begin_frame();
        debug_info_draw(g_debug_text);
        debug_.end_frame();
    }
    run_pending_command();
}

void MainWindow::update_cursor() {
    int x = 0, y = 0;
    SDL_GetMouseState(&x, &y);
    bool over_dialog = ImGui::IsWindowHovered(ImGuiHoveredFlags_AnyWindow) || ImGui::IsAnyItemHovered();
    main_.set_cursor_override(picture_cursor_wanted(g_settings.mouse, y, menu_height_, over_dialog) ? picture_cursor_
                                                                                                    : nullptr);
}

void MainWindow::run_pending_command() {
    uint32_t id = pending_command_;
    pending_command_ = 0;
    if (id) on_command(id);
}

bool MainWindow::write_window_shot() {
    if (options_.window_shot.empty() || !bitmap_ready_) return true;
    // The picture as the last frame left it, read back before it is shown.
    main_.begin_frame();
    main_.make_current();
    ImGui::Render();
    SDL_SetRenderDrawColor(main_.renderer(), 0, 0, 0, 255);
    SDL_RenderClear(main_.renderer());
    draw_picture(main_, this);
    SDL_Rect src, dst;
    picture_rect(src, dst);
    bool ok = main_.read_png(dst, options_.window_shot);
    SDL_RenderPresent(main_.renderer());
    if (!ok) std::fprintf(stderr, "zolm: %s could not be written\n", options_.window_shot.c_str());
    return ok;
}

void MainWindow::print_run_statistics() {
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - run_started_).count();
    if (seconds <= 0) seconds = 1e-9;
    std::printf("X68000 %.1fMHz\n", double(g_scheduler.cycles_total - run_cycles_) / seconds / 1e6);
}

void MainWindow::write_outputs() {
    if (!write_window_shot()) shot_failed_ = true;
    if (!options_.screenshot.empty() && !frame_buffer_screenshot(fb_, options_.screenshot)) {
        std::fprintf(stderr, "zolm: %s could not be written: %s\n", options_.screenshot.c_str(),
                     write_error_text(errno).c_str());
        shot_failed_ = true;
    }
    if (options_.dump_ram.empty()) return;
    if (!g_machine.main_ram || !write_file_whole(options_.dump_ram, g_machine.main_ram, g_machine.main_ram_size)) {
        std::fprintf(stderr, "zolm: %s could not be written: %s\n", options_.dump_ram.c_str(),
                     write_error_text(g_machine.main_ram ? errno : ENOMEM).c_str());
        shot_failed_ = true;
    }
}
