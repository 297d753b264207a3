#include "sound/fm_card.h"

FmCard g_fmcard;
int g_cfg_fm;
int g_cfg_fmpcm8;
