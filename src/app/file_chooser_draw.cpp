#include <imgui.h>
#include <imgui_stdlib.h>
#include <algorithm>

#include "app/file_chooser.h"
#include "app/info_dialogs_frame.h"
#include "host/signals.h"

namespace {

constexpr float LIST_HEIGHT_LINES = 14.0f, LIST_MIN_LINES = 2.0f;
constexpr float CHOOSER_WIDTH = 520.0f, CHOOSER_MIN_WIDTH = 240.0f;

// The width that fits the window (at most CHOOSER_WIDTH).
float chooser_width() {
    const float room = ImGui::GetMainViewport()->Size.x - 2 * ImGui::GetStyle().DisplaySafeAreaPadding.x;
    return std::max(CHOOSER_MIN_WIDTH, std::min(CHOOSER_WIDTH, room));
}

// The listing takes what the window's height leaves beside the title, the
// folder line, the name box, the filter, the read-only box and the buttons.
float listing_height() {
    const ImGuiStyle& style = ImGui::GetStyle();
    const float line = ImGui::GetTextLineHeightWithSpacing();
    const float others = ImGui::GetFrameHeight()                   // title bar
                         + 2 * style.WindowPadding.y + line        // folder line
                         + 4 * ImGui::GetFrameHeightWithSpacing()  // name, filter, read only, buttons
                         + 2 * style.ItemSpacing.y + 2 * style.DisplaySafeAreaPadding.y;
    const float room = ImGui::GetMainViewport()->Size.y - others;
    return std::clamp(room, line * LIST_MIN_LINES, line * LIST_HEIGHT_LINES);
}

void draw_listing(FileChooser& chooser) {
    ImGui::BeginChild("##files", ImVec2(0, listing_height()), true);
    std::string enter;
    for (const FileChooserEntry& e : chooser.entries) {
        std::string label = e.folder ? e.name + "/" : e.name;
        const bool chosen = !e.folder && e.name == chooser.name;
        if (ImGui::Selectable(label.c_str(), chosen, ImGuiSelectableFlags_AllowDoubleClick)) {
            if (e.folder) {
                if (ImGui::IsMouseDoubleClicked(ImGuiMouseButton_Left)) enter = e.name;
            } else {
                chooser.name = e.name;
                if (ImGui::IsMouseDoubleClicked(ImGuiMouseButton_Left)) file_chooser_accept(chooser);
            }
        }
    }
    if (!chooser.error.empty()) ImGui::TextUnformatted(chooser.error.c_str());
    ImGui::EndChild();
    if (!enter.empty()) file_chooser_enter(chooser, enter);
}

void draw_filters(FileChooser& chooser) {
    if (chooser.filters.empty()) return;
    const char* shown = chooser.filters[chooser.filter_index].description.c_str();
    if (ImGui::BeginCombo("##filter", shown)) {
        for (int i = 0; i < static_cast<int>(chooser.filters.size()); ++i) {
            if (ImGui::Selectable(chooser.filters[i].description.c_str(), i == chooser.filter_index)) {
                chooser.filter_index = i;
                file_chooser_list(chooser);
            }
        }
        ImGui::EndCombo();
    }
}

// The name the chooser starts with is chosen whole: typing replaces it.
int select_initial_name(ImGuiInputTextCallbackData* data) {
    bool& select = *static_cast<bool*>(data->UserData);
    if (select) data->SelectAll();
    select = false;
    return 0;
}

}  // namespace

bool file_chooser_draw(FileChooser& chooser) {
    if (!chooser.visible) return false;
    ImGui::PushID(&chooser);
    bool keep = true;
    const bool opening = !chooser.popup_opened;
    const bool was_active = ImGui::IsAnyItemActive();  // Escape in the name box only leaves it
    if (dialog_begin_modal(chooser.title.c_str(), chooser.popup_opened, chooser_width(), &keep)) {
        ImGui::TextUnformatted(chooser.folder.c_str());
        draw_listing(chooser);
        // The keyboard starts in the name box: Enter takes it; Escape leaves
        // it, the arrows then reach every control, Space presses it.
        if (opening) ImGui::SetKeyboardFocusHere();
        ImGui::SetNextItemWidth(-1);
        if (ImGui::InputText("##name", &chooser.name,
                             ImGuiInputTextFlags_EnterReturnsTrue | ImGuiInputTextFlags_CallbackAlways,
                             select_initial_name, &chooser.select_name))
            file_chooser_accept(chooser);
        ImGui::SetNextItemWidth(-1);
        draw_filters(chooser);
        if (chooser.show_read_only) ImGui::Checkbox("Read only", &chooser.read_only);
        if (ImGui::Button("OK")) file_chooser_accept(chooser);
        ImGui::SameLine();
        if (ImGui::Button("Cancel")) file_chooser_cancel(chooser);
        if (!was_active && ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape), false))
            file_chooser_cancel(chooser);
        if (host_signal_ac_plug_pending()) file_chooser_cancel(chooser);  // the program is ending
        if (!chooser.visible) ImGui::CloseCurrentPopup();
        ImGui::EndPopup();
    }
    if (!keep && chooser.visible) file_chooser_cancel(chooser);
    ImGui::PopID();
    return chooser.visible;
}
