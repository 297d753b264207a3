#include "host/keyboard_type.h"

namespace {
HostKeyboardType s_type = HOST_KEYBOARD_US101;
}

HostKeyboardType host_keyboard_type() { return s_type; }
void host_set_keyboard_type(HostKeyboardType t) { s_type = t; }
bool host_keyboard_japanese() { return s_type.type == HOST_KEYBOARD_JAPANESE && s_type.subtype > 1; }
