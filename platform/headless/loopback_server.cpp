#include "platform/headless/loopback_server.h"
#include "text/header_lines.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace platform::headless {

namespace {

using SteadyTime = std::chrono::steady_clock;

constexpr size_t kMaxHead = 64 * 1024;
constexpr size_t kMaxBody = 1024 * 1024;
constexpr int kReadTimeoutMs = 5000;

int OpenListener(uint16_t& port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        throw std::runtime_error("socket failed");
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof(address);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(fd);
        throw std::runtime_error("bind failed");
    }
    port = ntohs(address.sin_port);
    return fd;
}

// Waits up to timeoutMs for bytes; false on time-out, end or error.
bool ReadSome(int fd, std::string& into, int timeoutMs) {
    pollfd waiting{fd, POLLIN, 0};
    if (poll(&waiting, 1, timeoutMs) <= 0) {
        return false;
    }
    char buffer[4096];
    ssize_t got = recv(fd, buffer, sizeof(buffer), 0);
    if (got <= 0) {
        return false;
    }
    into.append(buffer, static_cast<size_t>(got));
    return true;
}

bool ReadRequest(int fd, LoopbackRequest& request) {
    std::string data;
    size_t end = std::string::npos;
    while ((end = data.find("\r\n\r\n")) == std::string::npos) {
        // Anything that does not begin like a request (a TLS hello, say) is
        // kept as it came and answered by the handler as it sees fit.
        if (!data.empty() && !(data[0] >= 'A' && data[0] <= 'Z')) {
            request.head = data;
            return true;
        }
        if (data.size() > kMaxHead || !ReadSome(fd, data, kReadTimeoutMs)) {
            request.head = data;
            return !data.empty();
        }
    }
    request.head = data.substr(0, end + 2);
    std::string rest = data.substr(end + 4);
    size_t space = request.head.find(' ');
    size_t second = request.head.find(' ', space + 1);
    if (space != std::string::npos && second != std::string::npos) {
        request.method = request.head.substr(0, space);
        request.target = request.head.substr(space + 1, second - space - 1);
    }
    std::string length = request.Header("Content-Length");
    size_t wanted = length.empty() ? 0 : std::stoul(length);
    wanted = std::min(wanted, kMaxBody);
    while (rest.size() < wanted && ReadSome(fd, rest, kReadTimeoutMs)) {
    }
    request.body = rest.substr(0, wanted);
    return true;
}

} // namespace

std::string LoopbackRequest::Header(const std::string& name) const {
    return text::HeaderValue(head, name).value_or("");
}

bool LoopbackConnection::Send(const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        if (m_stopping) {
            return false;
        }
        pollfd waiting{m_socket, POLLOUT, 0};
        if (poll(&waiting, 1, 100) < 0) {
            return false;
        }
        if (!(waiting.revents & POLLOUT)) {
            if (waiting.revents & (POLLERR | POLLHUP)) {
                return false;
            }
            continue;
        }
        ssize_t put = send(m_socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (put <= 0) {
            return false;
        }
        sent += static_cast<size_t>(put);
    }
    return true;
}

void LoopbackConnection::Drip(const std::string& bytes, uint32_t intervalMs) {
    for (char c : bytes) {
        if (!Send(std::string(1, c))) {
            return;
        }
        auto until = SteadyTime::now() + std::chrono::milliseconds(intervalMs);
        while (SteadyTime::now() < until) {
            if (m_stopping) {
                return;
            }
            // A client that has given up shows as readable (end or reset).
            pollfd waiting{m_socket, POLLIN, 0};
            if (poll(&waiting, 1, 20) > 0) {
                char probe;
                if (recv(m_socket, &probe, 1, MSG_DONTWAIT) <= 0) {
                    return;
                }
            }
        }
    }
}

void LoopbackConnection::Reset() {
    linger abortive{1, 0};
    setsockopt(m_socket, SOL_SOCKET, SO_LINGER, &abortive, sizeof(abortive));
    m_reset = true;
}

LoopbackServer::LoopbackServer(Handler handler, uint32_t lifetimeMs)
    : m_handler(std::move(handler)) {
    m_listener = OpenListener(m_port);
    if (listen(m_listener, 16) != 0) {
        close(m_listener);
        throw std::runtime_error("listen failed");
    }
    m_thread = std::thread([this, lifetimeMs] { Serve(lifetimeMs); });
}

LoopbackServer::~LoopbackServer() {
    m_stopping = true;
    m_thread.join();
    close(m_listener);
}

std::string LoopbackServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

std::vector<LoopbackRequest> LoopbackServer::Requests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

std::string LoopbackServer::Answer(int status, const std::string& headers,
                                   const std::string& body) {
    return "HTTP/1.1 " + std::to_string(status) + " Answer\r\n" + headers +
           "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" +
           body;
}

uint16_t LoopbackServer::UnusedPort() {
    uint16_t port = 0;
    int fd = OpenListener(port);
    close(fd); // bound but never listening: a connection is refused
    return port;
}

void LoopbackServer::Serve(uint32_t lifetimeMs) {
    auto end = SteadyTime::now() + std::chrono::milliseconds(lifetimeMs);
    while (!m_stopping && SteadyTime::now() < end) {
        pollfd waiting{m_listener, POLLIN, 0};
        if (poll(&waiting, 1, 50) <= 0) {
            continue;
        }
        int fd = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
            ServeOne(fd);
            close(fd);
        }
    }
}

void LoopbackServer::ServeOne(int socket) {
    LoopbackRequest request;
    if (!ReadRequest(socket, request)) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.push_back(request);
    }
    LoopbackConnection connection(socket, m_stopping);
    m_handler(request, connection);
    if (!connection.WasReset()) {
        shutdown(socket, SHUT_WR);
        // Let the client read to the end before the socket goes.
        std::string ignored;
        while (!m_stopping && ReadSome(socket, ignored, 200) && ignored.size() < kMaxHead) {
        }
    }
}

} // namespace platform::headless
