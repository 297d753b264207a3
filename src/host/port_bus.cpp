#include "host/port_bus.h"

#include <vector>

namespace {

struct Attached {
    int handle;
    PortDevice device;
};
std::vector<Attached> s_devices;
int s_next_handle = 1;

constexpr uint8_t PORT_FLOATING = 0xFF;  // what a port without a card reads

}  // namespace

int port_bus_attach(const PortDevice& device) {
    s_devices.push_back({s_next_handle, device});
    return s_next_handle++;
}

void port_bus_detach(int handle) {
    std::erase_if(s_devices, [&](const Attached& a) { return a.handle == handle; });
}

uint8_t port_in(uint16_t port) {
    uint8_t v;
    for (const Attached& a : s_devices)
        if (a.device.in && a.device.in(a.device.user, port, v)) return v;
    return PORT_FLOATING;
}

void port_out(uint16_t port, uint8_t value) {
    for (const Attached& a : s_devices)
        if (a.device.out && a.device.out(a.device.user, port, value)) return;
}
