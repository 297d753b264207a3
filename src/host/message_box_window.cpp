#include "host/message_box_window.h"

#include <algorithm>
#include <string>

#include "host/imgui_fonts.h"
#include "host/signals.h"

void (*g_box_window_frame_hook)(BoxWindow& box) = nullptr;

namespace {

constexpr int SCREEN_MARGIN = 8;      // kept free between the box and the screen's edge
constexpr uint32_t WAIT_MS = 32;      // a waiting box looks at its events this often
constexpr size_t WAITING_MAX = 1024;  // other windows' events kept while a box waits
constexpr float FOCUS_THICKNESS = 2.0f;

// The usable area of the display parent is on (the first display without
// one); the whole display where the usable area cannot be had.
SDL_Rect usable_area(SDL_Window* parent) {
    int display = parent ? SDL_GetWindowDisplayIndex(parent) : 0;
    if (display < 0) display = 0;
    SDL_Rect r{0, 0, 0, 0};
    if (SDL_GetDisplayUsableBounds(display, &r) != 0 || r.w <= 0 || r.h <= 0) SDL_GetDisplayBounds(display, &r);
    if (r.w <= 0 || r.h <= 0) r = {0, 0, 640, 480};
    return r;
}

// Centred over parent, or over the area; then moved into the area.
SDL_Point box_place(SDL_Window* parent, const SDL_Rect& area, int w, int h) {
    SDL_Rect over = area;
    if (parent) {
        SDL_GetWindowPosition(parent, &over.x, &over.y);
        SDL_GetWindowSize(parent, &over.w, &over.h);
    }
    int x = over.x + (over.w - w) / 2, y = over.y + (over.h - h) / 2;
    x = std::clamp(x, area.x + SCREEN_MARGIN, std::max(area.x + SCREEN_MARGIN, area.x + area.w - SCREEN_MARGIN - w));
    y = std::clamp(y, area.y + SCREEN_MARGIN, std::max(area.y + SCREEN_MARGIN, area.y + area.h - SCREEN_MARGIN - h));
    return {x, y};
}

uint32_t event_window(const SDL_Event& e) {
    switch (e.type) {
    case SDL_WINDOWEVENT: return e.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP: return e.key.windowID;
    case SDL_TEXTINPUT: return e.text.windowID;
    case SDL_TEXTEDITING: return e.edit.windowID;
    case SDL_MOUSEMOTION: return e.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return e.button.windowID;
    case SDL_MOUSEWHEEL: return e.wheel.windowID;
    default: return 0;
    }
}

ImVec2 at(const BoxRect& r) { return ImVec2(float(r.x), float(r.y)); }
ImVec2 end_of(const BoxRect& r) { return ImVec2(float(r.x + r.w), float(r.y + r.h)); }

void draw_icon(ImDrawList& dl, const BoxRect& r, BoxIcon icon) {
    if (icon == BoxIcon::none) return;
    const ImVec2 c(float(r.x) + r.w / 2.0f, float(r.y) + r.h / 2.0f);
    const float rad = r.w / 2.0f;
    const ImU32 white = IM_COL32_WHITE;
    const char* mark = nullptr;
    switch (icon) {
    case BoxIcon::warning:
        dl.AddTriangleFilled(ImVec2(c.x, float(r.y)), ImVec2(float(r.x + r.w), float(r.y + r.h)),
                             ImVec2(float(r.x), float(r.y + r.h)), IM_COL32(230, 180, 30, 255));
        mark = "!";
        break;
    case BoxIcon::error: {
        dl.AddCircleFilled(c, rad, IM_COL32(200, 40, 40, 255));
        const float d = rad * 0.4f;
        dl.AddLine(ImVec2(c.x - d, c.y - d), ImVec2(c.x + d, c.y + d), white, 3.0f);
        dl.AddLine(ImVec2(c.x + d, c.y - d), ImVec2(c.x - d, c.y + d), white, 3.0f);
        return;
    }
    case BoxIcon::question: mark = "?"; [[fallthrough]];
    default:
        dl.AddCircleFilled(c, rad, IM_COL32(40, 100, 200, 255));
        if (!mark) mark = "i";
        break;
    }
    const ImVec2 size = ImGui::CalcTextSize(mark);
    dl.AddText(ImVec2(c.x - size.x / 2, c.y - size.y / 2 + (icon == BoxIcon::warning ? rad / 4 : 0)), white, mark);
}

}  // namespace

