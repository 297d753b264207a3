// The part of the message boxes shared by every back end: a box shown again
// and again is counted, not shown, also among a few that take turns.
#include "host/message_box.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

MessageBoxBackend g_message_box_backend = host_message_box_show;
MessageBoxClock g_message_box_clock = std::chrono::steady_clock::now;

namespace {

struct HeldBox {
    std::string text, caption;
    MessageBoxKind kind = MB_INFO;
    MessageBoxAnswer answer = MB_ANSWER_OK;
    std::chrono::steady_clock::time_point seen; // the last time it came
    unsigned long repeats = 0;                  // counted since it was shown
};

// The boxes shown last, so that a few boxes that take turns are counted
// too; the one seen longest ago gives way to a new one.
constexpr size_t HELD_BOXES = 8;

std::mutex g_lock;
std::vector<HeldBox> g_held;

void show_repeats(HeldBox& box) {
    if (box.repeats == 0) return;
    std::string line = box.text.substr(0, box.text.find('\n'));
    line += " (repeated " + std::to_string(box.repeats) + (box.repeats == 1 ? " time)" : " times)");
    g_message_box_backend(line.c_str(), box.caption.c_str(), MB_INFO);
    box.repeats = 0;
}

void show_all_repeats() {
    for (HeldBox& box : g_held) show_repeats(box);
}

} // namespace

MessageBoxAnswer host_message_box(const char* text, const char* caption, MessageBoxKind kind) {
    std::lock_guard<std::mutex> guard(g_lock);
    auto now = g_message_box_clock();
    HeldBox* same = nullptr;
    for (HeldBox& box : g_held)
        if (box.kind == kind && box.caption == caption && box.text == text) same = &box;
    if (same && now - same->seen < MESSAGE_REPEAT_SPAN) {
        same->repeats++;
        same->seen = now;
        return same->answer;
    }
    // The counts so far come out before the box that is shown.
    show_all_repeats();
    if (!same) {
        if (g_held.size() == HELD_BOXES) {
            auto oldest = std::min_element(g_held.begin(), g_held.end(),
                                           [](const HeldBox& a, const HeldBox& b) { return a.seen < b.seen; });
            g_held.erase(oldest);
        }
        same = &g_held.emplace_back();
        same->text = text;
        same->caption = caption;
        same->kind = kind;
    }
    same->answer = g_message_box_backend(text, caption, kind);
    // Measured from the answer: a box the user took long over is no repeat.
    same->seen = g_message_box_clock();
    return same->answer;
}

void host_message_box_flush() {
    std::lock_guard<std::mutex> guard(g_lock);
    show_all_repeats();
    g_held.clear();
}
