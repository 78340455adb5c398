#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

namespace scored {

// The real server binary in a child process, as a player would run it: for
// the crash tests and the load run.
class ScoredProcess {
public:
    struct Finished {
        int exitCode = -1;  // -1 when it did not exit on its own in time
        std::string output; // stdout and stderr together
    };

    // Starts the binary and waits (at most timeoutMs) until it says where it
    // listens; false, with its output or the reason in error, otherwise.
    bool Start(const std::string& binary, const std::vector<std::string>& args, std::string& error,
               int timeoutMs = 10000);
    ~ScoredProcess();

    int Port() const { return m_port; }
    pid_t Pid() const { return m_pid; }
    // All it has printed so far, waiting up to waitMs for more.
    const std::string& Output(int waitMs = 0);
    // Sends the signal and reaps the child; its exit code, or 128 + the
    // signal when the signal ended it.
    int Stop(int signal);

    // Runs the binary to its end, for arguments that make it exit at once.
    static Finished Run(const std::string& binary, const std::vector<std::string>& args,
                        int timeoutMs = 10000);

private:
    bool Spawn(const std::string& binary, const std::vector<std::string>& args);
    pid_t m_pid = -1;
    int m_output = -1;
    int m_port = 0;
    std::string m_printed;
};

} // namespace scored
