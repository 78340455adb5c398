#pragma once
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

// Opening documents and starting programs without waiting for them.
class Launcher {
public:
    virtual ~Launcher() = default;
    // Opens the address in the user's web browser.
    virtual void OpenUrl(const std::string& url) = 0;
    // Starts the program (a game path, backslashes allowed) with a parameter
    // string as one command line; a missing program is silently ignored.
    virtual void StartProgram(const std::string& gamePath, const std::string& parameters) = 0;
    // Makes sure a server answers on this machine's port: when nothing does,
    // starts the program of that name installed beside the game's own, in the
    // background, and waits (a few seconds at most) until it answers. False
    // when none could be had.
    virtual bool ServeLocally(const std::string& program, uint16_t port) = 0;
    // Stops what ServeLocally started; the game calls it as it ends.
    virtual void StopServing() = 0;
};

// Through the installed backend; without one, nothing happens.
void OpenUrl(const std::string& url);
void StartProgram(const std::string& gamePath, const std::string& parameters);
bool ServeLocally(const std::string& program, uint16_t port);
void StopServing();

// Splits a parameter string into arguments the way a Windows program's
// start-up code does: blanks separate, double quotes group, and backslashes
// only matter right before a quote.
std::vector<std::string> SplitParameters(const std::string& parameters);

// The real launcher: xdg-open for addresses, posix_spawn for programs. Every
// child is reaped when it ends, so none is left behind as a zombie.
class PosixLauncher : public Launcher {
public:
    ~PosixLauncher() override;
    void OpenUrl(const std::string& url) override;
    void StartProgram(const std::string& gamePath, const std::string& parameters) override;
    // The server runs as our child until StopServing or the launcher goes.
    bool ServeLocally(const std::string& program, uint16_t port) override;
    void StopServing() override;

private:
    std::mutex m_mutex;
    int m_serverPid = 0; // 0: none of ours runs
};

} // namespace platform
