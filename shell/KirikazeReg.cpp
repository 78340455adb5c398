#include "shell/KirikazeReg.h"

#include "resources/texts.h"
#include "shell/KirikazeJApp.h"

void CKirikazeReg::Load() {
    m_strArea = GetProfileString("", "aria", "");
    m_strName = GetProfileString("", "name", "");
    m_strServer = GetProfileString("", "server", texts::kDefaultScoreServer);
    // Paths are appended with their own leading slash.
    while (!m_strServer.empty() && m_strServer.back() == '/') {
        m_strServer.pop_back();
    }
}

std::string CKirikazeReg::LanguageSetting() {
    return GetProfileString("", "lang", "");
}

void CKirikazeReg::Save() {
    WriteProfileString("", "aria", m_strArea);
    WriteProfileString("", "name", m_strName);
    if (CKirikazeJApp* app = CKirikazeJApp::Current()) {
        app->SaveProfile();
    }
}

std::string CKirikazeReg::GetProfileString(std::string section, std::string entry,
                                           std::string fallback) {
    CKirikazeJApp* app = CKirikazeJApp::Current();
    return app ? app->GetProfileString(section, entry, fallback) : fallback;
}

bool CKirikazeReg::WriteProfileString(std::string section, std::string entry, std::string value) {
    CKirikazeJApp* app = CKirikazeJApp::Current();
    return app && app->WriteProfileString(section, entry, value);
}
