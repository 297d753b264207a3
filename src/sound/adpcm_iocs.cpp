#include "sound/adpcm_iocs.h"

// No library is fitted yet: nothing plays and the voice reads idle.
void adpcm_iocs_out(uint32_t, uint32_t, uint32_t) {}
void adpcm_iocs_array_out(uint32_t, uint32_t, uint32_t) {}
void adpcm_iocs_link_out(uint32_t, uint32_t) {}
uint32_t adpcm_iocs_sense() { return 0; }
void adpcm_iocs_mode(uint32_t) {}
