#include "server/http_request.h"

#include <algorithm>
#include <cctype>

namespace scored {
namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view Trim(std::string_view text) {
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The characters of a header's name (RFC 9110's tchar).
bool IsTokenChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) ||
           std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

// Connection holds a list of options: "keep-alive, close" closes too.
bool ListsClose(std::string_view value) {
    while (!value.empty()) {
        size_t comma = value.find(',');
        if (EqualsNoCase(Trim(value.substr(0, comma)), "close")) {
            return true;
        }
        value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
    }
    return false;
}

RequestHead::Result Refuse(int status) {
    RequestHead::Result result;
    result.outcome = RequestHead::Outcome::Refused;
    result.status = status;
    return result;
}

// Where the blank line that ends the head finishes, or npos.
size_t FindHeadEnd(std::string_view bytes, size_t& scanned) {
    for (size_t i = std::max<size_t>(scanned, 1); i < bytes.size(); ++i) {
        if (bytes[i] != '\n') {
            continue;
        }
        if (bytes[i - 1] == '\n' || (i >= 2 && bytes[i - 1] == '\r' && bytes[i - 2] == '\n')) {
            scanned = i + 1;
            return i + 1;
        }
    }
    scanned = bytes.size();
    return std::string_view::npos;
}

bool ParseRequestLine(std::string_view line, HttpRequest& request) {
    size_t first = line.find(' ');
    size_t last = line.rfind(' ');
    if (first == std::string_view::npos || first == 0 || last == first) {
        return false;
    }
    std::string_view version = line.substr(last + 1);
    if (version != "HTTP/1.1" && version != "HTTP/1.0") {
        return false;
    }
    request.method = line.substr(0, first);
    request.target = line.substr(first + 1, last - first - 1);
    return !request.target.empty() && request.target.find(' ') == std::string::npos;
}

} // namespace

RequestHead::Result RequestHead::Parse(std::string_view bytes, size_t& scanned,
                                       const HttpLimits& limits) {
    size_t lineEnd = bytes.find('\n');
    if (lineEnd == std::string_view::npos ? bytes.size() > limits.requestLine
                                          : lineEnd > limits.requestLine) {
        return Refuse(414);
    }
    size_t headEnd = FindHeadEnd(bytes, scanned);
    size_t headerBytes = (headEnd == std::string_view::npos ? bytes.size() : headEnd) -
                         (lineEnd == std::string_view::npos ? bytes.size() : lineEnd);
    if (headerBytes > limits.headers) {
        return Refuse(431);
    }
    if (headEnd == std::string_view::npos) {
        return {};
    }

    Result result;
    HttpRequest& request = result.request;
    if (!ParseRequestLine(Trim(bytes.substr(0, lineEnd)), request)) {
        return Refuse(400);
    }
    bool hasLength = false;
    std::string_view headers = bytes.substr(lineEnd + 1, headEnd - lineEnd - 1);
    while (!headers.empty()) {
        size_t end = headers.find('\n');
        std::string_view line = headers.substr(0, end);
        headers = end == std::string_view::npos ? std::string_view() : headers.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty()) {
            continue;
        }
        // A folded line, or a space before the colon, is read by some proxies
        // as part of another header and by others as a header of its own:
        // we would disagree with one of them about where a request ends.
        size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0 ||
            !std::all_of(line.begin(), line.begin() + colon, IsTokenChar)) {
            return Refuse(400);
        }
        std::string_view name = line.substr(0, colon);
        std::string_view value = Trim(line.substr(colon + 1));
        if (EqualsNoCase(name, "Content-Length")) {
            // Two lengths, or one that is not a plain number, would let a
            // proxy and us disagree about where the next request begins.
            if (hasLength || value.empty() || value.size() > 12 ||
                !std::all_of(value.begin(), value.end(),
                             [](char c) { return c >= '0' && c <= '9'; })) {
                return Refuse(400);
            }
            hasLength = true;
            request.contentLength = std::stoull(std::string(value));
        } else if (EqualsNoCase(name, "Transfer-Encoding")) {
            // No path takes a body of unknown length.
            return Refuse(411);
        } else if (EqualsNoCase(name, "Connection") && ListsClose(value)) {
            request.keepAlive = false;
        } else if (EqualsNoCase(name, "Accept-Language")) {
            request.acceptLanguage = value;
        }
    }
    if (request.contentLength > limits.body) {
        return Refuse(413);
    }
    result.outcome = Outcome::Complete;
    result.headLength = headEnd;
    return result;
}

} // namespace scored
