#pragma once
// A small HTTP server on 127.0.0.1 for tests: it reads each request itself and
// lets the test answer with any bytes at all, well-formed or not, dripped,
// cut off or reset. Connections are served one after another, one request
// each, and the server never outlives its lifetime.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace platform::headless {

struct LoopbackRequest {
    std::string head; // request line and headers, as received
    std::string method;
    std::string target;
    std::string body;
    // The value of a header, found by name in any case; empty when absent.
    std::string Header(const std::string& name) const;
};

class LoopbackConnection {
public:
    LoopbackConnection(int socket, const std::atomic<bool>& stopping)
        : m_socket(socket), m_stopping(stopping) {}
    // False once the client has gone.
    bool Send(const std::string& bytes);
    // One byte every intervalMs, until done, the client goes or the server stops.
    void Drip(const std::string& bytes, uint32_t intervalMs);
    // Ends the connection with a reset instead of an orderly close.
    void Reset();
    bool WasReset() const { return m_reset; }

private:
    int m_socket;
    const std::atomic<bool>& m_stopping;
    bool m_reset = false;
};

class LoopbackServer {
public:
    using Handler = std::function<void(const LoopbackRequest&, LoopbackConnection&)>;

    explicit LoopbackServer(Handler handler, uint32_t lifetimeMs = 20000);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    uint16_t Port() const { return m_port; }
    std::string Url(const std::string& path = "/") const;
    std::vector<LoopbackRequest> Requests() const;

    // A complete answer with Content-Length and "Connection: close".
    static std::string Answer(int status, const std::string& headers, const std::string& body);
    // A port on 127.0.0.1 on which nobody listens.
    static uint16_t UnusedPort();

private:
    void Serve(uint32_t lifetimeMs);
    void ServeOne(int socket);

    Handler m_handler;
    int m_listener = -1;
    uint16_t m_port = 0;
    std::atomic<bool> m_stopping{false};
    mutable std::mutex m_mutex;
    std::vector<LoopbackRequest> m_requests;
    std::thread m_thread;
};

} // namespace platform::headless
