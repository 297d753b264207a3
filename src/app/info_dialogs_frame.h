// The two frames the dialogs are drawn in: a pane filling a top-level
// window of its own, and a modal opened on its first frame.
#pragma once

#include <imgui.h>

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

// Opens the modal title once (popup_opened remembers it) and begins it;
// ImGui::EndPopup() follows when it answers true.
inline bool dialog_begin_modal(const char* title, bool& popup_opened, float width, bool* keep = nullptr,
                               ImGuiWindowFlags flags = 0) {
    if (!popup_opened) {
        ImGui::OpenPopup(title);
        popup_opened = true;
    }
    // Centred at every frame: a page of another height keeps it on the window.
    const ImGuiViewport* view = ImGui::GetMainViewport();
    ImGui::SetNextWindowPos(ImVec2(view->Pos.x + view->Size.x / 2, view->Pos.y + view->Size.y / 2), ImGuiCond_Always,
                            ImVec2(0.5f, 0.5f));
    ImGui::SetNextWindowSizeConstraints(ImVec2(width, 0), ImVec2(width, view->Size.y));
    return ImGui::BeginPopupModal(title, keep, flags | ImGuiWindowFlags_AlwaysAutoResize);
}
