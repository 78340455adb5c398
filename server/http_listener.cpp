#include "server/http_listener.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace scored {

struct HttpListener::Connection {
    int fd = -1;
    std::string peer; // its key for the per-address cap
    std::string buffer;
    size_t scanned = 0;
    // A head read whole whose body is still coming.
    std::unique_ptr<HttpRequest> head;
    Clock::time_point deadline;
    int served = 0;
    bool busy = false;     // a worker has it
    bool closed = false;   // its descriptor goes back after the events at hand
    bool close = false;    // once the answer going out is out
    bool draining = false; // refused: what still comes is read and dropped, so the
                           // refusal reaches the client before the connection ends
    size_t drained = 0;
    std::string out; // the answer going out, and how much of it is out
    size_t sent = 0;
    uint32_t watching = 0; // the events epoll reports for it; 0 when none
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

// Connections from one household share its address; an IPv6 household gets
// a whole /64, so that is the unit there.
std::string AddressKey(const sockaddr_storage& from) {
    if (from.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(from).sin_addr;
        return std::string(reinterpret_cast<const char*>(&v4), sizeof v4);
    }
    const auto& v6 = reinterpret_cast<const sockaddr_in6&>(from).sin6_addr;
    const char* bytes = reinterpret_cast<const char*>(&v6);
    return IN6_IS_ADDR_V4MAPPED(&v6) ? std::string(bytes + 12, 4) : std::string(bytes, 8);
}

} // namespace

HttpListener::HttpListener(Settings settings, Handler handler, Screen screen)
    : m_settings(settings), m_handler(std::move(handler)), m_screen(std::move(screen)),
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
            } else if (auto it = m_connections.find(fd); it != m_connections.end()) {
                Connection& c = *it->second;
                if (c.busy || c.closed) {
                    continue;
                }
                if (c.out.empty()) {
                    Read(c);
                } else {
                    Flush(c);
                }
            }
        }
        Reap();
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
    FinishWrites();
    for (auto& [fd, c] : m_connections) {
        close(fd);
    }
    m_connections.clear();
    m_perAddress.clear();
    m_doomed.clear();
    m_returned.clear();
    m_jobs.clear();
    close(m_epoll);
    m_epoll = -1;
    return true;
}

void HttpListener::FinishWrites() {
    TakeBack();
    auto deadline = Clock::now() + m_settings.writeTimeout;
    epoll_event events[64];
    while (Clock::now() < deadline) {
        bool writing = false;
        for (auto& [fd, c] : m_connections) {
            writing = writing || (!c->closed && !c->out.empty());
        }
        if (!writing) {
            return;
        }
        int n = epoll_wait(m_epoll, events, 64, 100);
        for (int i = 0; i < n; ++i) {
            auto it = m_connections.find(events[i].data.fd);
            if (it != m_connections.end() && !it->second->closed && !it->second->out.empty()) {
                Flush(*it->second);
            }
        }
        Reap();
    }
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
    while (!m_paused) {
        sockaddr_storage from{};
        socklen_t length = sizeof from;
        int fd = accept4(m_listen, reinterpret_cast<sockaddr*>(&from), &length,
                         SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            int err = errno;
            if (err == EINTR || err == ECONNABORTED) {
                continue;
            }
            if (err == EMFILE || err == ENFILE) {
                PauseAccepting();
            }
            return;
        }
        // Past a cap a newcomer costs nothing but its socket, at once given back.
        std::string peer = AddressKey(from);
        auto mine = m_perAddress.find(peer);
        size_t held = mine == m_perAddress.end() ? 0 : mine->second;
        if (m_connections.size() >= m_settings.maxConnections ||
            (m_settings.maxPerAddress > 0 && held >= m_settings.maxPerAddress)) {
            close(fd);
            continue;
        }
        ++m_perAddress[peer];
        // An answer goes out in one write; no reason to hold its end back.
        int yes = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        auto c = std::make_unique<Connection>();
        c->fd = fd;
        c->peer = std::move(peer);
        c->deadline = Clock::now() + m_settings.idleTimeout;
        Watch(*c, EPOLLIN);
        m_connections.emplace(fd, std::move(c));
    }
}

void HttpListener::PauseAccepting() {
    // The pending connection stays in the queue, so the listening socket
    // would be reported again at once: a busy loop, unless it is not watched.
    epoll_ctl(m_epoll, EPOLL_CTL_DEL, m_listen, nullptr);
    m_paused = true;
    m_pausedAt = Clock::now();
    m_descriptorLog.Failed("no file descriptor left for a new connection (" +
                           std::to_string(m_connections.size()) +
                           " open): new connections wait until one closes; raise the limit "
                           "(ulimit -n, LimitNOFILE=)");
}

