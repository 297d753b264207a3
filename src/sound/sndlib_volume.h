// Total volume of the sound library (256 = unity).
#pragma once

#include "sound/sndlib/x68sound.h"
