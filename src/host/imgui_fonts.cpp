#include "host/imgui_fonts.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <list>

namespace {

// The atlas keeps the pointer to the ranges until it is built: they live
// as long as the program. Calls that need the same ranges share them.
std::list<ImVector<ImWchar>> g_ranges;

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

namespace {

const std::string& ui_font_file() {
    static const std::string file = imgui_font_file(UI_FONT_FAMILY);
    return file;
}

}  // namespace

bool imgui_load_ui_font(const std::vector<const char*>& texts) {
    ImGuiIO& io = ImGui::GetIO();
    const std::string& file = ui_font_file();
    if (file.empty()) {
        io.Fonts->AddFontDefault();
        return false;
    }
    ImFontGlyphRangesBuilder builder;
    builder.AddRanges(io.Fonts->GetGlyphRangesJapanese());
    for (const char* t : texts) builder.AddText(t);
    ImVector<ImWchar> ranges;
    builder.BuildRanges(&ranges);
    auto same = std::find_if(g_ranges.begin(), g_ranges.end(), [&](const ImVector<ImWchar>& r) {
        return r.Size == ranges.Size && std::memcmp(r.Data, ranges.Data, size_t(ranges.size_in_bytes())) == 0;
    });
    if (same == g_ranges.end()) {
        g_ranges.emplace_back().swap(ranges);
        same = std::prev(g_ranges.end());
    }
    return io.Fonts->AddFontFromFileTTF(file.c_str(), UI_FONT_PIXELS, nullptr, same->Data) != nullptr;
}

bool imgui_load_ui_font_for(const std::vector<std::string>& texts, ImVector<ImWchar>& ranges) {
    ImGuiIO& io = ImGui::GetIO();
    const std::string& file = ui_font_file();
    if (file.empty()) {
        io.Fonts->AddFontDefault();
        return false;
    }
    ImFontGlyphRangesBuilder builder;
    builder.AddRanges(io.Fonts->GetGlyphRangesDefault());
    for (const std::string& t : texts) builder.AddText(t.c_str(), t.c_str() + t.size());
    ranges.clear();
    builder.BuildRanges(&ranges);
    return io.Fonts->AddFontFromFileTTF(file.c_str(), UI_FONT_PIXELS, nullptr, ranges.Data) != nullptr;
}
