// The part of the message boxes shared by every back end: a box shown again
// and again is counted, not shown.
#include "host/message_box.h"

#include <mutex>
#include <string>

MessageBoxBackend g_message_box_backend = host_message_box_show;
MessageBoxClock g_message_box_clock = std::chrono::steady_clock::now;

namespace {

struct LastBox {
    bool held = false; // a box was shown and may repeat
    std::string text, caption;
    MessageBoxKind kind = MB_INFO;
    MessageBoxAnswer answer = MB_ANSWER_OK;
    std::chrono::steady_clock::time_point seen; // the last time it came
    unsigned long repeats = 0;                  // counted since it was shown
};

std::mutex g_lock;
LastBox g_last;

void show_repeats(LastBox& last) {
    if (last.repeats == 0) return;
    std::string line = last.text.substr(0, last.text.find('\n'));
    line += " (repeated " + std::to_string(last.repeats) + (last.repeats == 1 ? " time)" : " times)");
    g_message_box_backend(line.c_str(), last.caption.c_str(), MB_INFO);
    last.repeats = 0;
}

} // namespace

MessageBoxAnswer host_message_box(const char* text, const char* caption, MessageBoxKind kind) {
    std::lock_guard<std::mutex> guard(g_lock);
    auto now = g_message_box_clock();
    LastBox& last = g_last;
    bool same = last.held && last.kind == kind && last.caption == caption && last.text == text;
    if (same && now - last.seen < MESSAGE_REPEAT_SPAN) {
        last.repeats++;
        last.seen = now;
        return last.answer;
    }
    show_repeats(last);
    last.held = true;
    last.text = text;
    last.caption = caption;
    last.kind = kind;
    last.answer = g_message_box_backend(text, caption, kind);
    // Measured from the answer: a box the user took long over is no repeat.
    last.seen = g_message_box_clock();
    return last.answer;
}

void host_message_box_flush() {
    std::lock_guard<std::mutex> guard(g_lock);
    show_repeats(g_last);
    g_last = LastBox{};
}
