#include "host/imgui_fonts.h"

#include <fontconfig/fontconfig.h>

namespace {

// The atlas keeps the pointer to the ranges until it is built: they live
// as long as the program.
ImVector<ImWchar> g_ranges;

}  // namespace

std::string imgui_font_file(const char* family) {
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config) return {};
    std::string path;
    FcPattern* pat = FcPatternCreate();
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcConfigSubstitute(config, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult result;
    FcPattern* match = FcFontMatch(config, pat, &result);
    FcPatternDestroy(pat);
    FcChar8* name = nullptr;
    FcChar8* file = nullptr;
    // A substitute face with another name is no IPAGothic.
    if (match && FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch &&
        FcStrCmpIgnoreCase(name, reinterpret_cast<const FcChar8*>(family)) == 0 &&
        FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
        path = reinterpret_cast<const char*>(file);
    if (match) FcPatternDestroy(match);
    FcConfigDestroy(config);
    return path;
}

bool imgui_load_ui_font(const std::vector<const char*>& texts) {
    ImGuiIO& io = ImGui::GetIO();
    static const std::string file = imgui_font_file(UI_FONT_FAMILY);
    if (file.empty()) {
        io.Fonts->AddFontDefault();
        return false;
    }
    if (g_ranges.empty()) {
        ImFontGlyphRangesBuilder builder;
        builder.AddRanges(io.Fonts->GetGlyphRangesJapanese());
        for (const char* t : texts) builder.AddText(t);
        builder.BuildRanges(&g_ranges);
    }
    return io.Fonts->AddFontFromFileTTF(file.c_str(), UI_FONT_PIXELS, nullptr, g_ranges.Data) != nullptr;
}
