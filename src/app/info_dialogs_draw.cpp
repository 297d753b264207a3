#include <imgui.h>

#include "app/info_dialogs.h"
#include "app/info_dialogs_frame.h"

namespace {
constexpr float INFO_WIDTH = 560.0f;
constexpr float INFO_LIST_LINES = 20.0f;
}  // namespace

void debug_info_draw(const std::string (&text)[DEBUG_TEXT_LINES]) {
    if (dialog_begin_pane(DEBUG_INFO_TITLE)) {
        for (const std::string& line : text) ImGui::TextUnformatted(line.c_str());
    }
    ImGui::End();
}

bool info_dialog_draw(InfoDialog& dialog) {
    if (!dialog.open) return false;
    if (dialog_begin_modal(INFO_DIALOG_TITLE, dialog.popup_opened, INFO_WIDTH)) {
        ImGui::BeginChild("##list", ImVec2(0, ImGui::GetTextLineHeightWithSpacing() * INFO_LIST_LINES), true,
                          ImGuiWindowFlags_HorizontalScrollbar);
        ImGuiListClipper clipper;
        clipper.Begin(static_cast<int>(dialog.lines.size()));
        while (clipper.Step())
            for (int i = clipper.DisplayStart; i < clipper.DisplayEnd; ++i)
                ImGui::TextUnformatted(dialog.lines[i].c_str());
        ImGui::EndChild();
        // Enter, Escape and Space (the button has the keys) close it.
        const bool pressed = ImGui::Button("OK");
        ImGui::SetItemDefaultFocus();
        if (pressed || dialog_key() != DialogKey::None) {
            dialog.open = false;
            ImGui::CloseCurrentPopup();
        }
        ImGui::EndPopup();
    }
    return dialog.open;
}
