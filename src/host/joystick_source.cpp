#include "host/joystick_source.h"

namespace {

class NoJoysticks : public JoystickSource {
public:
    int count() override { return 0; }
    bool caps(int, HostJoyCaps&) override { return false; }
    bool position(int, HostJoyPos&) override { return false; }
    uint32_t generation() override { return 0; }
};

NoJoysticks s_none;
JoystickSource* s_source = &s_none;

bool valid(int device) { return device >= 0 && device < HOST_JOY_DEVICES; }

}  // namespace

JoystickSource* host_joystick_source() { return s_source; }
void host_set_joystick_source(JoystickSource* source) { s_source = source ? source : &s_none; }

void FakeJoystickSource::set(int device, uint32_t buttons, uint32_t x, uint32_t y) {
    if (!valid(device)) return;
    if (!present_[device]) generation_++;
    present_[device] = true;
    pos_[device] = {x > HOST_JOY_AXIS_MAX ? HOST_JOY_AXIS_MAX : x, y > HOST_JOY_AXIS_MAX ? HOST_JOY_AXIS_MAX : y,
                    buttons};
}

void FakeJoystickSource::unplug(int device) {
    if (!valid(device) || !present_[device]) return;
    present_[device] = false;
    generation_++;
}

int FakeJoystickSource::count() {
    int n = 0;
    for (bool p : present_) n += p;
    return n;
}

bool FakeJoystickSource::caps(int device, HostJoyCaps& out) {
    if (!valid(device) || !present_[device]) return false;
    out = {0, HOST_JOY_AXIS_MAX, 0, HOST_JOY_AXIS_MAX};
    return true;
}

bool FakeJoystickSource::position(int device, HostJoyPos& out) {
    if (!valid(device) || !present_[device]) return false;
    out = pos_[device];
    return true;
}
