#pragma once
#include "platform/shell.h"

#include <string>
#include <vector>

namespace platform::headless {

// Records what would have been opened or started; nothing is run.
class RecordedLaunches : public Launcher {
public:
    struct Launch {
        bool url = false;              // an address for the browser, else a program
        std::string target;            // the address, or the program's path as the game gave it
        std::string parameters;        // the parameter string as the game gave it
        std::vector<std::string> args; // the arguments the program would receive
    };

    void OpenUrl(const std::string& url) override { m_launches.push_back({true, url, {}, {}}); }
    void StartProgram(const std::string& gamePath, const std::string& parameters) override {
        m_launches.push_back({false, gamePath, parameters, SplitParameters(parameters)});
    }

    const std::vector<Launch>& Launches() const { return m_launches; }
    void Clear() { m_launches.clear(); }

private:
    std::vector<Launch> m_launches;
};

} // namespace platform::headless
