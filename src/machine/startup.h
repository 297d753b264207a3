// Machine start-up, reset and shut-down.
#pragma once

#include <cstdint>
#include <string>

// Brings the machine up: ROMs, SRAM, main RAM, access map, memory map,
// devices, reset and the first frame start. 0 on success, 1 on failure.
uint32_t init_start();
// Why the last init_start failed, in one line that says what to do about
// it; empty after a success.
const std::string& init_start_failure();
// Saves SRAM and the access map and releases the machine; a file that
// could not be saved is said (a message box) and logged.
void init_stop();
// True when the last init_stop could not save "sram.ram" or "access.dat".
bool init_files_unsaved();
int init_startup();
void init_shutdown();

// Resets the processor from the IPL ROM's vectors and the devices that a
// reset touches (every device's reset, machine/device.h); RAM, VRAM and
// the memory map stay.
void init_reset_machine();
void init_reset_cpu();
void init_reset_machine_state();
// False while the reset of a halt close to the last one runs: the devices
// then keep what they read from files (the key map).
bool init_reset_reads_files();

// True when the machine has done nothing but halt on double bus faults
// and reset for a while; pc is the last halt's.
bool init_halt_looping(uint32_t* pc = nullptr);

// True between a successful init_start and init_stop.
bool init_machine_running();
