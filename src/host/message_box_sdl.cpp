#include "host/message_box_sdl.h"

#include <memory>

#include "host/message_box_window.h"
#include "host/virus_question.h"

namespace {

SDL_Window* g_parent;
std::unique_ptr<BoxWindow> g_notice;

constexpr int BUTTON_YES = 0;
constexpr int BUTTON_ALLOW = 0, BUTTON_REFUSE = 1;

BoxIcon box_icon(MessageBoxKind kind) {
    switch (kind) {
    case MB_INFO: return BoxIcon::information;
    case MB_WARNING: return BoxIcon::warning;
    case MB_ERROR: return BoxIcon::error;
    case MB_QUESTION: return BoxIcon::question;
    case MB_PLAIN: return BoxIcon::none;
    }
    return BoxIcon::none;
}

}  // namespace

MessageBoxAnswer host_message_box_show_sdl(const char* text, const char* caption, MessageBoxKind kind) {
    const bool question = kind == MB_QUESTION;
    BoxSpec spec;
    spec.caption = caption;
    spec.icon = box_icon(kind);
    spec.text = text;
    spec.buttons = question ? std::vector<std::string>{"はい", "いいえ"} : std::vector<std::string>{"OK"};
    spec.cancel_button = question ? 1 : 0;  // Esc: No, or OK
    BoxWindow box;
    if (!box.open(spec, g_parent)) return host_message_box_show(text, caption, kind);
    int pressed = box.run();
    if (!question) return MB_ANSWER_OK;
    return pressed == BUTTON_YES ? MB_ANSWER_YES : MB_ANSWER_NO;
}

// The virus question: what was found in a frame, the question centred,
// allow (the default) and refuse (also Esc and the close box), and the
// check box that counts with allow.
VirusAnswer host_virus_question_sdl(const VirusQuestionText& text) {
    BoxSpec spec;
    spec.caption = text.caption;
    spec.framed = text.message;
    spec.text = text.body;
    spec.centred = true;
    spec.buttons = {text.allow, text.refuse};
    spec.default_button = BUTTON_ALLOW;
    spec.cancel_button = BUTTON_REFUSE;
    spec.check = text.check;
    BoxWindow box;
    if (!box.open(spec, g_parent)) return VirusAnswer::no_dialog;
    int pressed = box.run();
    bool checked = box.input().checked;
    if (pressed != BUTTON_ALLOW) return VirusAnswer::refuse;
    return checked ? VirusAnswer::allow_quiet : VirusAnswer::allow;
}

void host_message_box_use_sdl(SDL_Window* parent) {
    g_parent = parent;
    g_message_box_backend = host_message_box_show_sdl;
    g_virus_question = host_virus_question_sdl;
}

void host_message_box_use_stderr() {
    g_parent = nullptr;
    g_notice.reset();
    g_message_box_backend = host_message_box_show;
    g_virus_question = host_virus_question_headless;
}

void host_notice_box(const char* text) {
    g_notice.reset();
    if (!text) return;
    BoxSpec spec;
    spec.text = text;
    spec.centred = true;
    g_notice = std::make_unique<BoxWindow>();
    if (!g_notice->open(spec, g_parent)) g_notice.reset();
}
