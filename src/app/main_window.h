// The program with its window: the main window (menu bar, picture), the
// disk panel and debug-information windows, the console debugger on the
// terminal, the modal dialogs, and the run loop between them.
#pragma once

#include "app/headless.h"

// The host's display: DISPLAY or WAYLAND_DISPLAY is set.
bool main_window_display_present();

// Runs the program in its window until the main dialog ends; the exit
// status. The options are the host options (--frames, --screenshot,
// --window-shot, --dump-ram, --virtual-clock).
int main_window_run(const HeadlessOptions& options);
