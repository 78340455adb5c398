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
        std::vector<std::string> args; // the arguments the program would receive
    };

    void OpenUrl(const std::string& url) override { m_launches.push_back({true, url, {}}); }
    void StartProgram(const std::string& gamePath, const std::string& parameters) override {
        m_launches.push_back({false, gamePath, SplitParameters(parameters)});
    }

    // A local server "answers" at once; each request is kept as program:port.
    bool ServeLocally(const std::string& program, uint16_t port) override {
        m_served.push_back(program + ":" + std::to_string(port));
        m_serving = true;
        return true;
    }
    const std::vector<std::string>& Served() const { return m_served; }
    void StopServing() override { m_serving = false; }
    // Whether a server started by ServeLocally is still meant to run.
    bool Serving() const { return m_serving; }

    const std::vector<Launch>& Launches() const { return m_launches; }

private:
    std::vector<Launch> m_launches;
    std::vector<std::string> m_served;
    bool m_serving = false;
};

} // namespace platform::headless
