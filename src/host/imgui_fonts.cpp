#include "host/imgui_fonts.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <list>
#include <string>
#include <string_view>

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

// The glyph ranges of base and of the characters of texts, into ranges.
template <class Texts> void build_ranges(const ImWchar* base, const Texts& texts, ImVector<ImWchar>& ranges) {
    ImFontGlyphRangesBuilder builder;
    builder.AddRanges(base);
    for (std::string_view t : texts) builder.AddText(t.data(), t.data() + t.size());
    ranges.clear();
    builder.BuildRanges(&ranges);
}

// Adds the UI font with the glyphs of ranges (which must outlive the
// atlas); without the font file ImGui's default font, and false.
bool add_ui_font(const ImWchar* ranges) {
    ImGuiIO& io = ImGui::GetIO();
    const std::string& file = ui_font_file();
    if (file.empty()) {
        io.Fonts->AddFontDefault();
        return false;
    }
    return io.Fonts->AddFontFromFileTTF(file.c_str(), UI_FONT_PIXELS, nullptr, ranges) != nullptr;
}

}  // namespace

bool imgui_load_ui_font(const std::vector<const char*>& texts) {
    ImVector<ImWchar> ranges;
    build_ranges(ImGui::GetIO().Fonts->GetGlyphRangesJapanese(), texts, ranges);
    auto same = std::find_if(g_ranges.begin(), g_ranges.end(), [&](const ImVector<ImWchar>& r) {
        return r.Size == ranges.Size && std::memcmp(r.Data, ranges.Data, size_t(ranges.size_in_bytes())) == 0;
    });
    if (same == g_ranges.end()) {
        g_ranges.emplace_back().swap(ranges);
        same = std::prev(g_ranges.end());
    }
    return add_ui_font(same->Data);
}

bool imgui_load_ui_font_for(const std::vector<std::string>& texts, ImVector<ImWchar>& ranges) {
    build_ranges(ImGui::GetIO().Fonts->GetGlyphRangesDefault(), texts, ranges);
    return add_ui_font(ranges.Data);
}
