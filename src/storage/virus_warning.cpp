#include "storage/virus_warning.h"

#include "host/virus_question.h"
#include "machine/settings.h"

int g_virus_warn_off;

const char* virus_warning_message(int32_t kind) {
    if (kind <= VIRUS_KIND_LAST_FLOPPY) return "フロッピーディスクのIPL領域の書き換えを検出しました";
    if (kind == VIRUS_KIND_HARD_DISK) return "ハードディスクのIPL領域の書き換えを検出しました";
    return "SRAM内の起動設定の書き換えを検出しました";
}

int32_t disk_confirm_write(int32_t kind) {
    if (!g_settings.warnvirus || g_virus_warn_off) return 0;
    const VirusQuestionText text{
        "X68000用Virusの警告",
        virus_warning_message(kind),
        "ユーザーの意図する動作でない場合には\nウイルスの疑いがあります。\nこの書き込みを許可しますか？",
        "許可する",
        "許可しない",
        "ZOLMの再起動まで 警告の必要は無い(許可する時)",
    };
    switch (g_virus_question(text)) {
    case VirusAnswer::allow_quiet: g_virus_warn_off = 1; return 0;
    case VirusAnswer::refuse:
    case VirusAnswer::escape: return 1;
    case VirusAnswer::allow:
    case VirusAnswer::no_dialog: return 0;
    }
    return 0;
}
