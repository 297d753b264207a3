// The shape of a device on the bus: one handler for each access size and
// direction, and the byte a read would give without side effects (the
// debugger's view). The I/O page is a list of these, built into its tables
// at compile time, so an I/O device gives its record in its header; the
// memory map installs the records of the memory pages at run time. A memory
// page has no peek of its own (nullptr): the debugger reads it through its
// byte reader in probe mode (machine/bus_peek.cpp).
#pragma once

#include <cstdint>

#include "core/bus.h"

struct BusDevice {
    BusReadFn read_byte, read_word, read_long;
    BusWriteFn write_byte, write_word, write_long;
    BusReadFn peek_byte;
};

// Word and long accesses of a byte device: byte accesses, high byte first
// (a read with a side effect sees the earlier ones done).
template <BusReadFn read_byte> uint32_t io_word_of_bytes(uint32_t addr) {
    uint32_t high = read_byte(addr) & 0xFF;
    return (high << 8) | (read_byte(addr + 1) & 0xFF);
}
template <BusReadFn read_byte> uint32_t io_long_of_bytes(uint32_t addr) {
    uint32_t high = io_word_of_bytes<read_byte>(addr);
    return (high << 16) | io_word_of_bytes<read_byte>(addr + 2);
}
template <BusWriteFn write_byte> void io_word_to_bytes(uint32_t addr, uint32_t value) {
    write_byte(addr, (value >> 8) & 0xFF);
    write_byte(addr + 1, value & 0xFF);
}
template <BusWriteFn write_byte> void io_long_to_bytes(uint32_t addr, uint32_t value) {
    io_word_to_bytes<write_byte>(addr, value >> 16);
    io_word_to_bytes<write_byte>(addr + 2, value & 0xFFFF);
}

// Word and long accesses of a device on the low data lines (D0-D7), which
// answers at odd addresses only: a word is its odd byte, a long the odd
// bytes of its two words, high word first.
template <BusReadFn read_byte> uint32_t io_word_of_odd_byte(uint32_t addr) { return read_byte(addr + 1); }
template <BusReadFn read_byte> uint32_t io_long_of_odd_bytes(uint32_t addr) {
    uint32_t high = read_byte(addr + 1);
    return (high << 16) | (read_byte(addr + 3) & 0xFFFF);
}
template <BusWriteFn write_byte> void io_word_to_odd_byte(uint32_t addr, uint32_t value) {
    write_byte(addr + 1, value);
}
template <BusWriteFn write_byte> void io_long_to_odd_bytes(uint32_t addr, uint32_t value) {
    write_byte(addr + 1, value >> 16);
    write_byte(addr + 3, value);
}

// The record of a device whose word and long accesses are its byte
// accesses, on both data lanes or on the odd one.
template <BusReadFn read_byte, BusWriteFn write_byte, BusReadFn peek_byte> constexpr BusDevice bus_device_of_bytes() {
    return {read_byte,  io_word_of_bytes<read_byte>,  io_long_of_bytes<read_byte>,
            write_byte, io_word_to_bytes<write_byte>, io_long_to_bytes<write_byte>,
            peek_byte};
}
template <BusReadFn read_byte, BusWriteFn write_byte, BusReadFn peek_byte>
constexpr BusDevice bus_device_of_odd_bytes() {
    return {read_byte,  io_word_of_odd_byte<read_byte>,  io_long_of_odd_bytes<read_byte>,
            write_byte, io_word_to_odd_byte<write_byte>, io_long_to_odd_bytes<write_byte>,
            peek_byte};
}
