#include "host/virus_question.h"

#include <cstdio>

VirusQuestionFn g_virus_question = host_virus_question_headless;

VirusAnswer host_virus_question_headless(const VirusQuestionText& text) {
    std::fprintf(stderr, "[%s] %s\n%s\n", text.caption, text.message, text.body);
    return VirusAnswer::no_dialog;
}
