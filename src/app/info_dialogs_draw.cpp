#include <imgui.h>

#include <algorithm>
#include <string>

#include "app/info_dialogs.h"
#include "app/info_dialogs_frame.h"

namespace {
constexpr float INFO_WIDTH = 560.0f;
constexpr float INFO_LIST_LINES = 20.0f;

// Wide enough for the widest line (at least INFO_WIDTH) while the window
// has room; a line wider still is wrapped, never cut.
float info_width(const InfoDialog& dialog) {
    float widest = 0;
    for (const std::string& line : dialog.lines) widest = std::max(widest, ImGui::CalcTextSize(line.c_str()).x);
    const ImGuiStyle& style = ImGui::GetStyle();
    const float need = widest + 4 * style.WindowPadding.x + style.ScrollbarSize + 2 * style.ChildBorderSize;
    const float room = ImGui::GetMainViewport()->Size.x - 2 * style.DisplaySafeAreaPadding.x;
    return std::min(std::max(need, INFO_WIDTH), room);
}
}  // namespace

void debug_info_draw(const std::string (&text)[DEBUG_TEXT_LINES]) {
    if (dialog_begin_pane(DEBUG_INFO_TITLE)) {
        for (const std::string& line : text) ImGui::TextUnformatted(line.c_str());
    }
    ImGui::End();
}

bool info_dialog_draw(InfoDialog& dialog) {
    if (!dialog.open) return false;
    if (dialog_begin_modal(INFO_DIALOG_TITLE, dialog.popup_opened, info_width(dialog))) {
        ImGui::BeginChild("##list", ImVec2(0, ImGui::GetTextLineHeightWithSpacing() * INFO_LIST_LINES), true);
        ImGui::PushTextWrapPos(0.0f);
        for (const std::string& line : dialog.lines) ImGui::TextUnformatted(line.c_str());
        ImGui::PopTextWrapPos();
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
