// ALSA's own messages off stderr.
#pragma once

// alsa-lib writes its complaints ("ALSA lib ...": no sound card, no
// /dev/snd/seq in a container) straight to stderr, several lines for one
// failed open. From this call on they go nowhere: the caller says once,
// in its own words, what could not be opened.
void alsa_quiet();
