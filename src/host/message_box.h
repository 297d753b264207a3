// Modal message boxes, and the count of a box shown again and again.
#pragma once

#include <chrono>

// The icon and buttons of a box: OK with the information, warning or error
// icon or none (MB_PLAIN); a question has Yes and No.
enum MessageBoxKind { MB_INFO, MB_WARNING, MB_ERROR, MB_QUESTION, MB_PLAIN };
enum MessageBoxAnswer { MB_ANSWER_OK, MB_ANSWER_YES, MB_ANSWER_NO, MB_ANSWER_CANCEL };

// A box the same as the one before (caption, text and kind) that comes
// within this span of it is counted instead of shown.
inline constexpr std::chrono::milliseconds MESSAGE_REPEAT_SPAN{2000};

// Shows text under caption through the back end and waits for the answer.
// A repeat within MESSAGE_REPEAT_SPAN of the same box's last coming gives
// the answer the shown box got, also when other boxes came in between (the
// last HELD_BOXES different ones are told apart); the count comes out as
// one box, the first line of the text followed by "(repeated N times)",
// before the next box that is shown, or at host_message_box_flush. Beyond
// 16 new boxes within one span the rest of the span's boxes (but questions)
// are not shown; their number comes out the same way, as "N more boxes
// were not shown".
MessageBoxAnswer host_message_box(const char* text, const char* caption, MessageBoxKind kind);
// Shows the count of repeats still held and forgets the last box; called
// at exit.
void host_message_box_flush();

// The back end: shows one box and waits for the answer (headless: prints
// it on stderr and gives the default answer).
MessageBoxAnswer host_message_box_show(const char* text, const char* caption, MessageBoxKind kind);

// Seams, for tests: the back end (host_message_box_show by default) and the
// clock the span is measured on (steady_clock::now by default).
using MessageBoxBackend = MessageBoxAnswer (*)(const char* text, const char* caption, MessageBoxKind kind);
extern MessageBoxBackend g_message_box_backend;
using MessageBoxClock = std::chrono::steady_clock::time_point (*)();
extern MessageBoxClock g_message_box_clock;
