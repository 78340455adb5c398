#pragma once
#include <string>

// What the game remembers between runs: the area and the player name last
// entered for a score, and (read only) the score server to talk to.
class CKirikazeReg {
public:
    CKirikazeReg() = default;
    virtual ~CKirikazeReg() = default;

    // Reads the settings; missing values give the defaults.
    void Load();
    // Writes area and name; the file is written once, here.
    void Save();
    // The "lang" line: "ja" or "en" when the player chose one, else empty.
    // Read on its own, because the window's caption needs it before Load.
    std::string LanguageSetting();

    std::string m_strArea;
    std::string m_strName;
    // The score server's base address ("server=" line, never written back).
    std::string m_strServer;

private:
    std::string GetProfileString(std::string section, std::string entry, std::string fallback);
    bool WriteProfileString(std::string section, std::string entry, std::string value);
};
