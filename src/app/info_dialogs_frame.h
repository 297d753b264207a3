// The two frames the dialogs are drawn in: a pane filling a top-level
// window of its own, and a modal opened on its first frame.
#pragma once

#include <imgui.h>
#include <imgui_internal.h>

#include <algorithm>
#include <string>

// Begins a pane over the whole window of the current context; call
// ImGui::End() after it whatever it answers.
inline bool dialog_begin_pane(const char* name) {
    const ImGuiViewport* view = ImGui::GetMainViewport();
    ImGui::SetNextWindowPos(view->Pos);
    ImGui::SetNextWindowSize(view->Size);
    constexpr ImGuiWindowFlags pane = ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                                      ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoBringToFrontOnFocus;
    return ImGui::Begin(name, nullptr, pane);
}

// Keeps the current modal where it came up: centred then and whenever the
// window's size changes, otherwise moved only as far as keeps its bottom on
// the window. So a page of another height leaves its top where it was.
inline void dialog_keep_place() {
    const ImGuiViewport* view = ImGui::GetMainViewport();
    // By value: a reference into the storage dies when another key is added.
    ImGuiStorage* storage = ImGui::GetStateStorage();
    const ImGuiID seen_w_id = ImGui::GetID("##view_w"), seen_h_id = ImGui::GetID("##view_h");
    const float seen_w = storage->GetFloat(seen_w_id, -1.0f), seen_h = storage->GetFloat(seen_h_id, -1.0f);
    const ImVec2 size = ImGui::GetWindowSize();
    ImVec2 pos = ImGui::GetWindowPos();
    if (seen_w != view->Size.x || seen_h != view->Size.y) {
        if (seen_w >= 0)  // the first frame was placed as the modal appeared
            pos = ImVec2(view->Pos.x + (view->Size.x - size.x) / 2, view->Pos.y + (view->Size.y - size.y) / 2);
        storage->SetFloat(seen_w_id, view->Size.x);
        storage->SetFloat(seen_h_id, view->Size.y);
    }
    const float over = pos.y + size.y - (view->Pos.y + view->Size.y);
    if (over > 0) pos.y -= over;
    if (pos.y < view->Pos.y) pos.y = view->Pos.y;
    if (pos.x != ImGui::GetWindowPos().x || pos.y != ImGui::GetWindowPos().y) ImGui::SetWindowPos(pos);
}

// Opens the modal title once (popup_opened remembers it) and begins it, at
// least min_height tall while the window has room; ImGui::EndPopup()
// follows when it answers true.
inline bool dialog_begin_modal(const char* title, bool& popup_opened, float width, bool* keep = nullptr,
                               ImGuiWindowFlags flags = 0, float min_height = 0) {
    if (!popup_opened) {
        ImGui::OpenPopup(title);
        popup_opened = true;
    }
    const ImGuiViewport* view = ImGui::GetMainViewport();
    ImGui::SetNextWindowPos(ImVec2(view->Pos.x + view->Size.x / 2, view->Pos.y + view->Size.y / 2), ImGuiCond_Appearing,
                            ImVec2(0.5f, 0.5f));
    ImGui::SetNextWindowSizeConstraints(ImVec2(width, std::min(min_height, view->Size.y)), ImVec2(width, view->Size.y));
    // Opaque: the picture under a dialog does not show through it.
    ImVec4 background = ImGui::GetStyleColorVec4(ImGuiCol_PopupBg);
    background.w = 1.0f;
    ImGui::PushStyleColor(ImGuiCol_PopupBg, background);
    const bool open = ImGui::BeginPopupModal(title, keep, flags | ImGuiWindowFlags_AlwaysAutoResize);
    ImGui::PopStyleColor();
    if (!open) return false;
    dialog_keep_place();
    return true;
}

// The end of text that fits width in the current font, after "..." when the
// whole does not fit (a long path shows its file name); never cut inside
// a UTF-8 character.
inline std::string dialog_text_tail(const std::string& text, float width) {
    if (ImGui::CalcTextSize(text.c_str(), nullptr, false).x <= width) return text;
    constexpr const char* MORE = "...";
    const float room = width - ImGui::CalcTextSize(MORE).x;
    size_t start = text.size();
    for (size_t at = text.size(); at > 0;) {
        --at;
        if ((static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) continue;  // inside a character
        if (ImGui::CalcTextSize(text.c_str() + at, text.c_str() + text.size(), false).x > room) break;
        start = at;
    }
    return MORE + text.substr(start);
}

// The keys of a dialog: Enter is its default button (OK), Escape is Cancel;
// only while it has the keyboard and no text box is being edited. Space
// presses the control the arrows moved to, OK before they moved.
enum class DialogKey { None, Ok, Cancel };
inline DialogKey dialog_key() {
    if (!ImGui::IsWindowFocused(ImGuiFocusedFlags_RootAndChildWindows) || ImGui::IsAnyItemActive())
        return DialogKey::None;
    const bool no_control_chosen = GImGui->NavId == 0 || GImGui->NavDisableHighlight;
    if (ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Enter), false) ||
        ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_KeyPadEnter), false) ||
        (no_control_chosen && ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Space), false)))
        return DialogKey::Ok;
    if (ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape), false)) return DialogKey::Cancel;
    return DialogKey::None;
}
