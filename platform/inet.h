#pragma once
// The internet client the online code stands on: a session, a connection to a
// server and port, and requests on it. Shaped after the calls the game has
// always made, carried by libcurl. libcurl never follows a redirect and never
// answers a 401 by itself: the game's own HTTP code decides both.
//
// Every operation that can fail throws InetException with a readable text.
// Nothing here keeps more than a bounded amount of the answer in memory: the
// body waits in a small buffer until the reader asks for it.

#include "platform/credentials.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace platform {

// Limits of one session. They stand in for the time-outs a desktop internet
// client brings along; tests shorten them.
struct InetLimits {
    uint32_t connectTimeoutMs = 30000;
    // The whole session (every request, redirect and repeat in it) ends after this.
    uint32_t exchangeTimeoutMs = 60000;
    // An answer header block, or a body, larger than these ends the request.
    size_t maxHeaderBytes = 256 * 1024;
    size_t maxAnswerBytes = 16 * 1024 * 1024;
};

// Process-wide limits for sessions created from now on; returns the previous ones.
InetLimits SetInetLimits(const InetLimits& limits);
InetLimits GetInetLimits();

class InetException : public std::exception {
public:
    explicit InetException(std::string text) : m_text(std::move(text)) {}
    const std::string& ErrorMessage() const { return m_text; }
    const char* what() const noexcept override { return m_text.c_str(); }

private:
    std::string m_text;
};

// Request flags, with the values the game's code passes.
constexpr uint32_t kInetFlagReload = 0x80000000u;
constexpr uint32_t kInetFlagExistingConnect = 0x20000000u;
constexpr uint32_t kInetFlagSecure = 0x00800000u;
constexpr uint32_t kInetFlagNoAutoRedirect = 0x00200000u;

enum class InetVerb { Post = 0, Get = 1 };

// What a session run off the game's thread needs from whoever started it.
struct InetHooks {
    // Set from another thread: the session's next step (within about 100 ms,
    // also while it waits for a silent server) throws InetException.
    const std::atomic<bool>* cancel = nullptr;
    // Asks the player for a user name and password (server, realm); empty for
    // the installed prompt. Time spent asking is not counted against the limits.
    std::function<std::optional<Credentials>(const std::string&, const std::string&)> ask;
};

struct InetSessionState;
struct InetRequestState;
class InetRequest;

class InetSession {
public:
    // agent: sent as User-Agent unless the request's own header block names one.
    explicit InetSession(const std::string& agent, InetHooks hooks = {});
    virtual ~InetSession();
    InetSession(const InetSession&) = delete;
    InetSession& operator=(const InetSession&) = delete;

private:
    friend class InetConnection;
    std::shared_ptr<InetSessionState> m_state;
};

// A server and port. Nothing goes over the network until a request is sent.
class InetConnection {
public:
    // Throws when the server name is empty.
    InetConnection(InetSession& session, const std::string& server, uint16_t port);

    // object: path and query as given; bytes a request line may not carry are
    // percent-encoded on the way out, nothing else is touched.
    std::unique_ptr<InetRequest> OpenRequest(InetVerb verb, const std::string& object,
                                             uint32_t flags);

private:
    std::shared_ptr<InetSessionState> m_session;
    std::string m_server;
    uint16_t m_port;
};

class InetRequest {
public:
    ~InetRequest();
    InetRequest(const InetRequest&) = delete;
    InetRequest& operator=(const InetRequest&) = delete;

    // Adds each "Name: value" line of a CRLF header block whose name is not yet
    // among the request's headers.
    void AddRequestHeaders(const std::string& block);
    // Sends the request (again, when it was sent before) and returns once the
    // answer's status and headers are in. A POST carries the body.
    void SendRequest(const std::string& body = std::string());

    int StatusCode() const;
    // Status line and header lines of the last answer, each ending in CRLF,
    // closed by an empty line.
    const std::string& RawHeaders() const;

    // Asks the player for a user name and password for the server's realm (the
    // last answer's WWW-Authenticate). On an answer the next SendRequest
    // carries them; returns false when the player cancelled or nobody can ask.
    bool PromptForCredentials();

    // Up to size bytes of the body; 0 at its end.
    size_t Read(char* buffer, size_t size);
    // The next line: bytes up to and including a line feed, carriage returns
    // left out, at most size - 1 bytes. False at the end of the body.
    bool ReadString(std::string& line, size_t size);

private:
    friend class InetConnection;
    explicit InetRequest(std::unique_ptr<InetRequestState> state);
    std::unique_ptr<InetRequestState> m_state;
};

} // namespace platform
