#include "host/sdl_window.h"

#include <imgui_impl_sdl.h>
#include <imgui_impl_sdlrenderer.h>

#include <cstring>
#include <vector>

#include "host/imgui_fonts.h"
#include "host/png_writer.h"

namespace {

// An OpenGL renderer on a software rasterizer (no GPU, as under Xvfb) costs
// far more than SDL's own software renderer for a picture and a menu bar.
// A renderer the user chose (SDL_RENDER_DRIVER) is kept.
bool rasterizes_in_software(SDL_Renderer* renderer) {
    if (SDL_GetHint(SDL_HINT_RENDER_DRIVER)) return false;
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(renderer, &info) != 0 || !info.name || std::strncmp(info.name, "opengl", 6) != 0)
        return false;
    constexpr unsigned GL_RENDERER_NAME = 0x1F01; // GL_RENDERER
    using GetString = const unsigned char* (*)(unsigned);
    auto get_string = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const char* name = get_string ? reinterpret_cast<const char*>(get_string(GL_RENDERER_NAME)) : nullptr;
    if (!name) return false;
    return std::strstr(name, "llvmpipe") || std::strstr(name, "softpipe") || std::strstr(name, "Software");
}

} // namespace

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
    io.IniFilename = nullptr; // no imgui.ini: the settings are the program's own
    io.LogFilename = nullptr;
    imgui_load_ui_font(font_texts);
    ImGui::StyleColorsDark();
    ImGui_ImplSDL2_InitForSDLRenderer(window_);
    ImGui_ImplSDLRenderer_Init(renderer_);
    if (before) ImGui::SetCurrentContext(before);
    return true;
}

void HostWindow::close() {
    if (context_) {
        ImGuiContext* before = ImGui::GetCurrentContext();
        ImGui::SetCurrentContext(context_);
        ImGui_ImplSDLRenderer_Shutdown();
        ImGui_ImplSDL2_Shutdown();
        ImGui::DestroyContext(context_);
        ImGui::SetCurrentContext(before == context_ ? nullptr : before);
        context_ = nullptr;
    }
    if (picture_) SDL_DestroyTexture(picture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
    picture_ = nullptr;
    renderer_ = nullptr;
    window_ = nullptr;
}

void HostWindow::process_event(const SDL_Event& e) {
    make_current();
    ImGui_ImplSDL2_ProcessEvent(&e);
}

void HostWindow::begin_frame() {
    make_current();
    ImGui_ImplSDLRenderer_NewFrame();
    ImGui_ImplSDL2_NewFrame();
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
}

void HostWindow::set_title(const std::string& title) {
    if (window_) SDL_SetWindowTitle(window_, title.c_str());
}

void HostWindow::set_client_size(int w, int h) {
    int cw, ch;
    client_size(cw, ch);
    if (window_ && (cw != w || ch != h)) SDL_SetWindowSize(window_, w, h);
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
