#include <imgui.h>
#include <imgui_stdlib.h>

#include "app/file_chooser.h"
#include "app/info_dialogs_frame.h"

namespace {

constexpr float LIST_HEIGHT_LINES = 14.0f;
constexpr float CHOOSER_WIDTH = 520.0f;

void draw_listing(FileChooser& chooser) {
    const float height = ImGui::GetTextLineHeightWithSpacing() * LIST_HEIGHT_LINES;
    ImGui::BeginChild("##files", ImVec2(0, height), true);
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

} // namespace

bool file_chooser_draw(FileChooser& chooser) {
    if (!chooser.visible) return false;
    ImGui::PushID(&chooser);
    bool keep = true;
    if (dialog_begin_modal(chooser.title.c_str(), chooser.popup_opened, CHOOSER_WIDTH, &keep)) {
        ImGui::TextUnformatted(chooser.folder.c_str());
        draw_listing(chooser);
        if (ImGui::InputText("##name", &chooser.name, ImGuiInputTextFlags_EnterReturnsTrue))
            file_chooser_accept(chooser);
        draw_filters(chooser);
        if (chooser.show_read_only) ImGui::Checkbox("Read only", &chooser.read_only);
        if (ImGui::Button("OK")) file_chooser_accept(chooser);
        ImGui::SameLine();
        if (ImGui::Button("Cancel")) file_chooser_cancel(chooser);
        if (!chooser.visible) ImGui::CloseCurrentPopup();
        ImGui::EndPopup();
    }
    if (!keep && chooser.visible) file_chooser_cancel(chooser);
    ImGui::PopID();
    return chooser.visible;
}
