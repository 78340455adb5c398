#pragma once
#include "platform/profile.h"

#include <optional>
#include <string>

class CKirikazeJDlg;

// The application: names where the settings live, runs the main window as a
// modal dialog and lets the process end when it closes.
class CKirikazeJApp {
public:
    // appName: the executable's file name without its extension.
    explicit CKirikazeJApp(std::string appName);
    ~CKirikazeJApp();
    CKirikazeJApp(const CKirikazeJApp&) = delete;
    CKirikazeJApp& operator=(const CKirikazeJApp&) = delete;

    // Runs the whole game; always false, so nothing runs after it.
    bool InitInstance();
    // 0, or 1 when the main window could not be opened at all.
    int ExitCode() const { return m_nExitCode; }

    // The settings live under this company's name and the application's.
    void SetRegistryKey(const std::string& company);
    // The per-user settings; the file is read at the first call.
    std::string GetProfileString(const std::string& section, const std::string& entry,
                                 const std::string& fallback);
    // Kept in memory until SaveProfile writes them all at once.
    bool WriteProfileString(const std::string& section, const std::string& entry,
                            const std::string& value);
    bool SaveProfile();

    // The running application, for the parts of the game that need its
    // settings; null when none runs.
    static CKirikazeJApp* Current();

    const std::string m_strAppName;
    // A replay to play at start-up (kirikazeJ --replay FILE); empty for none.
    std::string m_strReplayFile;
    CKirikazeJDlg* m_pMainWnd = nullptr;

private:
    platform::ProfileStore& Profile();
    static std::string Key(const std::string& section, const std::string& entry);

    std::string m_strRegistryKey;
    std::optional<platform::ProfileStore> m_profile;
    int m_nExitCode = 0;
};
