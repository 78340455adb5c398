#include "shell/KirikazeJApp.h"

#include "resources/texts.h"
#include "shell/KirikazeJDlg.h"

namespace {
// The one running application, as the framework kept it.
CKirikazeJApp* g_pApp = nullptr;
} // namespace

CKirikazeJApp::CKirikazeJApp(std::string appName) : m_strAppName(std::move(appName)) {
    g_pApp = this;
}

CKirikazeJApp::~CKirikazeJApp() {
    if (g_pApp == this) {
        g_pApp = nullptr;
    }
}

CKirikazeJApp* CKirikazeJApp::Current() {
    return g_pApp;
}

bool CKirikazeJApp::InitInstance() {
    SetRegistryKey(texts::kCompanyKey);
    CKirikazeJDlg dlg;
    dlg.m_strReplayFile = m_strReplayFile;
    m_pMainWnd = &dlg;
    if (dlg.DoModal() < 0) {
        m_nExitCode = 1;
    }
    m_pMainWnd = nullptr;
    return false;
}

void CKirikazeJApp::SetRegistryKey(const std::string& company) {
    m_strRegistryKey = company;
    m_profile.reset();
}

platform::ProfileStore& CKirikazeJApp::Profile() {
    if (!m_profile) {
        m_profile.emplace(platform::ProfileStore::PathFor(m_strRegistryKey, m_strAppName));
        m_profile->Load();
    }
    return *m_profile;
}

std::string CKirikazeJApp::Key(const std::string& section, const std::string& entry) {
    // The game keeps everything in the application's own section "".
    return section.empty() ? entry : section + "." + entry;
}

std::string CKirikazeJApp::GetProfileString(const std::string& section, const std::string& entry,
                                            const std::string& fallback) {
    return Profile().Get(Key(section, entry), fallback);
}

bool CKirikazeJApp::WriteProfileString(const std::string& section, const std::string& entry,
                                       const std::string& value) {
    return Profile().Set(Key(section, entry), value);
}

bool CKirikazeJApp::SaveProfile() {
    return Profile().Save();
}
