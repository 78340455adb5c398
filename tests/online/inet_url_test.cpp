// Splitting and combining addresses, as the HTTP client and the converter use them.
#include "platform/inet_url.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(InetUrl, ParseSplitsServerObjectAndPort) {
    struct Case {
        std::string url;
        bool ok;
        platform::UrlService service;
        std::string server;
        std::string object;
        uint16_t port;
    };
    using S = platform::UrlService;
    const std::vector<Case> cases = {
        {"http://example.jp/game/GameSet.asp?aria=a b&name=x", true, S::Http, "example.jp",
         "/game/GameSet.asp?aria=a b&name=x", 80},
        {"HTTPS://Example.jp", true, S::Https, "Example.jp", "/", 443},
        {"https://example.jp:8443?q=1", true, S::Https, "example.jp", "/?q=1", 8443},
        {"http://user:pw@127.0.0.1:8080/p", true, S::Http, "127.0.0.1", "/p", 8080},
        {"http://[::1]:81/v6", true, S::Http, "[::1]", "/v6", 81},
        {"example.jp/path", false, S::Http, "", "", 0},
        {"ftp://example.jp/", false, S::Http, "", "", 0},
        {"http:///nohost", false, S::Http, "", "", 0},
        {"http://host:0/", false, S::Http, "", "", 0},
        {"http://host:65536/", false, S::Http, "", "", 0},
        {"http://host:8x/", false, S::Http, "", "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        platform::ParsedUrl parsed;
        ASSERT_EQ(platform::ParseUrl(c.url, parsed), c.ok);
        if (!c.ok) {
            continue;
        }
        EXPECT_EQ(parsed.service, c.service);
        EXPECT_EQ(parsed.server, c.server);
        EXPECT_EQ(parsed.object, c.object);
        EXPECT_EQ(parsed.port, c.port);
    }
}

TEST(InetUrl, CombineResolvesRelativeAddresses) {
    struct Case {
        std::string base;
        std::string relative;
        std::string combined;
    };
    const std::vector<Case> cases = {
        {"http://h/a/b/page.html", "next.html", "http://h/a/b/next.html"},
        {"http://h/a/b/page.html", "../up.html", "http://h/a/up.html"},
        {"http://h:8080/a/", "/root?q=1", "http://h:8080/root?q=1"},
        {"http://h/a/", "//other/x", "http://other/x"},
        {"http://h/a/", "https://z/y", "https://z/y"},
        {"http://h/a/", "#top", "http://h/a/#top"},
        {"", "page.html", "page.html"},
        {"http://h/a/", "mailto:someone@example.jp", "mailto:someone@example.jp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.base + " + " + c.relative);
        EXPECT_EQ(platform::CombineUrl(c.base, c.relative), c.combined);
    }
}

} // namespace
