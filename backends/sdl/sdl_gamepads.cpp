#include "backends/sdl/sdl_gamepads.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace platform::sdl {

namespace {

std::optional<ui::PadInput> InputOfButton(Uint8 button) {
    switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
        return ui::PadInput::DpadUp;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
        return ui::PadInput::DpadDown;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
        return ui::PadInput::DpadLeft;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
        return ui::PadInput::DpadRight;
    // With button labels off (SdlSystem), A to Y are places, not letters.
    case SDL_CONTROLLER_BUTTON_A:
        return ui::PadInput::South;
    case SDL_CONTROLLER_BUTTON_B:
        return ui::PadInput::East;
    case SDL_CONTROLLER_BUTTON_X:
        return ui::PadInput::West;
    case SDL_CONTROLLER_BUTTON_Y:
        return ui::PadInput::North;
    case SDL_CONTROLLER_BUTTON_BACK:
        return ui::PadInput::Back;
    case SDL_CONTROLLER_BUTTON_GUIDE:
        return ui::PadInput::Guide;
    case SDL_CONTROLLER_BUTTON_START:
        return ui::PadInput::Start;
    case SDL_CONTROLLER_BUTTON_LEFTSTICK:
        return ui::PadInput::LeftStick;
    case SDL_CONTROLLER_BUTTON_RIGHTSTICK:
        return ui::PadInput::RightStick;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER:
        return ui::PadInput::LeftShoulder;
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER:
        return ui::PadInput::RightShoulder;
    default:
        return std::nullopt;
    }
}

} // namespace

SdlGamepads::~SdlGamepads() {
    CloseAll();
}

void SdlGamepads::CloseAll() {
    for (SDL_GameController* controller : m_open) {
        SDL_GameControllerClose(controller);
    }
    m_open.clear();
}

bool SdlGamepads::Handles(const SDL_Event& event) {
    switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED:
        Open(event.cdevice.which);
        return true;
    case SDL_CONTROLLERDEVICEREMOVED:
        Close(event.cdevice.which);
        return true;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
    case SDL_CONTROLLERAXISMOTION:
        return true;
    default:
        return false;
    }
}

ui::PadKey SdlGamepads::KeyFor(const SDL_Event& event, ui::PadTarget target) {
    // Unplugged with a button held, SDL lets go of it for the player; that
    // release is no key, or pulling the cable would block or strike.
    const SDL_JoystickID which =
        event.type == SDL_CONTROLLERAXISMOTION ? event.caxis.which : event.cbutton.which;
    if (SDL_GameController* controller = SDL_GameControllerFromInstanceID(which);
        controller && !SDL_GameControllerGetAttached(controller)) {
        m_keys.Forget(which);
        return {};
    }
    if (event.type == SDL_CONTROLLERBUTTONDOWN || event.type == SDL_CONTROLLERBUTTONUP) {
        const std::optional<ui::PadInput> input = InputOfButton(event.cbutton.button);
        if (!input) {
            return {};
        }
        return m_keys.Button(event.cbutton.which, *input, event.type == SDL_CONTROLLERBUTTONDOWN,
                             target);
    }
    if (event.type == SDL_CONTROLLERAXISMOTION) {
        // The sticks steer nothing in a game played by ear.
        if (event.caxis.axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT) {
            return m_keys.Trigger(event.caxis.which, ui::PadInput::LeftTrigger, event.caxis.value,
                                  target);
        }
        if (event.caxis.axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT) {
            return m_keys.Trigger(event.caxis.which, ui::PadInput::RightTrigger, event.caxis.value,
                                  target);
        }
    }
    return {};
}

void SdlGamepads::Open(int deviceIndex) {
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    const bool known = std::any_of(m_open.begin(), m_open.end(), [&](SDL_GameController* c) {
        return SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(c)) == id;
    });
    if (known) {
        return;
    }
    if (SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex)) {
        m_open.push_back(controller);
        return;
    }
    std::fprintf(stderr, "kirikazeJ: cannot open the game controller: %s\n", SDL_GetError());
}

void SdlGamepads::Close(SDL_JoystickID id) {
    const auto it = std::find_if(m_open.begin(), m_open.end(), [&](SDL_GameController* c) {
        return SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(c)) == id;
    });
    if (it != m_open.end()) {
        SDL_GameControllerClose(*it);
        m_open.erase(it);
    }
    m_keys.Forget(id);
}

void SdlGamepads::Play(Haptic event) {
    if (!m_rumble) {
        return;
    }
    const Rumble rumble = RumbleFor(event);
    for (SDL_GameController* controller : m_open) {
        if (SDL_GameControllerHasRumble(controller)) {
            SDL_GameControllerRumble(controller, rumble.low, rumble.high, rumble.ms);
        }
    }
}

} // namespace platform::sdl