void HttpListener::ResumeAccepting() {
    if (m_paused && m_listen >= 0) {
        epoll_event event{EPOLLIN, {.fd = m_listen}};
        epoll_ctl(m_epoll, EPOLL_CTL_ADD, m_listen, &event);
        m_paused = false;
    }
}

void HttpListener::Read(Connection& c) {
    char chunk[16 * 1024];
    for (int turn = 0; turn < kReadsPerTurn && !c.busy && !c.closed && c.out.empty(); ++turn) {
        ssize_t n = recv(c.fd, chunk, sizeof chunk, 0);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            return;
        }
        if (n <= 0) {
            Close(c);
            return;
        }
        if (c.draining) {
            c.drained += static_cast<size_t>(n);
            if (c.drained > kDrainBytes) {
                Close(c);
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
    request.received = Clock::now();
    if (std::optional<HttpResponse> quick = m_screen ? m_screen(request) : std::nullopt) {
        Prepare(c, request, *quick);
        c.deadline = Clock::now() + m_settings.writeTimeout;
        Flush(c);
        return;
    }
    if (m_stopping) {
        // The workers are gone or going: nothing new is taken.
        Close(c);
        return;
    }
    Watch(c, 0);
    c.busy = true;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_jobs.emplace_back(&c, std::move(request));
    }
    m_ready.notify_one();
}

void HttpListener::Prepare(Connection& c, const HttpRequest& request,
                           const HttpResponse& response) {
    ++c.served;
    bool keepAlive =
        request.keepAlive && c.served < HttpResponse::kKeepAliveRequests && !m_stopping;
    c.out = response.Bytes(request.method == "HEAD", keepAlive);
    c.sent = 0;
    c.close = !keepAlive;
}

void HttpListener::Flush(Connection& c) {
    while (c.sent < c.out.size()) {
        ssize_t n = send(c.fd, c.out.data() + c.sent, c.out.size() - c.sent, MSG_NOSIGNAL);
        if (n > 0) {
            c.sent += static_cast<size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // The rest goes when the client has read some: until the write
            // time-out, it costs this connection alone.
            Watch(c, EPOLLOUT);
            return;
        } else if (n == 0 || errno != EINTR) {
            Close(c);
            return;
        }
    }
    std::string().swap(c.out);
    c.sent = 0;
    if (c.close) {
        Close(c);
        return;
    }
    Watch(c, EPOLLIN);
    c.deadline = Clock::now() + m_settings.idleTimeout;
    // A request the client sent on before its answer went out is served now.
    if (!c.buffer.empty()) {
        c.deadline = Clock::now() + m_settings.requestTimeout;
        Advance(c);
    }
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

void HttpListener::Watch(Connection& c, uint32_t events) {
    if (c.watching == events) {
        return;
    }
    epoll_event event{events, {.fd = c.fd}};
    int op = c.watching == 0 ? EPOLL_CTL_ADD : events == 0 ? EPOLL_CTL_DEL : EPOLL_CTL_MOD;
    epoll_ctl(m_epoll, op, c.fd, &event);
    c.watching = events;
}

void HttpListener::Close(Connection& c) {
    if (!c.closed) {
        Watch(c, 0);
        c.closed = true;
        m_doomed.push_back(c.fd);
    }
}

void HttpListener::Reap() {
    for (int fd : m_doomed) {
        auto it = m_connections.find(fd);
        if (it != m_connections.end()) {
            auto mine = m_perAddress.find(it->second->peer);
            if (mine != m_perAddress.end() && --mine->second == 0) {
                m_perAddress.erase(mine);
            }
            m_connections.erase(it);
        }
        close(fd);
    }
    if (!m_doomed.empty()) {
        ResumeAccepting();
    }
    m_doomed.clear();
}

void HttpListener::Sweep() {
    auto now = Clock::now();
    if (m_paused && now - m_pausedAt >= std::chrono::seconds(1)) {
        // The descriptors may have been taken by something other than clients.
        ResumeAccepting();
    }
    for (auto& [fd, c] : m_connections) {
        if (c->busy || c->closed || now < c->deadline) {
            continue;
        }
        if (c->draining || !c->out.empty() || (c->buffer.empty() && !c->head)) {
            Close(*c);
        } else {
            Refuse(*c, 408);
        }
    }
    Reap();
}

void HttpListener::TakeBack() {
    std::vector<Connection*> returned;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        returned.swap(m_returned);
    }
    for (Connection* c : returned) {
        c->busy = false;
        c->deadline = Clock::now() + m_settings.writeTimeout;
        Flush(*c);
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
        Prepare(*c, request, m_handler(request));
        hold.lock();
        m_returned.push_back(c);
        hold.unlock();
        Wake();
    }
}

} // namespace scored
