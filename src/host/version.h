#pragma once

// Release version of the emulator, e.g. "0.1.0".
const char* zolm_version();
