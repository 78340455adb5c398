#include "backends/sdl/sdl_system.h"

#include <SDL.h>

#include <cstdio>

namespace platform::sdl {

SdlSystem::SdlSystem(const ui::DesktopSettings& settings) {
    // SDL turns SIGINT and SIGTERM into a quit event, which ends the game the
    // same way as closing its window.
    m_ready = SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0;
    if (!m_ready) {
        std::fprintf(stderr, "kirikazeJ: cannot start SDL video: %s\n", SDL_GetError());
    }
    // The controller's buttons are meant by where they sit (south strikes),
    // whatever letter a maker printed on them.
    SDL_SetHint(SDL_HINT_GAMECONTROLLER_USE_BUTTON_LABELS, "0");
    // Without controller support the keyboard still plays the whole game.
    if (m_ready && SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        std::fprintf(stderr, "kirikazeJ: no game controllers: %s\n", SDL_GetError());
    }
    m_windows.Pads().SetRumble(settings.rumble);
    m_windows.SetStartScale(settings.scale);
    m_services.clock = &m_clock;
    m_services.messageBoxes = &m_boxes;
    m_services.launcher = &m_launcher;
    m_services.audio = m_audio.get();
    m_services.credentials = &m_credentials;
    m_services.speech = &m_speech;
    m_services.haptics = &m_windows.Pads();
    m_previous = InstallServices(m_services);
    m_previousWindows = ui::InstallWindowServices({&m_windows, &m_dialogs});
}

SdlSystem::~SdlSystem() {
    InstallServices(m_previous);
    ui::InstallWindowServices(m_previousWindows);
    m_audio.reset(); // its device closes before SDL goes
    m_windows.Pads().CloseAll();
    SDL_Quit();
}

void SdlSystem::Reinstall(const Services& services) {
    m_services = services;
    InstallServices(m_services);
}

} // namespace platform::sdl
