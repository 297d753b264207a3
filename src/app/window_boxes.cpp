#include "app/window_boxes.h"

#include <cstdio>

#include "app/run_loop.h"
#include "host/message_box_sdl.h"
#include "host/signals.h"
#include "host/virus_question.h"
#include "machine/rom_files.h"

namespace {

constexpr int PEEKED_WINDOW_EVENTS = 64;  // of the queue, looked at for a close request

VirusQuestionFn s_window_question;  // the question in a window of its own

MessageBoxAnswer start_up_box(const char* text, const char* caption, MessageBoxKind kind) {
    std::fprintf(stderr, "[%s] %s\n", caption, text);
    return host_message_box(text, caption, kind);
}

void cgrom_notice(bool shown) {
    cgrom_notice_to_stderr(shown);
    host_notice_box(shown ? CGROM_NOTICE_TEXT : nullptr);
}

// A close box of the program's windows that waits in SDL's queue: the
// events a box held back come there again once it is answered.
bool close_requested() {
    if (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_QUIT, SDL_QUIT) > 0) return true;
    SDL_Event events[PEEKED_WINDOW_EVENTS];
    const int n = SDL_PeepEvents(events, PEEKED_WINDOW_EVENTS, SDL_PEEKEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT);
    for (int i = 0; i < n; ++i)
        if (events[i].window.event == SDL_WINDOWEVENT_CLOSE) return true;
    return false;
}

// A guest that asks again at every refusal would keep the machine in its
// slice, each question holding back the AC plug meant to end it: once
// the run is to end, the question is answered as Esc without a window.
VirusAnswer virus_question(const VirusQuestionText& text) {
    if (g_stop_request || host_signal_ac_plug_pending() || close_requested()) return VirusAnswer::escape;
    return s_window_question(text);
}

}  // namespace

void window_boxes_use(SDL_Window* parent) {
    host_message_box_use_sdl(parent);
    s_window_question = g_virus_question;
    g_virus_question = virus_question;
    g_init_message_box = start_up_box;
    g_cgrom_notice = cgrom_notice;
}

void window_boxes_release() {
    host_notice_box(nullptr);
    host_message_box_use_stderr();
    g_init_message_box = host_message_box;
    g_cgrom_notice = cgrom_notice_to_stderr;
}
