// The machine's devices as one start-up list: each has its state in one
// record, a power-on, a reset and a side-effect-free view of that record.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <type_traits>

struct DeviceEntry {
    const char* name;
    void (*power_on)();  // the state a switched-on machine starts from
    void (*reset)();     // what the reset line does; nullptr: the state stays
    // The device's state record, as bytes (for tests and the debugger).
    std::span<const uint8_t> (*state)();
};

// Every device of the machine, in the order start-up powers them on.
std::span<const DeviceEntry> machine_devices();
// Powers every device on, or resets every device that has a reset.
void devices_power_on();
void devices_reset();

// A record's bytes, padding included; records are plain data.
template <typename Record> std::span<const uint8_t> device_state_bytes(const Record& record) {
    static_assert(std::is_standard_layout_v<Record>);
    return {reinterpret_cast<const uint8_t*>(&record), sizeof record};
}
// Clears a record to all-zero bytes, padding included, so that two
// power-ons give the same bytes.
template <typename Record> void device_clear(Record& record) {
    static_assert(std::is_standard_layout_v<Record>);
    std::memset(static_cast<void*>(&record), 0, sizeof record);
}
