// Host joysticks through SDL: devices 0 and 1 in SDL's order. A game
// controller gives its left stick (the d-pad as full deflection) and
// buttons 1-12 as A B X Y LB RB Back Start LS RS LT RT; a plain joystick
// its axes 0 and 1, hat 0 and buttons 0-11.
#pragma once

#include <SDL.h>

#include "host/joystick_source.h"

// A game controller's reading as the ports take it.
HostJoyPos game_controller_pos(const int16_t (&axes)[SDL_CONTROLLER_AXIS_MAX],
                               const bool (&buttons)[SDL_CONTROLLER_BUTTON_MAX]);
// A plain joystick's reading: hat 0 (SDL_HAT_*) before the axes.
HostJoyPos plain_joystick_pos(int16_t x, int16_t y, uint8_t hat, uint32_t buttons);

class SdlJoystickSource : public JoystickSource {
public:
    ~SdlJoystickSource() override;
    // Starts SDL's joystick and game controller parts; false without them.
    bool open();
    // Closes the devices and SDL's joystick parts (before SDL_Quit).
    void close();
    int count() override;
    bool caps(int device, HostJoyCaps& out) override;
    bool position(int device, HostJoyPos& out) override;
    uint32_t generation() override;

private:
    // Opens devices again when SDL's list changed.
    void refresh();
    void close_all();
    bool started_ = false;
    SDL_GameController* controller_[HOST_JOY_DEVICES] = {};
    SDL_Joystick* joystick_[HOST_JOY_DEVICES] = {};
    SDL_JoystickID ids_[HOST_JOY_DEVICES] = {-1, -1};
    uint32_t generation_ = 1;
};
