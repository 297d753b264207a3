#include "app/config.h"

int g_cfg_fdnum;
int g_cfg_speed;
int g_cfg_frame;
int g_cfg_minclock;
int g_cfg_fpu;
int g_cfg_vsync;
int g_cfg_perform;
int g_cfg_vram_size;
int g_cfg_backg;
int g_cfg_eject;
int g_cfg_mouse;
int g_cfg_key;
int g_cfg_ime;
int g_cfg_wav;
int g_cfg_winfd;
int g_cfg_longname;
int g_cfg_nmidebug;

std::string g_cfg_ext;
std::string g_cfg_winfont;
std::string g_cfg_font;
