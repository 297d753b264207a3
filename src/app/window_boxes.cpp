#include "app/window_boxes.h"

#include <cstdio>

#include "host/message_box_sdl.h"
#include "machine/rom_files.h"

namespace {

MessageBoxAnswer start_up_box(const char* text, const char* caption, MessageBoxKind kind) {
    std::fprintf(stderr, "[%s] %s\n", caption, text);
    return host_message_box(text, caption, kind);
}

void cgrom_notice(bool shown) {
    cgrom_notice_to_stderr(shown);
    host_notice_box(shown ? CGROM_NOTICE_TEXT : nullptr);
}

}  // namespace

void window_boxes_use(SDL_Window* parent) {
    host_message_box_use_sdl(parent);
    g_init_message_box = start_up_box;
    g_cgrom_notice = cgrom_notice;
}

void window_boxes_release() {
    host_notice_box(nullptr);
    host_message_box_use_stderr();
    g_init_message_box = host_message_box;
    g_cgrom_notice = cgrom_notice_to_stderr;
}
