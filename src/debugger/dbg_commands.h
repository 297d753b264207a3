// The console debugger's command back-ends and the state kept between
// commands. Each back-end takes its command's lower-cased line.
#pragma once

#include <cstdint>
#include <string_view>

struct DbgState {
    char dump_size = 'b';           // last dump size letter
    uint32_t dump_next = 0;         // last dump end: the next dump's start
    uint32_t list_next = 0;         // where a bare "l" goes on
    uint32_t list_pc = UINT32_MAX;  // PC at the last bare "l"
    int32_t history_left = 0;       // g_dis_history_left
    int32_t iotrace_show_count = 20;
    bool show_registers = false;  // per opening of the console
};
extern DbgState g_dbg;

// Output: to the console and, while logging, "debug.log".
void dbg_log_typed_line(std::string_view line);
void dbg_cmd_log_file();
void dbg_log_close();

// Registers, memory and watches.
void dbg_show_registers();
// false when the line set a register, true when it toggled the display.
bool dbg_cmd_register(std::string_view line);
void dbg_cmd_dump(std::string_view line);
void dbg_dump_memory(char size, uint32_t start, uint32_t end);
void dbg_cmd_watch(std::string_view line);

// Listing, history, I/O log, statistics.
void dbg_cmd_list(std::string_view line);
void dbg_cmd_history(std::string_view line);
void dbg_cmd_io_log(std::string_view line);
void dbg_show_io_log(int32_t page);
void dbg_cmd_stats(std::string_view line);

// Running. The step and "u" take their lines; false when the line has no
// form of theirs (nothing ran).
bool dbg_cmd_step(std::string_view line);
void dbg_cmd_next();
bool dbg_cmd_until(std::string_view line);
void dbg_cmd_go();
// After every command: a break that ended a run is told, then cleared.
void dbg_report_break();

// SIGINT while the console is open: breaks a run, nothing at the prompt.
void dbg_interrupt_install();
void dbg_interrupt_remove();
void dbg_run_begin();  // a run starts: SIGINT breaks it
void dbg_run_end();
bool dbg_run_interrupted();
void dbg_interrupt_clear();
