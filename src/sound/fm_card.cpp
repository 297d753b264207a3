#include "sound/fm_card.h"

FmCard g_fmcard;

void fmcard_select(FmCard&, int32_t) {}
