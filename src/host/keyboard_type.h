// The host keyboard's type, as GetKeyboardType answers: type 7 is
// Japanese (subtype 2: the JP-106 layout), 4 the 101/102-key layout.
#pragma once

inline constexpr int HOST_KEYBOARD_JAPANESE = 7, HOST_KEYBOARD_ENHANCED = 4;

struct HostKeyboardType {
    int type, subtype, function_keys;
};
inline constexpr HostKeyboardType HOST_KEYBOARD_JP106{HOST_KEYBOARD_JAPANESE, 2, 12};
inline constexpr HostKeyboardType HOST_KEYBOARD_US101{HOST_KEYBOARD_ENHANCED, 0, 12};

// The keyboard type in force: (4, 0, 12) until a window or a test sets one.
HostKeyboardType host_keyboard_type();
void host_set_keyboard_type(HostKeyboardType t);
// A JP-106 layout on the host.
bool host_keyboard_japanese();
