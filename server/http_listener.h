#pragma once
#include "server/http_request.h"
#include "server/http_response.h"
#include "server/log_throttle.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace scored {

// A bounded HTTP/1.1 server: one thread reads request heads from every
// connection and writes every answer, so clients that send or read slowly
// hold no worker; the workers only run complete requests that wait on
// storage. No connection holds more than its request's limits, none is kept
// longer than its time-outs, and no one address holds more than its share.
class HttpListener {
public:
    struct Settings {
        HttpLimits limits;
        std::chrono::milliseconds requestTimeout{5000}; // first byte to last of a request
        std::chrono::milliseconds writeTimeout{5000};   // answer ready to its last byte taken
        std::chrono::milliseconds idleTimeout{HttpResponse::kKeepAliveSeconds * 1000};
        size_t maxConnections = 256;
        // Per client address (an IPv6 network's /64); 0 for no cap, as
        // behind a proxy, where every connection comes from the proxy.
        size_t maxPerAddress = 32;
        int workers = 8;
    };
    // Runs on a worker; a HEAD request is answered without the body.
    using Handler = std::function<HttpResponse(const HttpRequest&)>;
    // Runs on the reading thread and must not wait: the answer to a request
    // that needs no worker, or nothing to hand it to one.
    using Screen = std::function<std::optional<HttpResponse>(const HttpRequest&)>;

    HttpListener(Settings settings, Handler handler, Screen screen = {});
    ~HttpListener();
    HttpListener(const HttpListener&) = delete;
    HttpListener& operator=(const HttpListener&) = delete;

    // Takes the address; false, with the reason in error, when the host is
    // unknown or the port is taken or forbidden. Port 0 takes any free port.
    bool Bind(const std::string& host, int port, std::string& error);
    int Port() const { return m_port; }

    // Serves until Stop; false when the address was never bound.
    bool Run();
    // Safe from any thread, before, during or after Run.
    void Stop();
    bool IsRunning() const { return m_running; }

private:
    struct Connection;
    using Clock = std::chrono::steady_clock;

    void Accept();
    void PauseAccepting();
    void ResumeAccepting();
    void Read(Connection& c);
    void Advance(Connection& c);
    void Dispatch(Connection& c, HttpRequest request);
    void Prepare(Connection& c, const HttpRequest& request, const HttpResponse& response);
    void Flush(Connection& c);
    void Refuse(Connection& c, int status);
    void Watch(Connection& c, uint32_t events);
    void Close(Connection& c);
    void Reap();
    void Sweep();
    void TakeBack();
    void FinishWrites();
    void Work();
    void Wake();

    Settings m_settings;
    Handler m_handler;
    Screen m_screen;
    int m_listen = -1;
    int m_epoll = -1;
    int m_wake = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_running{false};

    // Owned by the reading thread; a connection a worker holds is in none of
    // its sets until the worker gives it back.
    std::map<int, std::unique_ptr<Connection>> m_connections;
    std::map<std::string, size_t> m_perAddress;
    // Closed connections whose descriptors are given back after the events
    // at hand, so none is reused while an event may still name it.
    std::vector<int> m_doomed;
    // Out of descriptors: the listening socket is not watched until a
    // connection closes or a second has passed.
    bool m_paused = false;
    Clock::time_point m_pausedAt;
    LogThrottle m_descriptorLog;

    std::mutex m_lock;
    std::condition_variable m_ready;
    std::deque<std::pair<Connection*, HttpRequest>> m_jobs;
    std::vector<Connection*> m_returned;
    std::vector<std::thread> m_workers;
};

} // namespace scored
