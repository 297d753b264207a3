// Test support: a flat 16 MB bus of plain big-endian RAM on all 128 pages,
// and a way to run the real run loop one instruction at a time.
#pragma once

#include <cstdint>
#include <initializer_list>

// Builds the decode tables once, maps 16 MB of zeroed RAM on every page
// (also as g_machine.main_ram), clears the debugger data and the machine's requests.
void flat_bus_install();
uint8_t* flat_bus_memory();

void flat_write_byte(uint32_t addr, uint32_t v);
void flat_write_word(uint32_t addr, uint32_t v);
void flat_write_long(uint32_t addr, uint32_t v);
uint32_t flat_read_byte(uint32_t addr);
uint32_t flat_read_word(uint32_t addr);
uint32_t flat_read_long(uint32_t addr);
// Writes consecutive words from addr on.
void flat_write_words(uint32_t addr, std::initializer_list<uint16_t> words);

// Resets the processor state: all registers 0, PC, A7 = ssp (supervisor),
// SR, no interrupt pending or requested, no event due.
void cpu_test_reset(uint32_t pc, uint32_t ssp = 0x2000, uint32_t sr = 0x2700);
// Runs one instruction through the real run loop (run flags 1) and returns
// the cycles it added.
uint32_t cpu_test_step();
