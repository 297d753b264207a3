#include "input/printer.h"

uint32_t prt_read_byte(uint32_t) { return 0; }
uint32_t prt_read_word(uint32_t) { return 0; }
uint32_t prt_read_long(uint32_t) { return 0; }
void prt_write_byte(uint32_t, uint32_t) {}
void prt_write_word(uint32_t, uint32_t) {}
void prt_write_long(uint32_t, uint32_t) {}
