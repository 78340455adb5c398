#pragma once
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
};

// Through the installed backend; without one, nothing happens.
void OpenUrl(const std::string& url);
void StartProgram(const std::string& gamePath, const std::string& parameters);

// Splits a parameter string into arguments the way a Windows program's
// start-up code does: blanks separate, double quotes group, and backslashes
// only matter right before a quote.
std::vector<std::string> SplitParameters(const std::string& parameters);

// The real launcher: xdg-open for addresses, posix_spawn for programs. Every
// child is reaped when it ends, so none is left behind as a zombie.
class PosixLauncher : public Launcher {
public:
    void OpenUrl(const std::string& url) override;
    void StartProgram(const std::string& gamePath, const std::string& parameters) override;
};

} // namespace platform
