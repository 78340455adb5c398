#pragma once
#include "platform/haptics.h"
#include "ui/pad_keys.h"

#include <SDL.h>

#include <vector>

namespace platform::sdl {

// The game controllers SDL's game-controller layer knows, plugged in before
// the game started or while it runs. Their events come through the window's
// loops; this turns them into keys (ui/pad_keys.h) and rumbles them
// for the game's haptics.
class SdlGamepads : public Haptics {
public:
    SdlGamepads() = default;
    ~SdlGamepads() override;
    SdlGamepads(const SdlGamepads&) = delete;
    SdlGamepads& operator=(const SdlGamepads&) = delete;

    // The player's rumble= setting.
    void SetRumble(bool on) { m_rumble = on; }

    // True for the events of this kind (device added or removed, a button, an
    // axis); a device event opens or closes the controller.
    bool Handles(const SDL_Event& event);
    // The key a button or trigger event stands for, for the game or a dialog.
    ui::PadKey KeyFor(const SDL_Event& event, ui::PadTarget target);
    int Count() const { return static_cast<int>(m_open.size()); }
    // Before SDL goes.
    void CloseAll();

    // Haptics
    void Play(Haptic event) override;

private:
    void Open(int deviceIndex);
    void Close(SDL_JoystickID id);

    std::vector<SDL_GameController*> m_open;
    ui::PadKeys m_keys;
    bool m_rumble = true;
};

} // namespace platform::sdl
