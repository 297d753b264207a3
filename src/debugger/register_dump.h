// "register.log": the emulated devices' registers, decoded where it helps
// reading. Only device state is read; nothing changes.
#pragma once

#include <string>

inline constexpr char REGISTER_LOG_NAME[] = "register.log";

// The whole text of the dump (dbg_dump_registers writes it whole).
std::string dbg_register_dump_text();
