#pragma once
#include "backends/headless/headless_audio.h"
#include "backends/headless/headless_score_dialogs.h"
#include "backends/headless/headless_window.h"
#include "backends/headless/recorded_launches.h"
#include "backends/headless/recorded_message_boxes.h"
#include "backends/headless/recorded_speech.h"
#include "backends/headless/virtual_clock.h"
#include "platform/services.h"
#include "ui/window_services.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform::headless {

// Everything the game needs from a platform, without a screen or a sound card:
// installs itself on construction and puts back the previous services when it
// goes. While it lives, XDG_CONFIG_HOME points into a fresh temporary folder,
// so no test ever touches the player's own settings, and no locale variable
// is set, so the game plays in its own language unless a test sets one.
class HeadlessSystem {
public:
    explicit HeadlessSystem(uint32_t startTick = 0);
    ~HeadlessSystem();
    HeadlessSystem(const HeadlessSystem&) = delete;
    HeadlessSystem& operator=(const HeadlessSystem&) = delete;

    RecordedMessageBoxes& MessageBoxes() { return m_boxes; }
    RecordedLaunches& Launches() { return m_launches; }
    // The sound output: render it to hear what the game plays.
    HeadlessAudio& Audio() { return m_audio; }
    HeadlessScoreDialogs& ScoreDialogs() { return m_dialogs; }
    RecordedSpeech& Speech() { return m_speech; }
    // Game controllers, and the rumbles the game asked of them.
    HeadlessPads& Pads() { return m_windows.Pads(); }
    // The window the game has open; null when none is.
    HeadlessWindow* Window() const { return m_windows.Current(); }
    // The temporary folder standing in for the user's config folder.
    const std::string& ConfigHome() const { return m_configHome; }
    // The installed table, for adding services built elsewhere.
    const Services& Installed() const { return m_services; }
    void Reinstall(const Services& services);

private:
    VirtualClock m_clock;
    RecordedMessageBoxes m_boxes;
    RecordedLaunches m_launches;
    HeadlessWindowSystem m_windows{m_clock};
    HeadlessAudio m_audio;
    HeadlessScoreDialogs m_dialogs{m_windows};
    RecordedSpeech m_speech;
    Services m_services;
    Services m_previous;
    ui::WindowServices m_previousWindows;
    std::string m_configHome;
    std::string m_oldConfigHome;
    bool m_hadConfigHome = false;
    std::vector<std::pair<const char*, std::optional<std::string>>> m_oldLocale;
};

} // namespace platform::headless
