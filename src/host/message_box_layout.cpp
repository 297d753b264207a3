#include "host/message_box_layout.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr int MARGIN = 16;          // around everything
constexpr int GAP = 12;             // between the parts
constexpr int ICON_SIZE = 32;       // the icon's square
constexpr int TEXT_WRAP = 480;      // lines longer than this wrap
constexpr int LINE_SPACING = 2;     // between two lines of text
constexpr int FRAME_PAD = 6;        // inside the sunken frame
constexpr int BUTTON_MIN_W = 88;    // a button is at least this wide
constexpr int BUTTON_PAD_X = 16;    // on either side of a button's label
constexpr int BUTTON_PAD_Y = 6;     // above and below it
constexpr int BUTTON_GAP = 10;      // between two buttons
constexpr int CHECK_LABEL_GAP = 6;  // between the check box's square and its label
constexpr int MIN_WIDTH = 200;
constexpr int CAPTION_ROOM = 96;   // beside the caption: the title bar's own buttons
constexpr int MIN_TEXT_LINES = 2;  // a text that scrolls shows at least this many

int text_width(const ImFont& font, std::string_view s) {
    ImVec2 size = font.CalcTextSizeA(font.FontSize, 1e9f, 0.0f, s.data(), s.data() + s.size());
    return int(size.x + 0.99f);
}

// The length of the UTF-8 character at s (1 for a broken one).
size_t char_length(const char* s, const char* end) {
    const auto lead = static_cast<unsigned char>(*s);
    size_t n = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF8 ? 4 : 1;
    return std::min(n, size_t(end - s));
}

// Splits text into lines of at most wrap pixels: at the '\n's, and where a
// line is too long, after its last space or else after the last character
// that fits. Trailing line ends make no empty lines.
std::vector<std::string> wrap_lines(const ImFont& font, const std::string& text, int wrap) {
    std::string_view rest(text);
    while (!rest.empty() && rest.back() == '\n') rest.remove_suffix(1);
    std::vector<std::string> lines;
    if (rest.empty()) return lines;
    for (;;) {
        size_t nl = rest.find('\n');
        std::string_view para = rest.substr(0, nl);
        const char* p = para.data();
        const char* end = para.data() + para.size();
        do {
            const char* cut = font.CalcWordWrapPositionA(1.0f, p, end, float(wrap));
            if (cut <= p) cut = p + char_length(p, end);  // one character wider than the box
            if (cut > end) cut = end;
            std::string_view line(p, size_t(cut - p));
            while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
            lines.emplace_back(line);
            p = cut;
            while (p < end && *p == ' ') ++p;  // the next line starts after the blanks
        } while (p < end);
        if (nl == std::string_view::npos) break;
        rest.remove_prefix(nl + 1);
    }
    return lines;
}

}  // namespace

BoxLayout box_layout(const BoxSpec& spec, const ImFont& font, int max_width, int max_height) {
    BoxLayout lay;
    const int line_h = int(font.FontSize + 0.99f);
    lay.line_height = line_h + LINE_SPACING;
    const int icon_w = spec.icon == BoxIcon::none ? 0 : ICON_SIZE + GAP;
    const int wrap = std::max(line_h, std::min(TEXT_WRAP, max_width - 2 * MARGIN - icon_w));
    lay.lines = wrap_lines(font, spec.text, wrap);
    int text_w = 0;
    for (const std::string& line : lay.lines) {
        lay.line_widths.push_back(text_width(font, line));
        text_w = std::max(text_w, lay.line_widths.back());
    }
    int text_h = int(lay.lines.size()) * lay.line_height;

    const int button_h = line_h + 2 * BUTTON_PAD_Y;
    int buttons_w = 0;
    for (const std::string& label : spec.buttons) {
        int w = std::max(BUTTON_MIN_W, text_width(font, label) + 2 * BUTTON_PAD_X);
        lay.buttons.push_back({0, 0, w, button_h});
        buttons_w += w + (buttons_w ? BUTTON_GAP : 0);
    }
    const int framed_h = spec.framed.empty() ? 0 : line_h + 2 * FRAME_PAD;
    const int framed_w = spec.framed.empty() ? 0 : text_width(font, spec.framed) + 2 * FRAME_PAD;
    const int check_w = spec.check.empty() ? 0 : line_h + CHECK_LABEL_GAP + text_width(font, spec.check);

    int inner = std::max({icon_w + text_w, buttons_w, framed_w, check_w});
    lay.width = std::max({MIN_WIDTH, inner + 2 * MARGIN, text_width(font, spec.caption) + CAPTION_ROOM});
    lay.width = std::min(lay.width, max_width);

    // Top to bottom: the frame, the icon beside the text, the buttons, the
    // check box; the text gives up height when the box would be too tall.
    int fixed = 2 * MARGIN + (framed_h ? framed_h + GAP : 0) + (spec.buttons.empty() ? 0 : GAP + button_h) +
                (spec.check.empty() ? 0 : GAP + line_h);
    int body_h = std::max(icon_w ? ICON_SIZE : 0, text_h);
    if (fixed + body_h > max_height) {
        int room = std::max(max_height - fixed, MIN_TEXT_LINES * lay.line_height);
        if (room < text_h) {
            text_h = room;
            lay.text_scrolls = true;
        }
        body_h = std::max(icon_w ? ICON_SIZE : 0, text_h);
    }
    int y = MARGIN;
    if (framed_h) {
        lay.framed = {MARGIN, y, lay.width - 2 * MARGIN, framed_h};
        y += framed_h + GAP;
    }
    if (icon_w) lay.icon = {MARGIN, y, ICON_SIZE, ICON_SIZE};
    lay.text = {MARGIN + icon_w, y + (body_h - text_h) / 2, lay.width - 2 * MARGIN - icon_w, text_h};
    y += body_h;
    if (!spec.buttons.empty()) {
        y += GAP;
        int x = std::max(MARGIN, (lay.width - buttons_w) / 2);
        for (BoxRect& b : lay.buttons) {
            b.x = x;
            b.y = y;
            x += b.w + BUTTON_GAP;
        }
        y += button_h;
    }
    if (!spec.check.empty()) {
        y += GAP;
        lay.check = {MARGIN, y, check_w, line_h};
        y += line_h;
    }
    lay.height = y + MARGIN;
    return lay;
}

BoxInput box_input_start(const BoxSpec& spec) {
    BoxInput input;
    input.focus = spec.buttons.empty() ? 0 : std::clamp(spec.default_button, 0, int(spec.buttons.size()) - 1);
    return input;
}

void box_key(const BoxSpec& spec, BoxInput& input, BoxKey key) {
    const int buttons = int(spec.buttons.size());
    if (buttons == 0) return;  // a notice: nothing to press
    const int items = buttons + (spec.check.empty() ? 0 : 1);
    const bool on_check = input.focus >= buttons;
    switch (key) {
    case BoxKey::enter: input.pressed = on_check ? box_input_start(spec).focus : input.focus; break;
    case BoxKey::space:
        if (on_check) input.checked = !input.checked;
        else input.pressed = input.focus;
        break;
    case BoxKey::escape:
        if (spec.cancel_button >= 0 && spec.cancel_button < buttons) input.pressed = spec.cancel_button;
        break;
    case BoxKey::next: input.focus = (input.focus + 1) % items; break;
    case BoxKey::previous: input.focus = (input.focus + items - 1) % items; break;
    }
}
