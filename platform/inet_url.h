#pragma once
// Splitting and combining internet addresses, the way the game's HTTP code
// expects: the object keeps its query exactly as written.

#include <cstdint>
#include <string>

namespace platform {

enum class UrlService { Http, Https };

struct ParsedUrl {
    UrlService service = UrlService::Http;
    std::string server; // host name; an IPv6 address keeps its brackets
    std::string object; // path with query, "/" when the URL names none
    uint16_t port = 80;
};

// Splits an absolute http or https URL. False for anything else (no scheme,
// another scheme, no host, a port that is not a number from 1 to 65535).
bool ParseUrl(const std::string& url, ParsedUrl& parsed);

// Resolves a relative address against a base. When the two cannot be
// combined (no usable base, a scheme like mailto:) the relative address is
// returned as it is, so a link is never lost.
std::string CombineUrl(const std::string& base, const std::string& relative);

} // namespace platform
