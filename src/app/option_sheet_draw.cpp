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
constexpr const char* FONT_CAPTION = "フォント";
constexpr const char* FONT_NONE = "なし (CG ROMのまま)";
constexpr const char* FONT_NONE_TIP =
    "No font file: the CG ROM's own font is used. Click to choose a ZOLM font (*.xfo).";
constexpr float FONT_BUTTON_WIDTH = 320.0f;
constexpr const char* VOLUME_CAPTION = "FM音量";
constexpr const char* VOLUME_TIP = "FMVOL: the sound library's volume (FM 4), 256 = x1.";
constexpr float VOLUME_WIDTH = 320.0f;
constexpr float SHEET_WIDTH = 560.0f;
constexpr float SHEET_ROWS = 16.0f;
constexpr float TRACE_LINES = 6.0f;

// A disabled control says why when the pointer rests on it.
void why_disabled(const OptionControl& c, bool disabled) {
    if (disabled && c.why_disabled && ImGui::IsItemHovered(ImGuiHoveredFlags_AllowWhenDisabled))
        ImGui::SetTooltip("%s", c.why_disabled);
}

void draw_check(OptionSheet& s, const OptionControl& c) {
    bool on = s.values[c.key] != 0;
    const bool disabled = c.disabled & 1;
    ImGui::BeginDisabled(disabled);
    if (ImGui::Checkbox(c.labels[0], &on)) s.values[c.key] = on ? 1 : 0;
    ImGui::EndDisabled();
    why_disabled(c, disabled);
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
        const bool disabled = (c.disabled >> i) & 1;
        ImGui::BeginDisabled(disabled);
        if (ImGui::RadioButton(c.labels[i], s.values[c.key] == i)) s.values[c.key] = i;
        ImGui::EndDisabled();
        why_disabled(c, disabled);
    }
    ImGui::PopID();
    ImGui::Separator();
}

// The DEBUG page's eight layer switches run two to a line.
void draw_controls(OptionSheet& s) {
    int layer = 0;
    for (const OptionControl& c : OPTION_PAGE_TABLE[s.active].controls) {
        if (c.key == OPT_PERFORM) {
            ImGui::Separator();
            ImGui::TextUnformatted("Performance");
        } else if (s.active == PAGE_DEBUG && layer++ % 2) {
            ImGui::SameLine(ImGui::GetContentRegionAvail().x / 2);
        }
        if (c.kind == OptionControlKind::Check) draw_check(s, c);
        else draw_radio(s, c);
    }
}

// The font file: the button shows it (or that the CG ROM's own is used)
// and opens the chooser.
void draw_font_button(OptionSheet& s) {
    ImGui::TextUnformatted(FONT_CAPTION);
    ImGui::SameLine();
    const float text_width = FONT_BUTTON_WIDTH - 2 * ImGui::GetStyle().FramePadding.x;
    std::string label = dialog_text_tail(s.font.empty() ? std::string(FONT_NONE) : s.font, text_width) + "##font";
    ImGui::PushStyleVar(ImGuiStyleVar_ButtonTextAlign, ImVec2(1.0f, 0.5f));  // a long path shows its file name
    const bool pressed = ImGui::Button(label.c_str(), ImVec2(FONT_BUTTON_WIDTH, 0));
    ImGui::PopStyleVar();
    if (ImGui::IsItemHovered()) ImGui::SetTooltip("%s", s.font.empty() ? FONT_NONE_TIP : s.font.c_str());
    if (pressed && !s.font_busy) {
        s.font_busy = true;
        file_chooser_open(s.font_chooser, FONT_CHOOSER_TITLE, s.font, FONT_FILTER, FONT_DEFAULT_EXT, false);
    }
    if (s.font_busy && !file_chooser_draw(s.font_chooser))
        option_sheet_font_chosen(s, s.font_chooser.result == FileChooserResult::Accepted, s.font_chooser.path);
}

// The volume slider with its caption; the value is FMVOL, 256 the chip's own level.
void draw_volume(OptionSheet& s) {
    ImGui::TextUnformatted(VOLUME_CAPTION);
    ImGui::SameLine();
    int position = s.volume_position;
    const std::string shown = opt_volume_text(s.values[OPT_FMVOL]);
    ImGui::SetNextItemWidth(VOLUME_WIDTH);
    if (ImGui::SliderInt("##volume", &position, 0, opt_volume_position_max(), shown.c_str(),
                         ImGuiSliderFlags_AlwaysClamp | ImGuiSliderFlags_NoInput) &&
        position != s.volume_position)
        option_sheet_volume_moved(s, position);
    if (ImGui::IsItemHovered()) ImGui::SetTooltip("%s", VOLUME_TIP);
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
    // Every page fits this height: the sheet keeps its size and place.
    const float height = SHEET_ROWS * ImGui::GetFrameHeightWithSpacing();
    if (dialog_begin_modal(OPTION_SHEET_TITLE, s.popup_opened, SHEET_WIDTH, nullptr, 0, height)) {
        draw_tabs(s);
        if (!s.range_message.empty()) ImGui::TextColored(ImVec4(1, 0.3f, 0.3f, 1), "%s", s.range_message.c_str());
        // The buttons at the foot of the sheet, wherever the page ends.
        const ImGuiStyle& style = ImGui::GetStyle();
        const float foot = height - style.WindowPadding.y - ImGui::GetFrameHeight() - 2 * style.ItemSpacing.y - 1;
        if (ImGui::GetCursorPosY() < foot) ImGui::SetCursorPosY(foot);
        ImGui::Separator();
        // Enter is OK and Escape Cancel, but for the key-code readout, which takes every key.
        const DialogKey key = opt_keycode_running() ? DialogKey::None : dialog_key();
        if (ImGui::Button("OK") || key == DialogKey::Ok) option_sheet_ok(s);
        ImGui::SetItemDefaultFocus();  // Space presses it until the keys move elsewhere
        ImGui::SameLine();
        if (ImGui::Button(s.cancel_is_close ? "Close" : "Cancel") || key == DialogKey::Cancel) option_sheet_cancel(s);
        if (!s.open) ImGui::CloseCurrentPopup();
        ImGui::EndPopup();
    }
    return s.open;
}
