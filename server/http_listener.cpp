#include "server/http_listener.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace scored {

struct HttpListener::Connection {
    int fd = -1;
    std::string buffer;
    size_t scanned = 0;
    // A head read whole whose body is still coming.
    std::unique_ptr<HttpRequest> head;
    Clock::time_point deadline;
    int served = 0;
    bool busy = false;     // a worker has it
    bool close = false;    // the worker's verdict
    bool draining = false; // refused: what still comes is read and dropped, so the
                           // refusal reaches the client before the connection ends
    size_t drained = 0;
};

namespace {

// After a refusal, at most this much is read and dropped, for at most this long.
constexpr size_t kDrainBytes = 1 << 20;
constexpr auto kDrainTime = std::chrono::seconds(1);
// Reads from one connection before the others get their turn.
constexpr int kReadsPerTurn = 8;

std::string WhyNot(int err) {
    return err == EADDRINUSE ? "the port is already in use (is another server running?)"
           : err == EACCES   ? "permission denied (ports below 1024 need privileges)"
                             : std::strerror(err);
}

} // namespace

HttpListener::HttpListener(Settings settings, Handler handler)
    : m_settings(settings), m_handler(std::move(handler)),
      m_wake(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

HttpListener::~HttpListener() {
    Stop();
    if (m_listen >= 0) {
        close(m_listen);
    }
    close(m_wake);
}

bool HttpListener::Bind(const std::string& host, int port, std::string& error) {
    const std::string where = "cannot listen on " + host + ":" + std::to_string(port) + ": ";
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    int rc = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (rc != 0) {
        error = where + "unknown host " + host + " (" + gai_strerror(rc) + ")";
        return false;
    }
    int err = EADDRNOTAVAIL;
    for (addrinfo* a = found; a && m_listen < 0; a = a->ai_next) {
        int sock =
            socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (sock < 0) {
            err = errno;
            continue;
        }
        // Spares the wait after a restart, and still lets no second server
        // share a busy port.
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
        if (bind(sock, a->ai_addr, a->ai_addrlen) != 0 || listen(sock, SOMAXCONN) != 0) {
            err = errno;
            close(sock);
            continue;
        }
        m_listen = sock;
    }
    freeaddrinfo(found);
    if (m_listen < 0) {
        error = where + WhyNot(err);
        return false;
    }
    sockaddr_storage bound{};
    socklen_t length = sizeof(bound);
    getsockname(m_listen, reinterpret_cast<sockaddr*>(&bound), &length);
    m_port = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                               : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    return true;
}

bool HttpListener::Run() {
    if (m_listen < 0) {
        return false;
    }
    m_epoll = epoll_create1(EPOLL_CLOEXEC);
    epoll_event listenEvent{EPOLLIN, {.fd = m_listen}};
    epoll_event wakeEvent{EPOLLIN, {.fd = m_wake}};
    epoll_ctl(m_epoll, EPOLL_CTL_ADD, m_listen, &listenEvent);
    epoll_ctl(m_epoll, EPOLL_CTL_ADD, m_wake, &wakeEvent);
    m_running = true;
    for (int i = 0; i < m_settings.workers; ++i) {
        m_workers.emplace_back([this] { Work(); });
    }
    epoll_event events[64];
    while (!m_stopping) {
        int n = epoll_wait(m_epoll, events, 64, 100);
        for (int i = 0; i < n && !m_stopping; ++i) {
            int fd = events[i].data.fd;
            if (fd == m_listen) {
                Accept();
            } else if (fd == m_wake) {
                uint64_t count;
                (void)!read(m_wake, &count, sizeof count);
                TakeBack();
            } else if (auto it = m_connections.find(fd);
                       it != m_connections.end() && !it->second->busy) {
                Read(*it->second);
            }
        }
        Sweep();
    }
    // Requests already read are still answered; nothing new is taken.
    close(m_listen);
    m_listen = -1;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_running = false;
    }
    m_ready.notify_all();
    for (auto& worker : m_workers) {
        worker.join();
    }
    m_workers.clear();
    for (auto& [fd, c] : m_connections) {
        close(fd);
    }
    m_connections.clear();
    m_returned.clear();
    close(m_epoll);
    m_epoll = -1;
    return true;
}

void HttpListener::Stop() {
    m_stopping = true;
    Wake();
}

void HttpListener::Wake() {
    uint64_t one = 1;
    (void)!write(m_wake, &one, sizeof one);
}

void HttpListener::Accept() {
    while (true) {
        int fd = accept4(m_listen, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            return;
        }
        // Past the cap a newcomer costs nothing but its socket, at once given back.
        if (m_connections.size() >= m_settings.maxConnections) {
            close(fd);
            continue;
        }
        // An answer goes out in one write; no reason to hold its end back.
        int yes = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        auto c = std::make_unique<Connection>();
        c->fd = fd;
        c->deadline = Clock::now() + m_settings.idleTimeout;
        epoll_event event{EPOLLIN, {.fd = fd}};
        epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &event);
        m_connections.emplace(fd, std::move(c));
    }
}

