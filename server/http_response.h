#pragma once
#include <string>
#include <utility>
#include <vector>

namespace scored {

// One answer, and the exact bytes it goes out as.
struct HttpResponse {
    // How long and for how many requests a connection is kept for the next.
    static constexpr int kKeepAliveSeconds = 5;
    static constexpr int kKeepAliveRequests = 5;

    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    // Status line, headers in name order, then the body (not for a HEAD
    // request): the form the game's client has been answered in all along.
    std::string Bytes(bool headRequest, bool keepAlive) const;

    // An empty answer that closes the connection, for a request refused
    // before it was read whole.
    static std::string Refusal(int status);

    static const char* Reason(int status);
};

} // namespace scored
