#pragma once
// The system services one backend (SDL for play, headless for tests) provides
// to the game. The backend installs them once at start-up, beside the window
// and its dialogs (ui/window_services.h); game code reaches them only through
// the narrow headers of this folder (clock.h, sound.h, message_box.h, ...).

namespace platform {

class Clock;
class MessageBoxes;
class AudioSystem;
class Launcher;
class CredentialPrompt;
class Speech;
class Haptics;

struct Services {
    Clock* clock = nullptr;
    MessageBoxes* messageBoxes = nullptr;
    AudioSystem* audio = nullptr;
    Launcher* launcher = nullptr;
    CredentialPrompt* credentials = nullptr;
    Speech* speech = nullptr;
    Haptics* haptics = nullptr;
};

// Replaces the installed services and returns the previous set, so a test can
// put back what it found.
Services InstallServices(const Services& services);
const Services& GetServices();

} // namespace platform
