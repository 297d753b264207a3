#include <cstdio>

#include "host/message_box.h"

MessageBoxAnswer host_message_box_show(const char* text, const char* caption, MessageBoxKind kind) {
    std::fprintf(stderr, "[%s] %s\n", caption, text);
    return kind == MB_QUESTION ? MB_ANSWER_YES : MB_ANSWER_OK;
}
