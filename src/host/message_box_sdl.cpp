#include "host/message_box_sdl.h"

#include <string>

#include "host/virus_question.h"

namespace {

SDL_Window* g_parent;

constexpr int BUTTON_OK = 0, BUTTON_YES = 1, BUTTON_NO = 2;

uint32_t box_flags(MessageBoxKind kind) {
    switch (kind) {
    case MB_WARNING: return SDL_MESSAGEBOX_WARNING;
    case MB_ERROR: return SDL_MESSAGEBOX_ERROR;
    default: return SDL_MESSAGEBOX_INFORMATION;
    }
}

}  // namespace

MessageBoxAnswer host_message_box_show_sdl(const char* text, const char* caption, MessageBoxKind kind) {
    const SDL_MessageBoxButtonData ok[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, BUTTON_OK, "OK"}};
    const SDL_MessageBoxButtonData yes_no[] = {{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, BUTTON_YES, "はい"},
                                               {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, BUTTON_NO, "いいえ"}};
    bool question = kind == MB_QUESTION;
    SDL_MessageBoxData box{box_flags(kind), g_parent, caption, text, question ? 2 : 1, question ? yes_no : ok, nullptr};
    int pressed = -1;
    if (SDL_ShowMessageBox(&box, &pressed) != 0) return host_message_box_show(text, caption, kind);
    if (!question) return MB_ANSWER_OK;
    return pressed == BUTTON_YES ? MB_ANSWER_YES : MB_ANSWER_NO;
}

// The virus question as three buttons: allow, allow and ask no more, refuse
// (also Esc). The close box refuses; a box SDL cannot show is no dialog.
VirusAnswer host_virus_question_sdl(const VirusQuestionText& text) {
    constexpr int ALLOW = 0, ALLOW_QUIET = 1, REFUSE = 2;
    const std::string quiet = std::string(text.allow) + " + " + text.check;
    const SDL_MessageBoxButtonData buttons[] = {{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, ALLOW, text.allow},
                                                {0, ALLOW_QUIET, quiet.c_str()},
                                                {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, REFUSE, text.refuse}};
    const std::string body = std::string(text.message) + "\n\n" + text.body;
    SDL_MessageBoxData box{SDL_MESSAGEBOX_WARNING, g_parent, text.caption, body.c_str(), 3, buttons, nullptr};
    int pressed = -1;
    if (SDL_ShowMessageBox(&box, &pressed) != 0) return VirusAnswer::no_dialog;
    switch (pressed) {
    case ALLOW: return VirusAnswer::allow;
    case ALLOW_QUIET: return VirusAnswer::allow_quiet;
    case REFUSE: return VirusAnswer::refuse;
    default: return VirusAnswer::escape;
    }
}

void host_message_box_use_sdl(SDL_Window* parent) {
    g_parent = parent;
    g_message_box_backend = host_message_box_show_sdl;
    g_virus_question = host_virus_question_sdl;
}
