// The headless runner's input script (--input FILE): one event a line,
// "FRAME EVENT ARGS", applied before the slice of that frame:
//   key-down VK, key-up VK     a key record (VK a number: 65 or 0x41)
//   char C                     a character record (one character, or a number)
//   mouse-move X Y             the pointer at client position X, Y
//   mouse-down left|right, mouse-up left|right
//   pad P BUTTONS X Y          host joystick P (0, 1): buttons (bit n = n + 1), axes 0-65535
//   pad-unplug P               host joystick P removed
//   focus-lost                 the main window loses the focus
// Blank lines and lines starting with '#' are skipped; frames never go back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/joystick_source.h"
#include "host/window_message.h"

enum class ScriptAction { MESSAGE, PAD, PAD_UNPLUG };

struct ScriptEvent {
    uint32_t frame;
    ScriptAction action;
    WindowMessage message;  // MESSAGE: its window is set when applied
    int pad;                // PAD, PAD_UNPLUG
    HostJoyPos pos;         // PAD
};

struct InputScript {
    std::vector<ScriptEvent> events;
    size_t next = 0;
    FakeJoystickSource pads;
};

// Reads the script; on a malformed line returns "FILE:LINE: what is wrong"
// and leaves script empty. Empty on success.
std::string input_script_load(const std::string& path, InputScript& script);
// Parses one line (without its end) into out; false with why on a bad line.
// A blank or comment line gives true with nothing added.
bool input_script_parse_line(const std::string& line, std::vector<ScriptEvent>& out, std::string& why);
// Applies every event due by frame (frames completed so far): messages to
// the main window's dispatcher, pads to the script's joystick source.
void input_script_apply(InputScript& script, uint32_t frame);
