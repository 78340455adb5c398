#pragma once
#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace scored {

// What one request may make the server hold: the request line, all header
// lines together, and a body.
struct HttpLimits {
    size_t requestLine = 8 * 1024;
    size_t headers = 16 * 1024;
    size_t body = 64 * 1024;
};

// One request, once its head has come in whole.
struct HttpRequest {
    std::string method;
    std::string target;
    std::string body;
    size_t contentLength = 0;
    // Only "close" among the Connection header's options ends a connection
    // after its answer; clients of the old server rely on that, HTTP/1.0 ones too.
    bool keepAlive = true;
    // The languages the client reads, as its Accept-Language header lists them.
    std::string acceptLanguage;
    // When it had come in whole: the time its answer is owed from.
    std::chrono::steady_clock::time_point received;

    std::string_view Path() const { return std::string_view(target).substr(0, target.find('?')); }
};

// Reads a request head from the bytes received so far, refusing as soon as
// they show it would break a limit, so an endless line costs no more than
// its limit.
class RequestHead {
public:
    enum class Outcome { NeedMore, Complete, Refused };
    struct Result {
        Outcome outcome = Outcome::NeedMore;
        HttpRequest request; // when Complete; its body still to come
        size_t headLength = 0;
        int status = 0; // when Refused: 400, 411, 413, 414 or 431
    };

    // `scanned` carries how far earlier calls looked for the end of the head
    // (start at 0), so a sender dripping byte by byte costs linear time.
    static Result Parse(std::string_view bytes, size_t& scanned, const HttpLimits& limits);
};

} // namespace scored
