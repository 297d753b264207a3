// The host's x86 I/O ports, as the sound back ends see them: devices that
// stand in for PC cards claim ports; a port nobody answers reads $FF and
// takes writes silently. No real port is ever touched.
#pragma once

#include <cstdint>

struct PortDevice {
    // Port read: true, with the byte, when the device answers at port.
    bool (*in)(void* user, uint16_t port, uint8_t& value);
    // Port write: true when the device answers at port.
    bool (*out)(void* user, uint16_t port, uint8_t value);
    void* user;
};

// Adds a device (the first attached answers first); returns its handle.
int port_bus_attach(const PortDevice& device);
void port_bus_detach(int handle);

uint8_t port_in(uint16_t port);
void port_out(uint16_t port, uint8_t value);
