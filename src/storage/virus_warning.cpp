#include "storage/virus_warning.h"

#include <string>

#include "host/message_box.h"

int g_cfg_warnvirus;
int g_virus_warn_off;

inline constexpr int32_t VIRUS_KIND_LAST_FLOPPY = 3, VIRUS_KIND_HARD_DISK = 4;

int32_t disk_confirm_write(int32_t kind) {
    if (!g_cfg_warnvirus || g_virus_warn_off) return 0;
    const char* what = kind <= VIRUS_KIND_LAST_FLOPPY ? "フロッピーディスクのIPL領域の書き換えを検出しました"
                       : kind == VIRUS_KIND_HARD_DISK ? "ハードディスクのIPL領域の書き換えを検出しました"
                                                      : "SRAM内の起動設定の書き換えを検出しました";
    std::string text = std::string(what) +
                       "\nユーザーの意図する動作でない場合には\nウイルスの疑いがあります。\n"
                       "この書き込みを許可しますか？";
    return host_message_box(text.c_str(), "X68000用Virusの警告", MB_QUESTION) == MB_ANSWER_YES ? 0 : 1;
}
