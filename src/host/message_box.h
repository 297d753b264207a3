// Modal message boxes.
#pragma once

enum MessageBoxKind { MB_INFO, MB_WARNING, MB_ERROR, MB_QUESTION };
enum MessageBoxAnswer { MB_ANSWER_OK, MB_ANSWER_YES, MB_ANSWER_NO, MB_ANSWER_CANCEL };

// Shows text under caption and waits for the answer (headless: prints it
// on stderr and gives the default answer).
MessageBoxAnswer host_message_box(const char* text, const char* caption, MessageBoxKind kind);
