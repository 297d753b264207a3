#include <cstdio>

#include "core/bus.h"
#include "debugger/disasm.h"

// Until the listing knows each family, every instruction shows as its opcode word.
#define ZOLM_DEFINE_DIS(name)                                                         \
    uint32_t dis_##name(const DecodeRecord*, uint32_t pc, DisLine& out) {             \
        std::snprintf(out.text, sizeof out.text, "dc.w $%04X", mem_read_word_c(pc));  \
        return pc + 2;                                                                \
    }
ZOLM_DIS_ROUTINES(ZOLM_DEFINE_DIS)
#undef ZOLM_DEFINE_DIS
