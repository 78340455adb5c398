#include "platform/inet_url.h"
#include "text/ascii.h"

#include <curl/curl.h>

#include <cctype>
#include <memory>

namespace platform {

namespace {

bool ParsePort(const std::string& digits, uint16_t& port) {
    if (digits.empty() || digits.size() > 5) {
        return false;
    }
    unsigned value = 0;
    for (char c : digits) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return false;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535) {
        return false;
    }
    port = static_cast<uint16_t>(value);
    return true;
}

// host[:port] of the authority, user information already removed.
bool ParseHostPort(const std::string& hostPort, ParsedUrl& parsed) {
    std::string host = hostPort;
    std::string port;
    if (!host.empty() && host[0] == '[') {
        size_t close = host.find(']');
        if (close == std::string::npos) {
            return false;
        }
        std::string rest = host.substr(close + 1);
        host.resize(close + 1);
        if (!rest.empty()) {
            if (rest[0] != ':') {
                return false;
            }
            port = rest.substr(1);
        }
    } else if (size_t colon = host.find(':'); colon != std::string::npos) {
        port = host.substr(colon + 1);
        host.resize(colon);
    }
    if (host.empty() || host == "[]") {
        return false;
    }
    if (!port.empty() && !ParsePort(port, parsed.port)) {
        return false;
    }
    parsed.server = host;
    return true;
}

struct UrlHandleDeleter {
    void operator()(CURLU* handle) const { curl_url_cleanup(handle); }
};

} // namespace

bool ParseUrl(const std::string& url, ParsedUrl& parsed) {
    size_t marker = url.find("://");
    if (marker == std::string::npos) {
        return false;
    }
    std::string scheme = text::AsciiLower(url.substr(0, marker));
    ParsedUrl result;
    if (scheme == "http") {
        result.service = UrlService::Http;
        result.port = 80;
    } else if (scheme == "https") {
        result.service = UrlService::Https;
        result.port = 443;
    } else {
        return false;
    }
    size_t start = marker + 3;
    size_t end = url.find_first_of("/?#", start);
    std::string authority =
        url.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (size_t at = authority.rfind('@'); at != std::string::npos) {
        authority.erase(0, at + 1);
    }
    if (!ParseHostPort(authority, result)) {
        return false;
    }
    std::string object = end == std::string::npos ? std::string() : url.substr(end);
    result.object = (object.empty() || object[0] != '/') ? std::string(1, '/') : std::string();
    result.object += object;
    parsed = result;
    return true;
}

std::string CombineUrl(const std::string& base, const std::string& relative) {
    std::unique_ptr<CURLU, UrlHandleDeleter> handle(curl_url());
    if (!handle) {
        return relative;
    }
    const unsigned flags = CURLU_NON_SUPPORT_SCHEME | CURLU_URLENCODE;
    if (curl_url_set(handle.get(), CURLUPART_URL, base.c_str(), flags) != CURLUE_OK ||
        curl_url_set(handle.get(), CURLUPART_URL, relative.c_str(), flags) != CURLUE_OK) {
        return relative;
    }
    char* combined = nullptr;
    if (curl_url_get(handle.get(), CURLUPART_URL, &combined, 0) != CURLUE_OK || !combined) {
        return relative;
    }
    std::string result = combined;
    curl_free(combined);
    return result;
}

} // namespace platform
