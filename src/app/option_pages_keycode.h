// The key-code display of the DEBUG page: while it runs, the window hands
// it each key event through opt_keycode_feed; the page takes them at its
// next frame. Nothing polls: the window keeps waiting for events as usual.
#pragma once

#include <cstdint>
#include <string>

#include "host/window_message.h"

enum class KeycodeEventKind { KeyDown, KeyUp, Char, Close };
struct KeycodeEvent {
    KeycodeEventKind kind;
    uint32_t value;  // Windows virtual-key code for KeyDown/KeyUp, the character for Char
};

inline constexpr const char* KEYCODE_TEXT_INITIAL = "スキャンコードの表示";
extern std::string g_keycode_text;

// True while the display runs (between "開始" and "終了", OK, Cancel or a close).
bool opt_keycode_running();
void opt_keycode_start();
void opt_keycode_stop();
// The window calls this for every key event and window close while the display runs.
void opt_keycode_feed(KeycodeEvent event);
// Notes a window's key record for the display (opt_keycode_feed): key
// down and up with their virtual key, characters; others pass.
void opt_keycode_filter(const WindowMessage& m);
// Takes the queued events: scan from key events, code from characters,
// g_keycode_text := "scan = (%04X) code = (%04X)"; a close stops the display.
// Answers true when the text changed.
bool opt_keycode_take_events();
