#include "server/http_response.h"

#include <map>
#include <strings.h>

namespace scored {
namespace {

struct NoCase {
    bool operator()(const std::string& a, const std::string& b) const {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    }
};

std::string StatusLine(int status) {
    return "HTTP/1.1 " + std::to_string(status) + " " + HttpResponse::Reason(status) + "\r\n";
}

} // namespace

std::string HttpResponse::Bytes(bool headRequest, bool keepAlive) const {
    std::multimap<std::string, std::string, NoCase> all(headers.begin(), headers.end());
    if (keepAlive) {
        all.emplace("Keep-Alive", "timeout=" + std::to_string(kKeepAliveSeconds) +
                                      ", max=" + std::to_string(kKeepAliveRequests));
    } else {
        all.emplace("Connection", "close");
    }
    if (headRequest) {
        all.emplace("Accept-Ranges", "bytes");
    }
    all.emplace("Content-Length", std::to_string(body.size()));
    std::string out = StatusLine(status);
    for (const auto& [name, value] : all) {
        out += name + ": " + value + "\r\n";
    }
    out += "\r\n";
    if (!headRequest) {
        out += body;
    }
    return out;
}

std::string HttpResponse::Refusal(int status) {
    return StatusLine(status) + "Connection: close\r\nContent-Length: 0\r\n\r\n";
}

const char* HttpResponse::Reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case 411:
        return "Length Required";
    case 413:
        return "Payload Too Large";
    case 414:
        return "URI Too Long";
    case 431:
        return "Request Header Fields Too Large";
    case 503:
        return "Service Unavailable";
    default:
        return "Internal Server Error";
    }
}

} // namespace scored
