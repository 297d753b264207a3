#include "app/config.h"

int g_cfg_fpu;
int g_cfg_nmidebug;
int g_cfg_key;
int g_cfg_mouse;
int g_cfg_frame;
int g_cfg_minclock;

#include <string>
std::string g_cfg_winfont;
std::string g_cfg_font;
