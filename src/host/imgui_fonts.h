// The ImGui font: IPAGothic, which has the Japanese the UI texts need.
#pragma once

#include <imgui.h>

#include <string>
#include <vector>

inline constexpr float UI_FONT_PIXELS = 16.0f;
inline constexpr const char* UI_FONT_FAMILY = "IPAGothic";

// The file of the face of that family, found through fontconfig; empty
// when it is not installed.
std::string imgui_font_file(const char* family);

// Loads the UI font into the current context's atlas with the Japanese
// ranges and every character of texts. Without the face, ImGui's own font
// is used (no Japanese) and false is returned.
bool imgui_load_ui_font(const std::vector<const char*>& texts);

// Loads the UI font with ASCII and the characters of texts alone (a small
// atlas, quick to build); ranges receives them and must live as long as
// the atlas. Without the face, ImGui's own font; false then.
bool imgui_load_ui_font_for(const std::vector<std::string>& texts, ImVector<ImWchar>& ranges);
