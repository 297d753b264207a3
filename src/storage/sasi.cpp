#include "storage/sasi.h"

uint32_t sasi_read_byte(uint32_t) { return 0; }
uint32_t sasi_read_word(uint32_t) { return 0; }
uint32_t sasi_read_long(uint32_t) { return 0; }
void sasi_write_byte(uint32_t, uint32_t) {}
void sasi_write_word(uint32_t, uint32_t) {}
void sasi_write_long(uint32_t, uint32_t) {}
