// Host joysticks as the machine's joystick ports read them: devices 0 and
// 1, two axes of 0-65535 and up to 12 buttons. The SDL source reads game
// controllers and plain joysticks; the fake one is set by tests and by the
// headless runner's input script.
#pragma once

#include <cstdint>

inline constexpr int HOST_JOY_DEVICES = 2;
inline constexpr uint32_t HOST_JOY_AXIS_MAX = 65535;
inline constexpr uint32_t HOST_JOY_AXIS_CENTRE = 32767;
inline constexpr int HOST_JOY_BUTTONS = 12;

struct HostJoyCaps {
    uint32_t x_min, x_max, y_min, y_max;
};

struct HostJoyPos {
    uint32_t x, y;     // 0-65535
    uint32_t buttons;  // bit n: button n + 1
};

class JoystickSource {
public:
    virtual ~JoystickSource() = default;
    // Devices present.
    virtual int count() = 0;
    // False when the device is not there.
    virtual bool caps(int device, HostJoyCaps& out) = 0;
    virtual bool position(int device, HostJoyPos& out) = 0;
    // Changes whenever a device comes or goes.
    virtual uint32_t generation() = 0;
};

// A source of set values: a device is there from its first set until it
// is unplugged.
class FakeJoystickSource : public JoystickSource {
public:
    void set(int device, uint32_t buttons, uint32_t x, uint32_t y);
    void unplug(int device);
    int count() override;
    bool caps(int device, HostJoyCaps& out) override;
    bool position(int device, HostJoyPos& out) override;
    uint32_t generation() override { return generation_; }

private:
    bool present_[HOST_JOY_DEVICES] = {};
    HostJoyPos pos_[HOST_JOY_DEVICES] = {};
    uint32_t generation_ = 0;
};

// The source the joystick ports read: none (no device) until one is set.
JoystickSource* host_joystick_source();
void host_set_joystick_source(JoystickSource* source);
