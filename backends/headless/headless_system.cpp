#include "backends/headless/headless_system.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace platform::headless {

HeadlessSystem::HeadlessSystem(uint32_t startTick) : m_clock(startTick) {
    m_services.clock = &m_clock;
    m_services.messageBoxes = &m_boxes;
    m_services.launcher = &m_launches;
    m_services.audio = &m_audio;
    m_services.speech = &m_speech;
    m_services.haptics = &m_windows.Pads();
    m_previous = InstallServices(m_services);
    m_previousWindows = ui::InstallWindowServices({&m_windows, &m_dialogs});

    if (const char* old = std::getenv("XDG_CONFIG_HOME")) {
        m_hadConfigHome = true;
        m_oldConfigHome = old;
    }
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    std::string pattern = (base / "kirikazeJ-config-XXXXXX").string();
    if (mkdtemp(pattern.data())) {
        m_configHome = pattern;
        setenv("XDG_CONFIG_HOME", m_configHome.c_str(), 1);
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* old = std::getenv(name);
        m_oldLocale.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        unsetenv(name);
    }
}

HeadlessSystem::~HeadlessSystem() {
    InstallServices(m_previous);
    ui::InstallWindowServices(m_previousWindows);
    if (m_hadConfigHome) {
        setenv("XDG_CONFIG_HOME", m_oldConfigHome.c_str(), 1);
    } else {
        unsetenv("XDG_CONFIG_HOME");
    }
    for (const auto& [name, old] : m_oldLocale) {
        if (old) {
            setenv(name, old->c_str(), 1);
        } else {
            unsetenv(name);
        }
    }
    if (!m_configHome.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_configHome, ignored);
    }
}

void HeadlessSystem::Reinstall(const Services& services) {
    m_services = services;
    InstallServices(m_services);
}

} // namespace platform::headless
