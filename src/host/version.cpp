#include "host/version.h"

const char* zolm_version() { return ZOLM_VERSION_STRING; }
