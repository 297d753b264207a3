#include "host/virus_question.h"

#include <string>

#include "host/message_box.h"

VirusQuestionFn g_virus_question = host_virus_question_headless;

// A question asked again and again is written once, then counted, as any
// box: its answer is the same each time.
VirusAnswer host_virus_question_headless(const VirusQuestionText& text) {
    const std::string all = std::string(text.message) + "\n" + text.body;
    host_message_box(all.c_str(), text.caption, MB_QUESTION);
    return VirusAnswer::no_dialog;
}