void HttpListener::Read(Connection& c) {
    char chunk[16 * 1024];
    for (int turn = 0; turn < kReadsPerTurn && !c.busy; ++turn) {
        ssize_t n = recv(c.fd, chunk, sizeof chunk, 0);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            return;
        }
        if (n <= 0) {
            Close(c.fd);
            return;
        }
        if (c.draining) {
            c.drained += static_cast<size_t>(n);
            if (c.drained > kDrainBytes) {
                Close(c.fd);
                return;
            }
            continue;
        }
        if (c.buffer.empty() && !c.head) {
            c.deadline = Clock::now() + m_settings.requestTimeout;
        }
        c.buffer.append(chunk, static_cast<size_t>(n));
        Advance(c);
    }
}

void HttpListener::Advance(Connection& c) {
    if (!c.head) {
        RequestHead::Result head = RequestHead::Parse(c.buffer, c.scanned, m_settings.limits);
        if (head.outcome == RequestHead::Outcome::Refused) {
            Refuse(c, head.status);
            return;
        }
        if (head.outcome == RequestHead::Outcome::NeedMore) {
            return;
        }
        c.head = std::make_unique<HttpRequest>(std::move(head.request));
        c.buffer.erase(0, head.headLength);
        c.scanned = 0;
    }
    if (c.buffer.size() >= c.head->contentLength) {
        HttpRequest request = std::move(*c.head);
        c.head.reset();
        request.body = c.buffer.substr(0, request.contentLength);
        c.buffer.erase(0, request.contentLength);
        Dispatch(c, std::move(request));
    }
}

void HttpListener::Dispatch(Connection& c, HttpRequest request) {
    epoll_ctl(m_epoll, EPOLL_CTL_DEL, c.fd, nullptr);
    c.busy = true;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_jobs.emplace_back(&c, std::move(request));
    }
    m_ready.notify_one();
}

void HttpListener::Refuse(Connection& c, int status) {
    std::string answer = HttpResponse::Refusal(status);
    // A few dozen bytes always fit an empty socket buffer.
    (void)!send(c.fd, answer.data(), answer.size(), MSG_NOSIGNAL);
    shutdown(c.fd, SHUT_WR);
    std::string().swap(c.buffer);
    c.head.reset();
    c.draining = true;
    c.deadline = Clock::now() + kDrainTime;
}

void HttpListener::Close(int fd) {
    epoll_ctl(m_epoll, EPOLL_CTL_DEL, fd, nullptr);
    close(fd);
    m_connections.erase(fd);
}

void HttpListener::Sweep() {
    auto now = Clock::now();
    std::vector<int> idle;
    for (auto& [fd, c] : m_connections) {
        if (c->busy || now < c->deadline) {
            continue;
        }
        if (c->draining || (c->buffer.empty() && !c->head)) {
            idle.push_back(fd);
        } else {
            Refuse(*c, 408);
        }
    }
    for (int fd : idle) {
        Close(fd);
    }
}

void HttpListener::TakeBack() {
    std::vector<Connection*> returned;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        returned.swap(m_returned);
    }
    for (Connection* c : returned) {
        if (c->close) {
            close(c->fd);
            m_connections.erase(c->fd);
            continue;
        }
        c->busy = false;
        c->deadline = Clock::now() + m_settings.idleTimeout;
        epoll_event event{EPOLLIN, {.fd = c->fd}};
        epoll_ctl(m_epoll, EPOLL_CTL_ADD, c->fd, &event);
        // A request the client sent on before its answer came is served now.
        if (!c->buffer.empty()) {
            c->deadline = Clock::now() + m_settings.requestTimeout;
            Advance(*c);
        }
    }
}

void HttpListener::Work() {
    while (true) {
        std::unique_lock<std::mutex> hold(m_lock);
        m_ready.wait(hold, [this] { return !m_jobs.empty() || !m_running; });
        if (m_jobs.empty()) {
            return;
        }
        auto [c, request] = std::move(m_jobs.front());
        m_jobs.pop_front();
        hold.unlock();
        Serve(*c, request);
        hold.lock();
        m_returned.push_back(c);
        hold.unlock();
        Wake();
    }
}

void HttpListener::Serve(Connection& c, const HttpRequest& request) {
    HttpResponse response = m_handler(request);
    ++c.served;
    bool keepAlive =
        request.keepAlive && c.served < HttpResponse::kKeepAliveRequests && !m_stopping;
    std::string bytes = response.Bytes(request.method == "HEAD", keepAlive);
    auto deadline = Clock::now() + m_settings.writeTimeout;
    size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = send(c.fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd p{c.fd, POLLOUT, 0};
        if ((n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) ||
            left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            break;
        }
    }
    c.close = !keepAlive || sent < bytes.size();
}

} // namespace scored
