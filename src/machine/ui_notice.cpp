#include "machine/ui_notice.h"

UiNotice g_ui_notice;
