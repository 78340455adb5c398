#pragma once
#include "backends/sdl/sdl_audio.h"
#include "backends/sdl/sdl_message_boxes.h"
#include "backends/sdl/sdl_score_dialogs.h"
#include "backends/sdl/sdl_window.h"
#include "platform/clock.h"
#include "platform/services.h"
#include "platform/shell.h"
#include "platform/speechd_speech.h"
#include "ui/desktop_settings.h"
#include "ui/dialog_credential_prompt.h"
#include "ui/dialog_message_boxes.h"
#include "ui/window_services.h"

#include <memory>

namespace platform::sdl {

// The services for play: SDL video and events, the steady clock, message
// boxes drawn in the game window, the SDL audio output and the POSIX launcher.
// Installs them, and the window and its dialogs, while it lives.
class SdlSystem {
public:
    explicit SdlSystem(const ui::DesktopSettings& settings = {});
    ~SdlSystem();
    SdlSystem(const SdlSystem&) = delete;
    SdlSystem& operator=(const SdlSystem&) = delete;

    // False when SDL could not start its video; the reason went to stderr.
    bool Ready() const { return m_ready; }
    const Services& Installed() const { return m_services; }
    void Reinstall(const Services& services);

private:
    bool m_ready = false;
    SteadyClock m_clock;
    SdlWindowSystem m_windows;
    // Before there is a window to draw in, SDL's own boxes.
    SdlMessageBoxes m_systemBoxes{m_windows};
    PosixLauncher m_launcher;
    // Opened on the game's first CreateDevice; without a device the game is silent.
    std::unique_ptr<AudioSystem> m_audio = CreateSdlAudioSystem();
    SdlScoreDialogs m_dialogs{m_windows};
    // A server's request for a name and password is a dialog like the score's.
    ui::DialogCredentialPrompt m_credentials{m_dialogs};
    // And so are the game's message boxes.
    ui::DialogMessageBoxes m_boxes{m_dialogs, m_systemBoxes};
    SpeechdSpeech m_speech;
    Services m_services;
    Services m_previous;
    ui::WindowServices m_previousWindows;
};

} // namespace platform::sdl
