#pragma once
// SDL's virtual game controller: a controller as SDL's own joystick layer
// sees one, with no hardware and no uinput. A test presses its buttons and
// moves its triggers; the game hears it through SDL's game-controller API
// like any plugged-in pad. Every rumble the game asks of it is kept.
#include <SDL.h>

#include <cstdint>
#include <vector>

namespace desktop_test {

class VirtualPad {
public:
    struct Motors {
        uint16_t low = 0;
        uint16_t high = 0;
    };

    // SDL's joystick layer must be running (SdlSystem starts it).
    VirtualPad() {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "virtual test pad";
        desc.userdata = this;
        desc.Rumble = [](void* self, Uint16 low, Uint16 high) {
            static_cast<VirtualPad*>(self)->m_motors.push_back({low, high});
            return 0;
        };
        m_index = SDL_JoystickAttachVirtualEx(&desc);
        if (m_index >= 0) {
            m_joystick = SDL_JoystickOpen(m_index);
        }
        // At rest the triggers are all the way out, as on a real pad.
        SetAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
        SetAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
    }
    ~VirtualPad() {
        if (m_joystick) {
            SDL_JoystickClose(m_joystick);
        }
        if (m_index >= 0) {
            SDL_JoystickDetachVirtual(m_index);
        }
    }
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;

    bool Attached() const { return m_joystick != nullptr; }

    // Down now; the release goes out with SDL's next look at its joysticks.
    void Press(SDL_GameControllerButton button) {
        SDL_JoystickSetVirtualButton(m_joystick, button, SDL_PRESSED);
        SDL_JoystickUpdate();
        SDL_JoystickSetVirtualButton(m_joystick, button, SDL_RELEASED);
    }
    // A trigger pulled all the way and let go again.
    void Pull(SDL_GameControllerAxis trigger) {
        SetAxis(trigger, 32767);
        SDL_JoystickUpdate();
        SetAxis(trigger, -32768);
    }
    void SetAxis(SDL_GameControllerAxis axis, Sint16 value) {
        SDL_JoystickSetVirtualAxis(m_joystick, axis, value);
    }

    // What the motors were asked to do, without the stops.
    std::vector<Motors> Pulses() const {
        std::vector<Motors> pulses;
        for (const Motors& f : m_motors) {
            if (f.low != 0 || f.high != 0) {
                pulses.push_back(f);
            }
        }
        return pulses;
    }

private:
    int m_index = -1;
    SDL_Joystick* m_joystick = nullptr;
    std::vector<Motors> m_motors;
};

} // namespace desktop_test