bool BoxWindow::open(const BoxSpec& spec, SDL_Window* parent) {
    close();
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
        started_video_ = true;
    }
    spec_ = spec;
    input_ = box_input_start(spec_);
    uint32_t flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALWAYS_ON_TOP;
    std::string title = spec_.caption;
    if (title.empty()) {  // no caption: no title bar; the window is known by its first line
        flags |= SDL_WINDOW_BORDERLESS;
        title = spec_.text.substr(0, spec_.text.find('\n'));
    }
    if (!host_.open(title.c_str(), 1, 1, flags, {})) {
        close();
        return false;
    }
    // The box's own font: its texts' characters alone, built now so that
    // the text can be measured before the first frame.
    host_.make_current();
    ImFontAtlas& atlas = *ImGui::GetIO().Fonts;
    atlas.Clear();
    std::vector<std::string> texts = {spec_.caption, spec_.framed, spec_.text, spec_.check};
    texts.insert(texts.end(), spec_.buttons.begin(), spec_.buttons.end());
    imgui_load_ui_font_for(texts, ranges_);
    atlas.Build();
    const SDL_Rect area = usable_area(parent);
    layout_ = box_layout(spec_, *atlas.Fonts[0], area.w - 2 * SCREEN_MARGIN, area.h - 2 * SCREEN_MARGIN);
    SDL_SetWindowSize(host_.window(), layout_.width, layout_.height);
    const SDL_Point p = box_place(parent, area, layout_.width, layout_.height);
    SDL_SetWindowPosition(host_.window(), p.x, p.y);
    if (parent) SDL_SetWindowModalFor(host_.window(), parent);
    SDL_ShowWindow(host_.window());
    SDL_RaiseWindow(host_.window());
    draw();
    return true;
}

void BoxWindow::close() {
    host_.close();
    ranges_.clear();
    if (started_video_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    started_video_ = false;
    hand_back_events();
}

void BoxWindow::hand_back_events() {
    for (SDL_Event& e : waiting_) SDL_PushEvent(&e);
    waiting_.clear();
}

int BoxWindow::run() {
    if (!is_open() || spec_.buttons.empty()) return -1;  // a notice is closed by its owner
    const int fallback = spec_.cancel_button >= 0 ? spec_.cancel_button : spec_.default_button;
    uint32_t last_focus_ms = 0;
    while (input_.pressed < 0) {
        if (host_signal_ac_plug_pending()) {
            input_.pressed = fallback;
            break;
        }
        // Keep the keyboard: a box answers Enter and Esc at once.
        uint32_t now = SDL_GetTicks();
        if (SDL_GetKeyboardFocus() != host_.window() && now - last_focus_ms >= WAIT_MS * 8) {
            SDL_SetWindowInputFocus(host_.window());
            last_focus_ms = now;
        }
        draw();
        if (g_box_window_frame_hook) g_box_window_frame_hook(*this);
        if (input_.pressed >= 0) break;
        SDL_WaitEventTimeout(nullptr, host_.input_held() ? 0 : int(WAIT_MS));
    }
    int pressed = input_.pressed;
    close();
    return pressed;
}

void BoxWindow::take_event(const SDL_Event& e) {
    const uint32_t id = event_window(e);
    if (id != 0 && id == SDL_GetWindowID(host_.window())) {
        if (e.type == SDL_KEYDOWN) key(e.key.keysym);
        else if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE)
            box_key(spec_, input_, BoxKey::escape);
        else if (e.type != SDL_KEYUP && e.type != SDL_TEXTINPUT) host_.process_event(e);
        return;
    }
    // Another window's: it comes again after the box. Of a run of the
    // pointer's moves over it the last is enough to light what is under it.
    // What the box uncovers of it is drawn again at once.
    if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_EXPOSED) HostWindow::repaint_window(id);
    if (e.type == SDL_MOUSEMOTION && !waiting_.empty() && waiting_.back().type == SDL_MOUSEMOTION &&
        waiting_.back().motion.windowID == e.motion.windowID) {
        waiting_.back() = e;
        return;
    }
    if (waiting_.size() >= WAITING_MAX) return;
    waiting_.push_back(e);
}

