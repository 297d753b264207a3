#include "machine/settings.h"

Settings g_settings;
