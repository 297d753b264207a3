// The console debugger's command loop, its output and its log file.
#include "debugger/debugger.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <string>

#include "core/cpu_regs.h"
#include "debugger/comment_file.h"
#include "debugger/dbg_commands.h"
#include "debugger/dbg_console_input.h"
#include "debugger/disasm.h"

uint32_t g_debugger_active;
DbgHostFunction g_debugger_runner;
DbgHostFunction g_debugger_idle_hook;
DbgState g_dbg;

namespace {

std::FILE* g_dbg_log_file;  // "debug.log" while logging
constexpr char LOG_FILE_NAME[] = "debug.log";

// Repeat letter of an empty line; 0 when an empty line does nothing.
char g_repeat = '?';

const char* const HELP_LINES[] = {
    "?        ( デバッガヘルプ",
    "exit     (デバッガの終了",
    "ba st,ed (set break アクセスブレーク。範囲指定",
    "br st,ed (set break リードブレーク。範囲指定",
    "bw st,ed (set break ライトブレーク。範囲指定",
    "bc       (アクセスブレークを解除",
    "b        (アクセスブレークの設定を表示",
    "ds st,ed (メモリ表示 db/dw/dl 0,ffffff",
    "r        (レジスタ表示モード切り替え",
    "r rn,num (レジスタの値を変更",
    "s st     (step from st ",
    "s        (step",
    "g        (run ",
    "u adr    (run until adr ",
    "n        (run until rts/rtr/rte",
    "l st,num (逆アセンブル表示",
    "h        (pc 実行履歴表示",
    "is st,ed (ioアクセスの記録範囲を設定",
    "i        (ioアクセス履歴表示",
    "f        (ログファイルモード設定",
    "t        (インストラクション実行頻度表示",
    "tc       (実行頻度表を初期化する",
    "\\n       (repeat",
};

void show_help() {
    for (const char* line : HELP_LINES) dbg_write("%s\n", line);
}

// The command of one lower-cased line; returns the repeat letter after it
// (the old one when the line changed nothing).
char run_command(const std::string& line) {
    switch (line[0]) {
    case '?': show_help(); return '?';
    case 'b': dbg_cmd_watch(line); return 'b';
    case 'd': dbg_cmd_dump(line); return 'd';
    case 'f': dbg_cmd_log_file(); return g_repeat;
    case 'g': dbg_cmd_go(); return 's';
    case 'h': dbg_cmd_history(line); return 'h';
    case 'i': dbg_cmd_io_log(line); return 'i';
    case 'l': dbg_cmd_list(line); return 'l';
    case 'n': dbg_cmd_next(); return 'n';
    case 'r': return dbg_cmd_register(line) ? 'r' : g_repeat;
    case 's':
    case ' ': return dbg_cmd_step(line) ? 's' : g_repeat;
    case 't': dbg_cmd_stats(line); return 0;
    case 'u': return dbg_cmd_until(line) ? 's' : g_repeat;
    default: return g_repeat;
    }
}

}  // namespace

void dbg_write(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    if (g_dbg_log_file) {
        va_list copy;
        va_copy(copy, args);
        std::vfprintf(g_dbg_log_file, fmt, copy);
        va_end(copy);
    }
    std::vfprintf(stdout, fmt, args);
    va_end(args);
}

void dbg_log_typed_line(std::string_view line) {
    if (!g_dbg_log_file) return;
    std::fwrite(line.data(), 1, line.size(), g_dbg_log_file);
    std::fputc('\n', g_dbg_log_file);
}

void dbg_cmd_log_file() {
    if (g_dbg_log_file) {
        dbg_log_close();
        std::fputs("LOG FILE <OFF>\n", stdout);
        return;
    }
    std::FILE* f = std::fopen(LOG_FILE_NAME, "w+");
    if (!f) {
        dbg_write("fail log!\n");
        return;
    }
    std::fputs("LOG FILE <ON>\n", stdout);
    g_dbg_log_file = f;
    dbg_write("//START LOG//\n");
}

void dbg_log_close() {
    if (g_dbg_log_file) std::fclose(g_dbg_log_file);
    g_dbg_log_file = nullptr;
}

void dbg_reset_session_state() {
    g_repeat = '?';
    g_dbg.show_registers = false;
}

bool dbg_execute_line(const char* text, uint32_t length) {
    std::string line(text, length);
    dbg_log_typed_line(line);
    for (char& c : line) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (line.empty()) {
        if (!g_repeat) return true;
        line.assign(1, g_repeat);
    }
    if (line.starts_with("exit")) return false;
    g_repeat = run_command(line);
    dbg_report_break();
    return true;
}

bool dbg_command_loop(const DbgSession& session) {
    dbg_log_close();
    dbg_reset_session_state();
    g_debugger_active = 1;
    dbg_write("-- ZOLM DEBUGGER -- \n");
    dbg_write(" initialize...");
    std::fflush(stdout);
    if (session.start() != 0) {
        dbg_write("\n");
        std::fflush(stdout);
        g_debugger_active = 0;
        return false;
    }
    dbg_write("..");
    dis_load_comments();
    dbg_write("Ok\n");
    dbg_interrupt_install();
    DbgLineReader reader(STDIN_FILENO);
    std::string line;
    for (;;) {
        dbg_write(">");
        std::fflush(stdout);
        if (g_dbg_log_file) std::fflush(g_dbg_log_file);
        // The end of the input, or a read error, is "exit".
        if (!reader.next(line)) {
            dbg_write("\n");
            break;
        }
        if (!dbg_execute_line(line.data(), uint32_t(line.size()))) break;
    }
    dbg_interrupt_remove();
    session.stop();
    dis_free_comments();
    dbg_log_close();
    std::fflush(stdout);
    g_debugger_active = 0;
    return true;
}
