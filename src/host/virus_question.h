// The virus question: a modal question with allow and refuse buttons and a
// check box "do not ask again" that counts only with allow.
#pragma once

enum class VirusAnswer {
    allow,        // allow, check box clear
    allow_quiet,  // allow, check box ticked
    refuse,       // the refuse button
    escape,       // Esc or the close box
    no_dialog,    // the question could not be shown
};

struct VirusQuestionText {
    const char* caption;
    const char* message;  // what was detected
    const char* body;     // the lines below it, the question last
    const char* allow;    // button labels
    const char* refuse;
    const char* check;  // check box label
};

using VirusQuestionFn = VirusAnswer (*)(const VirusQuestionText& text);
// The back end in use: headless by default (the question goes to the
// message boxes' back end, on stderr once and then counted like any box,
// and the write is allowed); the window puts its own.
extern VirusQuestionFn g_virus_question;
VirusAnswer host_virus_question_headless(const VirusQuestionText& text);
