// What a message box holds, where each part of it goes, and how its keys
// work: free of SDL, so that the layout and the keys can be checked alone.
#pragma once

#include <imgui.h>

#include <string>
#include <vector>

enum class BoxIcon { none, information, warning, error, question };

struct BoxSpec {
    std::string caption;  // the window's title
    BoxIcon icon = BoxIcon::none;
    std::string framed;  // a line in a sunken frame above the text; empty: none
    std::string text;    // wrapped to the box; '\n' ends a line
    bool centred = false;
    std::vector<std::string> buttons;  // left to right; none: a notice its owner closes
    int default_button = 0;            // Enter, and the first to have the keyboard
    int cancel_button = -1;            // Esc and the close box; -1: they do nothing
    std::string check;                 // a check box below the buttons; empty: none
};

struct BoxRect {
    int x = 0, y = 0, w = 0, h = 0;
};

struct BoxLayout {
    int width = 0, height = 0;  // of the window's client area
    BoxRect icon, framed, text, check;
    std::vector<BoxRect> buttons;
    std::vector<std::string> lines;  // the text as drawn, one entry a line
    std::vector<int> line_widths;
    int line_height = 0;
    bool text_scrolls = false;  // the text is taller than its area
};

// Lays spec out with font (at its own size) in a box of at most
// max_width x max_height: lines are wrapped, and text that does not fit the
// height scrolls.
BoxLayout box_layout(const BoxSpec& spec, const ImFont& font, int max_width, int max_height);

// The keyboard's part: which item has it (a button, or the check box after
// the buttons) and what was pressed.
struct BoxInput {
    int focus = 0;
    bool checked = false;
    int pressed = -1;  // the button that closes the box; -1 while open
};
enum class BoxKey { enter, space, escape, next, previous };

BoxInput box_input_start(const BoxSpec& spec);
// Enter presses the button that has the keyboard (the default one when the
// check box has it); Space presses it or ticks the check box; Esc (and the
// close box) press the cancel button; Tab and the arrows move along.
void box_key(const BoxSpec& spec, BoxInput& input, BoxKey key);