void BoxWindow::key(const SDL_Keysym& k) {
    switch (k.sym) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER: box_key(spec_, input_, BoxKey::enter); break;
    case SDLK_SPACE: box_key(spec_, input_, BoxKey::space); break;
    case SDLK_ESCAPE: box_key(spec_, input_, BoxKey::escape); break;
    case SDLK_TAB: box_key(spec_, input_, (k.mod & KMOD_SHIFT) ? BoxKey::previous : BoxKey::next); break;
    case SDLK_RIGHT:
    case SDLK_DOWN: box_key(spec_, input_, BoxKey::next); break;
    case SDLK_LEFT:
    case SDLK_UP: box_key(spec_, input_, BoxKey::previous); break;
    default: break;
    }
}

void BoxWindow::draw() {
    if (!is_open()) return;
    SDL_Event e;
    while (SDL_PollEvent(&e)) take_event(e);
    host_.begin_frame();
    draw_contents();
    host_.end_frame();
}

void BoxWindow::draw_contents() {
    const BoxLayout& lay = layout_;
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(ImVec2(float(lay.width), float(lay.height)));
    ImGui::Begin("##box", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings |
                     ImGuiWindowFlags_NoNav | ImGuiWindowFlags_NoBringToFrontOnFocus);
    ImDrawList& dl = *ImGui::GetWindowDrawList();
    const ImU32 text_colour = ImGui::GetColorU32(ImGuiCol_Text);
    if (!spec_.framed.empty()) {
        dl.AddRectFilled(at(lay.framed), end_of(lay.framed), ImGui::GetColorU32(ImGuiCol_FrameBg));
        dl.AddRect(at(lay.framed), end_of(lay.framed), ImGui::GetColorU32(ImGuiCol_BorderShadow), 0, 0, 2.0f);
        dl.AddRect(at(lay.framed), end_of(lay.framed), ImGui::GetColorU32(ImGuiCol_Border));
        const float y = float(lay.framed.y) + (lay.framed.h - ImGui::GetFontSize()) / 2;
        dl.AddText(ImVec2(float(lay.framed.x + 6), y), text_colour, spec_.framed.c_str());
    }
    draw_icon(dl, lay.icon, spec_.icon);

    ImGui::SetCursorPos(at(lay.text));
    ImGui::BeginChild("##text", ImVec2(float(lay.text.w), float(lay.text.h)), false,
                      lay.text_scrolls ? 0 : ImGuiWindowFlags_NoScrollbar);
    for (size_t i = 0; i < lay.lines.size(); ++i) {
        int x = spec_.centred ? std::max(0, (lay.text.w - lay.line_widths[i]) / 2) : 0;
        ImGui::SetCursorPos(ImVec2(float(x), float(int(i) * lay.line_height)));
        ImGui::TextUnformatted(lay.lines[i].c_str());
    }
    ImGui::EndChild();

    for (size_t i = 0; i < lay.buttons.size(); ++i) {
        const BoxRect& b = lay.buttons[i];
        ImGui::SetCursorPos(at(b));
        ImGui::PushID(int(i));
        if (ImGui::Button(spec_.buttons[i].c_str(), ImVec2(float(b.w), float(b.h)))) input_.pressed = int(i);
        ImGui::PopID();
    }
    if (!spec_.check.empty()) {
        ImGui::SetCursorPos(at(lay.check));
        ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(0, 0));
        ImGui::Checkbox(spec_.check.c_str(), &input_.checked);
        ImGui::PopStyleVar();
    }
    // The item that has the keyboard: Enter or Space works it.
    if (!spec_.buttons.empty()) {
        const bool on_check = input_.focus >= int(lay.buttons.size());
        const BoxRect& r = on_check ? lay.check : lay.buttons[size_t(input_.focus)];
        dl.AddRect(ImVec2(float(r.x - 3), float(r.y - 3)), ImVec2(float(r.x + r.w + 3), float(r.y + r.h + 3)),
                   ImGui::GetColorU32(ImGuiCol_NavHighlight), 3.0f, 0, FOCUS_THICKNESS);
    }
    ImGui::End();
}
