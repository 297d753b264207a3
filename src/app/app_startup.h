// The program's start-up before the first configuration load.
#pragma once

#include <string>
#include <vector>

// Takes the host folders, logs the start-up lines (platform, program file,
// command line, current folder) and starts the stop-watches, which log
// their counter's frequency. command_line: every word the program got, its
// own path first.
void app_init_instance(const std::vector<std::string>& command_line);

// Says on stderr, in one line, why the machine could not start and what to
// do about it. window_stays: the window stays open after the failure, and
// its "reset" tries again.
void app_tell_start_failure(bool window_stays);
