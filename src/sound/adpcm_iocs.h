// IOCS ADPCM calls served through the sound library (FM 4 with FMPCM8).
#pragma once

#include <cstdint>

void adpcm_iocs_out(uint32_t address, uint32_t mode, uint32_t length);        // $60
void adpcm_iocs_array_out(uint32_t table, uint32_t mode, uint32_t count);     // $62
void adpcm_iocs_link_out(uint32_t table, uint32_t mode);                      // $64
uint32_t adpcm_iocs_sense();                                                  // $66
void adpcm_iocs_mode(uint32_t mode);                                          // $67, before the ROM's call
