#include <imgui.h>
#include <cstdio>

#include "app/disk_panel.h"
#include "app/info_dialogs_frame.h"

namespace {

constexpr float LED_RADIUS = 5.0f;
constexpr ImU32 LED_COLOURS[3] = {IM_COL32(40, 40, 40, 255), IM_COL32(40, 220, 60, 255), IM_COL32(230, 40, 40, 255)};
constexpr float DRIVE_BUTTON_WIDTH = 220.0f;

void draw_led(PanelLed led) {
    const ImVec2 at = ImGui::GetCursorScreenPos();
    const float h = ImGui::GetFrameHeight();
    ImGui::GetWindowDrawList()->AddCircleFilled(ImVec2(at.x + LED_RADIUS + 1, at.y + h / 2), LED_RADIUS,
                                                LED_COLOURS[led]);
    ImGui::Dummy(ImVec2(2 * LED_RADIUS + 2, h));
}

void draw_drive_row(DiskPanel& panel, int d) {
    ImGui::PushID(d);
    draw_led(panel.leds.drive[d]);
    ImGui::SameLine();
    // The name is the button's text; "##" keeps the id apart from it.
    // Right-aligned, and a long path shows its end: the file name.
    const std::string& name = g_fd_media[d].name;
    const float inside = DRIVE_BUTTON_WIDTH - 2 * ImGui::GetStyle().FramePadding.x;
    std::string label = panel_drive_label(name, inside) + "##drive";
    ImGui::PushStyleVar(ImGuiStyleVar_ButtonTextAlign, ImVec2(1.0f, 0.5f));
    if (ImGui::Button(label.c_str(), ImVec2(DRIVE_BUTTON_WIDTH, 0))) panel_choose_image(panel, d);
    ImGui::PopStyleVar();
    if (ImGui::IsItemHovered()) ImGui::SetTooltip("%s", name.empty() ? FD_NO_DISK : name.c_str());
    ImGui::SameLine();
    if (ImGui::Button("EJECT")) {
        panel_eject(d);
        panel_take_notice(panel);
    }
    ImGui::SameLine();
    draw_led(panel.leds.eject[d]);
    ImGui::PopID();
}

void draw_chooser(DiskPanel& panel) {
    if (panel.chooser_drive < 0) return;
    if (file_chooser_draw(panel.chooser)) return;
    if (panel.chooser.result == FileChooserResult::Accepted) {
        panel_apply_choice(panel, panel.chooser.path, panel.chooser.read_only);
    } else {
        panel.chooser_drive = -1;
        if (panel.focus_main) panel.focus_main();
    }
}

}  // namespace

std::string panel_drive_label(const std::string& name, float width) {
    return name.empty() ? FD_NO_DISK : dialog_text_tail(name, width);
}

void disk_panel_draw(DiskPanel& panel) {
    if (panel.open && !panel.attached) panel_attach_slots(panel);
    if (dialog_begin_pane(PANEL_CAPTION)) {
        for (int d = 0; d < FD_DRIVES; ++d) draw_drive_row(panel, d);
        draw_led(panel.leds.hard_disk);
        ImGui::Separator();
        for (int n = 0; n < PANEL_KEY_LEDS; ++n) {
            if (n) ImGui::SameLine();
            ImGui::BeginGroup();
            draw_led(panel.leds.key[n]);
            ImGui::SameLine(0, 2);
            ImGui::TextUnformatted(PANEL_KEY_LED_LABELS[n]);
            ImGui::EndGroup();
        }
        ImGui::Separator();
        draw_led(panel.leds.high_res);
        ImGui::SameLine();
        draw_led(panel.leds.timer);
        ImGui::SameLine();
        draw_led(panel.leds.power);
        ImGui::SameLine();
        if (ImGui::Button("power") && panel.on_power) panel.on_power();
        draw_chooser(panel);
    }
    ImGui::End();
}
