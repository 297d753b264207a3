#include "host/sdl_joysticks.h"

namespace {

constexpr int32_t AXIS_OFFSET = 32768;      // SDL's -32768..32767 to 0..65535
constexpr int16_t TRIGGER_PRESSED = 16384;  // a trigger axis past half way is a button

uint32_t axis_value(int16_t v) { return uint32_t(int32_t(v) + AXIS_OFFSET); }

// Buttons 1-10 of a game controller; 11 and 12 are the triggers.
constexpr SDL_GameControllerButton CONTROLLER_BUTTONS[] = {
    SDL_CONTROLLER_BUTTON_A,
    SDL_CONTROLLER_BUTTON_B,
    SDL_CONTROLLER_BUTTON_X,
    SDL_CONTROLLER_BUTTON_Y,
    SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
    SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
    SDL_CONTROLLER_BUTTON_BACK,
    SDL_CONTROLLER_BUTTON_START,
    SDL_CONTROLLER_BUTTON_LEFTSTICK,
    SDL_CONTROLLER_BUTTON_RIGHTSTICK,
};
constexpr SDL_GameControllerAxis CONTROLLER_TRIGGERS[] = {SDL_CONTROLLER_AXIS_TRIGGERLEFT,
                                                          SDL_CONTROLLER_AXIS_TRIGGERRIGHT};

// Full deflection for a pressed direction, else the axis as it is.
uint32_t with_direction(uint32_t axis, bool low, bool high) {
    if (low) return 0;
    if (high) return HOST_JOY_AXIS_MAX;
    return axis;
}

}  // namespace

HostJoyPos game_controller_pos(const int16_t (&axes)[SDL_CONTROLLER_AXIS_MAX],
                               const bool (&buttons)[SDL_CONTROLLER_BUTTON_MAX]) {
    HostJoyPos p{};
    p.x = with_direction(axis_value(axes[SDL_CONTROLLER_AXIS_LEFTX]), buttons[SDL_CONTROLLER_BUTTON_DPAD_LEFT],
                         buttons[SDL_CONTROLLER_BUTTON_DPAD_RIGHT]);
    p.y = with_direction(axis_value(axes[SDL_CONTROLLER_AXIS_LEFTY]), buttons[SDL_CONTROLLER_BUTTON_DPAD_UP],
                         buttons[SDL_CONTROLLER_BUTTON_DPAD_DOWN]);
    int bit = 0;
    for (SDL_GameControllerButton b : CONTROLLER_BUTTONS) p.buttons |= uint32_t(buttons[b]) << bit++;
    for (SDL_GameControllerAxis a : CONTROLLER_TRIGGERS) p.buttons |= uint32_t(axes[a] >= TRIGGER_PRESSED) << bit++;
    return p;
}

HostJoyPos plain_joystick_pos(int16_t x, int16_t y, uint8_t hat, uint32_t buttons) {
    HostJoyPos p{};
    p.x = with_direction(axis_value(x), hat & SDL_HAT_LEFT, hat & SDL_HAT_RIGHT);
    p.y = with_direction(axis_value(y), hat & SDL_HAT_UP, hat & SDL_HAT_DOWN);
    p.buttons = buttons & ((1u << HOST_JOY_BUTTONS) - 1);
    return p;
}

SdlJoystickSource::~SdlJoystickSource() { close(); }

void SdlJoystickSource::close() {
    if (!started_) return;
    close_all();
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER | SDL_INIT_JOYSTICK);
    started_ = false;
}

bool SdlJoystickSource::open() {
    started_ = SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) == 0;
    if (started_) refresh();
    return started_;
}

void SdlJoystickSource::close_all() {
    for (int d = 0; d < HOST_JOY_DEVICES; d++) {
        if (controller_[d]) SDL_GameControllerClose(controller_[d]);
        else if (joystick_[d]) SDL_JoystickClose(joystick_[d]);
        controller_[d] = nullptr;
        joystick_[d] = nullptr;
        ids_[d] = -1;
    }
}

void SdlJoystickSource::refresh() {
    if (!started_) return;
    int n = SDL_NumJoysticks();
    bool same = true;
    for (int d = 0; d < HOST_JOY_DEVICES; d++) {
        SDL_JoystickID want = d < n ? SDL_JoystickGetDeviceInstanceID(d) : -1;
        bool attached = joystick_[d] && SDL_JoystickGetAttached(joystick_[d]);
        if (want != ids_[d] || (ids_[d] >= 0 && !attached)) same = false;
    }
    if (same) return;
    close_all();
    for (int d = 0; d < HOST_JOY_DEVICES && d < n; d++) {
        if (SDL_IsGameController(d) && (controller_[d] = SDL_GameControllerOpen(d)))
            joystick_[d] = SDL_GameControllerGetJoystick(controller_[d]);
        else joystick_[d] = SDL_JoystickOpen(d);
        if (joystick_[d]) ids_[d] = SDL_JoystickInstanceID(joystick_[d]);
    }
    generation_++;
}

uint32_t SdlJoystickSource::generation() {
    refresh();
    return generation_;
}

int SdlJoystickSource::count() {
    int n = 0;
    for (SDL_Joystick* j : joystick_) n += j != nullptr;
    return n;
}

bool SdlJoystickSource::caps(int device, HostJoyCaps& out) {
    if (device < 0 || device >= HOST_JOY_DEVICES || !joystick_[device]) return false;
    out = {0, HOST_JOY_AXIS_MAX, 0, HOST_JOY_AXIS_MAX};
    return true;
}

bool SdlJoystickSource::position(int device, HostJoyPos& out) {
    if (device < 0 || device >= HOST_JOY_DEVICES || !joystick_[device]) return false;
    if (!SDL_JoystickGetAttached(joystick_[device])) return false;
    if (SDL_GameController* c = controller_[device]) {
        int16_t axes[SDL_CONTROLLER_AXIS_MAX];
        bool buttons[SDL_CONTROLLER_BUTTON_MAX];
        for (int a = 0; a < SDL_CONTROLLER_AXIS_MAX; a++)
            axes[a] = SDL_GameControllerGetAxis(c, SDL_GameControllerAxis(a));
        for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; b++)
            buttons[b] = SDL_GameControllerGetButton(c, SDL_GameControllerButton(b)) != 0;
        out = game_controller_pos(axes, buttons);
        return true;
    }
    SDL_Joystick* j = joystick_[device];
    uint32_t buttons = 0;
    int nb = SDL_JoystickNumButtons(j);
    for (int b = 0; b < HOST_JOY_BUTTONS && b < nb; b++) buttons |= uint32_t(SDL_JoystickGetButton(j, b) != 0) << b;
    int16_t x = SDL_JoystickNumAxes(j) > 0 ? SDL_JoystickGetAxis(j, 0) : 0;
    int16_t y = SDL_JoystickNumAxes(j) > 1 ? SDL_JoystickGetAxis(j, 1) : 0;
    uint8_t hat = SDL_JoystickNumHats(j) > 0 ? SDL_JoystickGetHat(j, 0) : SDL_HAT_CENTERED;
    out = plain_joystick_pos(x, y, hat, buttons);
    return true;
}
