// The part of the message boxes shared by every back end: a box shown again
// and again is counted, not shown, also among a few that take turns; a
// storm of boxes that all differ is cut short.
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
    std::chrono::steady_clock::time_point seen;  // the last time it came
    unsigned long repeats = 0;                   // counted since it was shown
};

// The boxes shown last, so that a few boxes that take turns are counted
// too; the one seen longest ago gives way to a new one.
constexpr size_t HELD_BOXES = 8;

// More new boxes than this within one span are counted, not shown (but a
// question, which needs its answer): a storm of boxes that all differ
// writes a bounded number of lines.
constexpr unsigned STORM_BOXES = 16;

struct Storm {
    std::chrono::steady_clock::time_point start;  // of the span being counted
    unsigned shown = 0;                           // new boxes shown in it
    unsigned long held_back = 0;                  // boxes not shown since
    std::string caption;                          // of the last held back
};

std::mutex g_lock;
std::vector<HeldBox> g_held;
Storm g_storm;

void show_repeats(HeldBox& box) {
    if (box.repeats == 0) return;
    std::string line = box.text.substr(0, box.text.find('\n'));
    line += " (repeated " + std::to_string(box.repeats) + (box.repeats == 1 ? " time)" : " times)");
    g_message_box_backend(line.c_str(), box.caption.c_str(), MB_INFO);
    box.repeats = 0;
}

void show_all_repeats() {
    for (HeldBox& box : g_held) show_repeats(box);
    if (g_storm.held_back == 0) return;
    std::string line = std::to_string(g_storm.held_back) +
                       (g_storm.held_back == 1 ? " more box was not shown" : " more boxes were not shown");
    g_message_box_backend(line.c_str(), g_storm.caption.c_str(), MB_INFO);
    g_storm.held_back = 0;
}

}  // namespace

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
    if (now - g_storm.start >= MESSAGE_REPEAT_SPAN) {
        g_storm.start = now;
        g_storm.shown = 0;
    }
    if (g_storm.shown >= STORM_BOXES && kind != MB_QUESTION) {
        g_storm.held_back++;
        g_storm.caption = caption;
        return MB_ANSWER_OK;
    }
    g_storm.shown++;
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
    g_storm = Storm{};
}
