#include <imgui.h>
#include <imgui_stdlib.h>

#include "app/info_dialogs_frame.h"
#include "app/option_pages_keycode.h"
#include "app/option_sheet.h"
#include "video/video_state.h"

namespace {

constexpr const char* FONT_FILTER = "ZOLMフォント (*.xfo)|*.xfo||";
constexpr const char* FONT_DEFAULT_EXT = "XFO";
constexpr const char* FONT_CHOOSER_TITLE = "ZOLMフォント";
constexpr float FONT_BUTTON_WIDTH = 320.0f;
constexpr float SHEET_WIDTH = 560.0f;
constexpr float TRACE_LINES = 6.0f;

void draw_check(OptionSheet& s, const OptionControl& c) {
    bool on = s.values[c.key] != 0;
    ImGui::BeginDisabled(c.disabled & 1);
    if (ImGui::Checkbox(c.labels[0], &on)) s.values[c.key] = on ? 1 : 0;
    ImGui::EndDisabled();
}

// Width of a radio button with its label.
float radio_width(const char* label) {
    const ImGuiStyle& style = ImGui::GetStyle();
    return ImGui::GetFrameHeight() + style.ItemInnerSpacing.x + ImGui::CalcTextSize(label, nullptr, true).x;
}

// A group's buttons run on one line while they fit.
void draw_radio(OptionSheet& s, const OptionControl& c) {
    ImGui::PushID(c.key);
    const float right = ImGui::GetWindowPos().x + ImGui::GetWindowContentRegionMax().x;
    for (int i = 0; i < static_cast<int>(c.labels.size()); ++i) {
        if (i > 0 && ImGui::GetItemRectMax().x + ImGui::GetStyle().ItemSpacing.x + radio_width(c.labels[i]) <= right)
            ImGui::SameLine();
        ImGui::BeginDisabled((c.disabled >> i) & 1);
        if (ImGui::RadioButton(c.labels[i], s.values[c.key] == i)) s.values[c.key] = i;
        ImGui::EndDisabled();
    }
    ImGui::PopID();
    ImGui::Separator();
}

void draw_controls(OptionSheet& s) {
    for (const OptionControl& c : OPTION_PAGE_TABLE[s.active].controls) {
        if (c.key == OPT_PERFORM) {
            ImGui::Separator();
            ImGui::TextUnformatted("Performance");
        }
        if (c.kind == OptionControlKind::Check) draw_check(s, c);
        else draw_radio(s, c);
    }
}

void draw_font_button(OptionSheet& s) {
    std::string label = s.font + "##font";
    if (ImGui::Button(label.c_str(), ImVec2(FONT_BUTTON_WIDTH, 0)) && !s.font_busy) {
        s.font_busy = true;
        file_chooser_open(s.font_chooser, FONT_CHOOSER_TITLE, s.font, FONT_FILTER, FONT_DEFAULT_EXT, false);
    }
    if (s.font_busy && !file_chooser_draw(s.font_chooser))
        option_sheet_font_chosen(s, s.font_chooser.result == FileChooserResult::Accepted, s.font_chooser.path);
}

void draw_volume(OptionSheet& s) {
    int position = s.volume_position;
    if (ImGui::SliderInt("##volume", &position, 0, opt_volume_position_max(), "", ImGuiSliderFlags_AlwaysClamp) &&
        position != s.volume_position)
        option_sheet_volume_moved(s, position);
    ImGui::TextUnformatted(s.volume_label.c_str());
}

void draw_debug_texts() {
    ImGui::InputTextMultiline("##trace", &g_render_trace, ImVec2(-1, ImGui::GetTextLineHeight() * TRACE_LINES),
                              ImGuiInputTextFlags_ReadOnly);
    if (opt_keycode_running()) opt_keycode_take_events();
    ImGui::TextUnformatted(g_keycode_text.c_str());
    if (ImGui::Button("開始")) opt_keycode_start();
    ImGui::SameLine();
    if (ImGui::Button("終了")) opt_keycode_stop();
}

void draw_page(OptionSheet& s) {
    draw_controls(s);
    if (s.active == PAGE_SCREEN) draw_font_button(s);
    if (s.active == PAGE_SOUND) draw_volume(s);
    if (s.active == PAGE_DEBUG) draw_debug_texts();
}

void draw_tabs(OptionSheet& s) {
    if (!ImGui::BeginTabBar("##pages")) return;
    int chosen = s.active;
    bool active_shown = false;
    for (int i = 0; i < OPTION_PAGES; ++i) {
        const ImGuiTabItemFlags flags = (s.select_tab && i == s.active) ? ImGuiTabItemFlags_SetSelected : 0;
        if (ImGui::BeginTabItem(OPTION_PAGE_TABLE[i].caption, nullptr, flags)) {
            if (i == s.active) {
                draw_page(s);
                active_shown = true;
            } else {
                chosen = i;
            }
            ImGui::EndTabItem();
        }
    }
    ImGui::EndTabBar();
    // The bar may take a frame to show the tab asked for; until then its
    // choice is not the user's.
    if (s.select_tab) {
        s.select_tab = !active_shown;
    } else if (chosen != s.active && !option_sheet_select(s, chosen)) {
        s.select_tab = true;  // refused: back to the page
    }
}

}  // namespace

bool option_sheet_draw(OptionSheet& s) {
    if (!s.open) return false;
    if (dialog_begin_modal(OPTION_SHEET_TITLE, s.popup_opened, SHEET_WIDTH)) {
        draw_tabs(s);
        if (!s.range_message.empty()) ImGui::TextColored(ImVec4(1, 0.3f, 0.3f, 1), "%s", s.range_message.c_str());
        ImGui::Separator();
        if (ImGui::Button("OK")) option_sheet_ok(s);
        ImGui::SameLine();
        if (ImGui::Button(s.cancel_is_close ? "Close" : "Cancel")) option_sheet_cancel(s);
        if (!s.open) ImGui::CloseCurrentPopup();
        ImGui::EndPopup();
    }
    return s.open;
}
