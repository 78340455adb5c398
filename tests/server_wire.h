#pragma once
// Raw TCP to a server under test, for what an HTTP library would not send:
// endless lines, dripping heads, a chosen loopback source address.
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace server_test {

// A connection to 127.0.0.1:port, from the loopback address `from` when
// given (every 127.x.y.z is this machine), or -1.
inline int Connect(int port, const char* from = nullptr) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    if (from) {
        inet_pton(AF_INET, from, &addr.sin_addr);
        if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            close(fd);
            return -1;
        }
    }
    addr.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, "127.0.0.1", &addr.sin_addr);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

inline bool Readable(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, timeoutMs) > 0;
}

// Reads one answer: until its head and Content-Length bytes of body are
// in, the connection ends, or nothing comes for timeoutMs.
inline std::string ReadAll(int fd, int timeoutMs) {
    std::string got;
    char buffer[8192];
    ssize_t n;
    while (Readable(fd, timeoutMs) && (n = recv(fd, buffer, sizeof buffer, 0)) > 0) {
        got.append(buffer, static_cast<size_t>(n));
        size_t head = got.find("\r\n\r\n");
        size_t length = got.find("Content-Length: ");
        if (head != std::string::npos && length < head &&
            got.size() >= head + 4 + std::strtoul(got.c_str() + length + 16, nullptr, 10)) {
            break;
        }
    }
    return got;
}

// The status of an HTTP answer, 0 when there is none.
inline int StatusOf(const std::string& answer) {
    return answer.rfind("HTTP/1.", 0) == 0 && answer.size() > 12 ? std::atoi(answer.c_str() + 9)
                                                                 : 0;
}

// One request on a connection of its own; its whole answer, empty on failure.
inline std::string Exchange(int port, const std::string& request, const char* from = nullptr,
                            int timeoutMs = 5000) {
    int fd = Connect(port, from);
    if (fd < 0) {
        return "";
    }
    send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::string answer = ReadAll(fd, timeoutMs);
    close(fd);
    return answer;
}

// Clients that send a request line, then one header byte every interval,
// each from its own loopback address when a prefix like "127.0.2." is given.
class Drippers {
public:
    Drippers(int port, int count, const char* line, int intervalMs, std::string prefix = "") {
        for (int i = 0; i < count; ++i) {
            std::string from = prefix + std::to_string(i + 1);
            m_fds.push_back(Connect(port, prefix.empty() ? nullptr : from.c_str()));
            send(m_fds.back(), line, std::strlen(line), MSG_NOSIGNAL);
        }
        m_thread = std::thread([this, intervalMs] {
            while (m_dripping) {
                for (int fd : m_fds) {
                    send(fd, "X", 1, MSG_NOSIGNAL);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(intervalMs));
            }
        });
    }
    ~Drippers() {
        m_dripping = false;
        m_thread.join();
        for (int fd : m_fds) {
            close(fd);
        }
    }
    const std::vector<int>& Fds() const { return m_fds; }

private:
    std::vector<int> m_fds;
    std::atomic<bool> m_dripping{true};
    std::thread m_thread;
};

// The most memory a process has held so far, in MiB.
inline double PeakMiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string word;
    double kib = -1024;
    while (status >> word && word != "VmHWM:") {
    }
    status >> kib;
    return kib / 1024;
}

} // namespace server_test
