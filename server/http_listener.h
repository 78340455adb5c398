#pragma once
#include "server/http_request.h"
#include "server/http_response.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace scored {

// A bounded HTTP/1.1 server: one thread reads request heads from every
// connection, so clients that send slowly hold no worker; the workers only
// run complete requests. No connection holds more than its request's limits,
// and none is kept longer than its time-outs.
class HttpListener {
public:
    struct Settings {
        HttpLimits limits;
        std::chrono::milliseconds requestTimeout{5000}; // first byte to last of a request
        std::chrono::milliseconds writeTimeout{5000};
        std::chrono::milliseconds idleTimeout{HttpResponse::kKeepAliveSeconds * 1000};
        size_t maxConnections = 256;
        int workers = 8;
    };
    // Runs on a worker; a HEAD request is answered without the body.
    using Handler = std::function<HttpResponse(const HttpRequest&)>;

    HttpListener(Settings settings, Handler handler);
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
    void Read(Connection& c);
    void Advance(Connection& c);
    void Dispatch(Connection& c, HttpRequest request);
    void Refuse(Connection& c, int status);
    void Close(int fd);
    void Sweep();
    void TakeBack();
    void Work();
    void Serve(Connection& c, const HttpRequest& request);
    void Wake();

    Settings m_settings;
    Handler m_handler;
    int m_listen = -1;
    int m_epoll = -1;
    int m_wake = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_running{false};

    // Owned by the reading thread; a connection a worker holds is in none of
    // its sets until the worker gives it back.
    std::map<int, std::unique_ptr<Connection>> m_connections;

    std::mutex m_lock;
    std::condition_variable m_ready;
    std::deque<std::pair<Connection*, HttpRequest>> m_jobs;
    std::vector<Connection*> m_returned;
    std::vector<std::thread> m_workers;
};

} // namespace scored
