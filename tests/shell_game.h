#pragma once
// A whole game on the headless backend, started in a data folder of its own.
#include "audio/SoundVolume.h"
#include "backends/headless/headless_system.h"
#include "platform/keys.h"
#include "resources/texts.h"
#include "scenes/SceenGame.h"
#include "scenes/SceenMenu.h"
#include "shell/KirikazeJApp.h"
#include "shell/KirikazeJDlg.h"

#include <filesystem>
#include <memory>

namespace kztest {

// Runs the game in a working folder (with a sound folder, made if need be)
// and puts the old one back afterwards.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::filesystem::path& path)
        : m_old(std::filesystem::current_path()) {
        std::filesystem::create_directories(path / "sound");
        std::filesystem::current_path(path);
    }
    ~WorkingFolder() { std::filesystem::current_path(m_old); }

private:
    std::filesystem::path m_old;
};

// dataDir: the game's working folder; a fresh one when empty.
struct Game {
    explicit Game(uint32_t startTick = 1000, const std::string& dataDir = "")
        : system(startTick),
          folder(dataDir.empty() ? std::filesystem::path(system.ConfigHome()) / "data"
                                : std::filesystem::path(dataDir)) {
        app.SetRegistryKey(texts::kCompanyKey);
        // The volume each sound id was last given outlives the scenes for the
        // whole process, as in the game; a game started here is a new process's.
        for (uint32_t id = 0; id < CSoundVolume::kRemembered; ++id) {
            CSoundVolume::Instance().SetRemembered(id, 0);
        }
    }

    // Opens the main window and runs its start-up, as DoModal would.
    platform::headless::HeadlessWindow& Start() {
        dlg = std::make_unique<CKirikazeJDlg>();
        dlg->m_strReplayFile = replayFile;
        dlg->Create();
        return *system.Window();
    }

    std::filesystem::path SettingsFile() const {
        return std::filesystem::path(system.ConfigHome()) / "velsoft/kirikazeJ/settings.ini";
    }
    std::string DataDir() const { return std::filesystem::current_path().string(); }

    platform::headless::HeadlessSystem system;
    WorkingFolder folder;
    CKirikazeJApp app{"kirikazeJ"};
    std::unique_ptr<CKirikazeJDlg> dlg;
    std::string replayFile; // as given after --replay
};

} // namespace kztest
