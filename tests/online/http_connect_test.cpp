// CVelHttpConnect against servers on 127.0.0.1: what goes out, how answers
// come back as lines, redirects, credentials, and every way a server can fail.
#include "online/VelHttpConnect.h"
#include "platform/headless/loopback_server.h"
#include "platform/headless/scripted_credentials.h"
#include "platform/inet.h"
#include "platform/services.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using platform::headless::LoopbackConnection;
using platform::headless::LoopbackRequest;
using platform::headless::LoopbackServer;

using Lines = std::vector<std::string>;

// Every test gets its own limits and credential script, and leaves none behind.
class HttpConnect : public ::testing::Test {
protected:
    void SetUp() override {
        m_previousLimits = platform::GetInetLimits();
        platform::Services services = platform::GetServices();
        services.credentials = &m_credentials;
        m_previousServices = platform::InstallServices(services);
    }
    void TearDown() override {
        platform::SetInetLimits(m_previousLimits);
        platform::InstallServices(m_previousServices);
    }
    void SetLimits(uint32_t exchangeMs, size_t maxAnswer = 16 * 1024 * 1024) {
        platform::InetLimits limits = m_previousLimits;
        limits.exchangeTimeoutMs = exchangeMs;
        limits.connectTimeoutMs = exchangeMs;
        limits.maxAnswerBytes = maxAnswer;
        platform::SetInetLimits(limits);
    }

    platform::headless::ScriptedCredentials m_credentials;

private:
    platform::InetLimits m_previousLimits;
    platform::Services m_previousServices;
};

LoopbackServer::Handler Reply(std::string answer) {
    return [answer](const LoopbackRequest&, LoopbackConnection& c) { c.Send(answer); };
}

TEST_F(HttpConnect, RequestCarriesTheFixedHeaderBlock) {
    struct Case {
        const char* name;
        std::string body;
        std::string referer;
        int32_t browserAgent;
        std::string headers;
        std::string method;
    };
    const std::string browser =
        "User-Agent: Mozilla/4.0+(compatible;+MSIE+7.0;+Windows+NT+5.1;+.NET+CLR+2.0.50727;+"
        "InfoPath.2;+.NET+CLR+3.0.04506.648;+.NET+CLR+3.5.21022;+.NET+CLR+1.1.4322) \r\n";
    const std::vector<Case> cases = {
        {"game's GET", "", "", 0,
         "Accept: text/*,*/* \r\nAccept-Language: ja \r\nUser-Agent: VelConnect \r\n"
         "Connection: Keep-Alive \r\n\r\n",
         "GET"},
        {"form POST with referer", "a=1&b=%E3", "http://ref/", 0,
         "Accept: text/*,*/* \r\nReferer: http://ref/ \r\nAccept-Language: ja \r\n"
         "Content-Type: application/x-www-form-urlencoded \r\nUser-Agent: VelConnect \r\n"
         "Connection: Keep-Alive \r\nContent-Length: 9\r\n\r\n",
         "POST"},
        {"browser agent", "", "", 1,
         "Accept: text/*,*/* \r\nAccept-Language: ja \r\n" + browser +
             "Connection: Keep-Alive \r\n\r\n",
         "GET"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server(Reply(LoopbackServer::Answer(200, "", "ok\n")));
        CVelHttpConnect http;
        http.m_bBrowserAgent = c.browserAgent;
        EXPECT_EQ(http.Request(server.Url("/game/set.asp?x=1"), c.body, c.referer), 0);
        EXPECT_EQ(http.m_strHeaders, c.headers);
        EXPECT_EQ(http.m_strError, "");
        EXPECT_EQ(http.m_arLines, Lines{"ok\n\r\n"});
        auto requests = server.Requests();
        ASSERT_EQ(requests.size(), 1u);
        const LoopbackRequest& got = requests[0];
        EXPECT_EQ(got.method, c.method);
        EXPECT_EQ(got.target, "/game/set.asp?x=1");
        EXPECT_NE(got.head.find(" HTTP/1.0\r\n"), std::string::npos) << got.head;
        EXPECT_EQ(got.Header("Accept"), "text/*,*/* ");
        EXPECT_EQ(got.Header("Accept-Language"), "ja ");
        EXPECT_EQ(got.Header("Connection"), "Keep-Alive ");
        EXPECT_EQ(got.Header("User-Agent").substr(0, 10),
                  c.browserAgent ? "Mozilla/4." : "VelConnect");
        EXPECT_EQ(got.Header("Referer"), c.referer.empty() ? "" : c.referer + " ");
        EXPECT_EQ(got.body, c.body);
        EXPECT_EQ(got.Header("Content-Length"),
                  c.body.empty() ? "" : std::to_string(c.body.size()));
    }
}

TEST_F(HttpConnect, AnswerBodyBecomesLines) {
    struct Case {
        const char* name;
        std::string body;
        Lines lines;
    };
    const std::string longLine(25000, 'x');
    const std::string longTag = "<" + std::string(12000, 'y') + ">";
    const std::vector<Case> cases = {
        {"empty body", "", {}},
        {"no final line feed", "a\nb", {"a\n\r\n", "b\r\n"}},
        {"carriage returns dropped", "a\r\n\r\nb\r\n", {"a\n\r\n", "\n\r\n", "b\n\r\n"}},
        {"unfinished tag joins the next line",
         "x<a\nhref=1>y\nz\n",
         {"x<a\nhref=1>y\n\r\n", "z\n\r\n"}},
        {"tag never closed", "p<q\nr<s", {"p<q\nr<s\r\n"}},
        {"closed tag then an open one", "a<b>c<d\ne>f\n", {"a<b>c<d\ne>f\n\r\n"}},
        {"open tag closed on its line", "a<b>c\nd\n", {"a<b>c\n\r\n", "d\n\r\n"}},
        {"line longer than the buffer",
         longLine + "\n",
         {std::string(10229, 'x') + "\r\n", std::string(10229, 'x') + "\r\n",
          std::string(25000 - 2 * 10229, 'x') + "\n\r\n"}},
        {"tag longer than the buffer", longTag + "\nend\n", {longTag + "\n\r\n", "end\n\r\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server(Reply(LoopbackServer::Answer(200, "", c.body)));
        CVelHttpConnect http;
        EXPECT_EQ(http.Request(server.Url("/"), "", ""), 0);
        EXPECT_EQ(http.m_arLines, c.lines);
    }
}

TEST_F(HttpConnect, UrlIsCleanedSplitAndReported) {
    LoopbackServer server(Reply(LoopbackServer::Answer(404, "", "not here\n")));
    const std::string base = "http://127.0.0.1:" + std::to_string(server.Port());
    struct Case {
        std::string url;
        std::string target;
        std::string fragment;
        std::string finalUrl;
    };
    const std::vector<Case> cases = {
        {base + "/page#part2", "/page", "part2", base + "/page"},
        {base + "/a\r\n", "/a", "", base + "/a"},
        {"HTTP://127.0.0.1:" + std::to_string(server.Port()), "/", "", base + "/"},
        {base + "/s?aria=Burkina Faso&name=\xE3\x81\x82", "/s?aria=Burkina%20Faso&name=%E3%81%82",
         "", base + "/s?aria=Burkina Faso&name=\xE3\x81\x82"},
    };
    for (size_t k = 0; k < cases.size(); ++k) {
        const Case& c = cases[k];
        SCOPED_TRACE(c.url);
        CVelHttpConnect http;
        EXPECT_EQ(http.Request(c.url, "", ""), 0) << "a 404 is an answer, not a failure";
        EXPECT_EQ(http.m_strError, "");
        EXPECT_EQ(http.m_arLines, Lines{"not here\n\r\n"});
        EXPECT_EQ(http.m_strFragment, c.fragment);
        EXPECT_EQ(http.m_strFinalUrl, c.finalUrl);
        EXPECT_EQ(http.m_dwRequestFlags, 0xA0200000u);
        auto requests = server.Requests();
        ASSERT_EQ(requests.size(), k + 1);
        EXPECT_EQ(requests[k].target, c.target);
    }
}

TEST_F(HttpConnect, RedirectsAreFollowedFiveTimesAtMost) {
    struct Case {
        const char* name;
        int chain; // redirects before the real page; -1: the page redirects to itself
        size_t requests;
        std::string finalPath;
        Lines lines;
    };
    const std::vector<Case> cases = {
        {"one", 1, 2, "/r/1", {"page 1\n\r\n"}},
        {"five", 5, 6, "/r/5", {"page 5\n\r\n"}},
        {"six: the sixth redirect is the answer", 6, 6, "/r/5", {"moved 5\n\r\n"}},
        {"loop", -1, 6, "/r/0", {"moved 0\n\r\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server([&c](const LoopbackRequest& r, LoopbackConnection& conn) {
            int step = std::stoi(r.target.substr(3));
            if (c.chain >= 0 && step >= c.chain) {
                conn.Send(LoopbackServer::Answer(200, "", "page " + std::to_string(step) + "\n"));
                return;
            }
            int next = c.chain < 0 ? step : step + 1;
            int status = 301 + step % 3;
            conn.Send(LoopbackServer::Answer(status,
                                             "Location: /r/" + std::to_string(next) + "\r\n",
                                             "moved " + std::to_string(step) + "\n"));
        });
        CVelHttpConnect http;
        EXPECT_EQ(http.Request(server.Url("/r/0"), "", ""), 0);
        EXPECT_EQ(server.Requests().size(), c.requests);
        EXPECT_EQ(http.m_strFinalUrl, server.Url(c.finalPath));
        EXPECT_EQ(http.m_arLines, c.lines);
    }
}

TEST_F(HttpConnect, RedirectTargets) {
    LoopbackServer other(Reply(LoopbackServer::Answer(200, "", "other\n")));
    struct Case {
        const char* name;
        std::string location; // empty: no Location header at all
        int result;
        Lines lines;
        std::string errorPart;
    };
    const std::vector<Case> cases = {
        {"absolute address changes server and port",
         other.Url("/there?q=1"),
         0,
         {"other\n\r\n"},
         ""},
        {"relative path without slash cannot be parsed", "there.html", 2, {}, "127.0.0.1"},
        {"no Location header", "", 302, {}, "エラー 302"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string headers =
            c.location.empty() ? "X-Old-Location: /no\r\n" : "Location: " + c.location + "\r\n";
        LoopbackServer server(Reply(LoopbackServer::Answer(302, headers, "moved\n")));
        CVelHttpConnect http;
        EXPECT_EQ(http.Request(server.Url("/start"), "", ""), c.result);
        EXPECT_EQ(http.m_arLines, c.lines);
        EXPECT_NE(http.m_strError.find(c.errorPart), std::string::npos) << http.m_strError;
        EXPECT_EQ(http.m_strError.empty(), c.result == 0);
    }
}

TEST_F(HttpConnect, RedirectedPostContinuesAsPlainGetWithCookies) {
    LoopbackServer server([](const LoopbackRequest& r, LoopbackConnection& conn) {
        if (r.target == "/login") {
            conn.Send(LoopbackServer::Answer(
                303, "Set-Cookie: session=abc; Path=/\r\nLocation: /home\r\n", ""));
        } else {
            conn.Send(LoopbackServer::Answer(200, "", "home\n"));
        }
    });
    CVelHttpConnect http;
    EXPECT_EQ(http.Request(server.Url("/login"), "user=kz&pass=1", ""), 0);
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].body, "user=kz&pass=1");
    EXPECT_EQ(requests[1].method, "GET");
    EXPECT_EQ(requests[1].target, "/home");
    EXPECT_EQ(requests[1].body, "");
    EXPECT_EQ(requests[1].Header("Content-Length"), "");
    EXPECT_EQ(requests[1].Header("Content-Type"), "");
    EXPECT_EQ(requests[1].Header("Cookie"), "session=abc");
    EXPECT_EQ(http.m_arLines, Lines{"home\n\r\n"});
}

TEST_F(HttpConnect, Unauthorized401IsAnsweredOnce) {
    struct Case {
        const char* name;
        bool answer;
        std::string authorization; // what the repeated request carries
    };
    const std::vector<Case> cases = {
        {"credentials given, server still refuses", true, "Basic dXNlcjpwYXNz"},
        {"prompt cancelled", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_credentials = platform::headless::ScriptedCredentials();
        if (c.answer) {
            m_credentials.Answer("user", "pass");
        }
        LoopbackServer server(Reply(LoopbackServer::Answer(
            401, "WWW-Authenticate: Basic realm=\"score room\"\r\n", "denied\n")));
        CVelHttpConnect http;
        EXPECT_EQ(http.Request(server.Url("/secret"), "a=1", ""), 0);
        EXPECT_EQ(http.m_arLines, Lines{"denied\n\r\n"});
        ASSERT_EQ(m_credentials.Questions().size(), 1u);
        EXPECT_EQ(m_credentials.Questions()[0].server, "127.0.0.1");
        EXPECT_EQ(m_credentials.Questions()[0].realm, "score room");
        auto requests = server.Requests();
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(requests[0].Header("Authorization"), "");
        EXPECT_EQ(requests[1].Header("Authorization"), c.authorization);
        EXPECT_EQ(requests[1].body, "a=1") << "the repeated POST carries its body again";
    }
}

TEST_F(HttpConnect, AcceptedCredentialsOpenThePage) {
    m_credentials.Answer("user", "pass");
    LoopbackServer server([](const LoopbackRequest& r, LoopbackConnection& conn) {
        if (r.Header("Authorization").empty()) {
            conn.Send(
                LoopbackServer::Answer(401, "WWW-Authenticate: Basic realm=x\r\n", "denied\n"));
        } else {
            conn.Send(LoopbackServer::Answer(200, "", "xDATA_START\nwelcome\nxDATA_END\n"));
        }
    });
    CVelHttpConnect http;
    EXPECT_EQ(http.Request(server.Url("/"), "", ""), 0);
    EXPECT_EQ(http.m_arLines, (Lines{"xDATA_START\n\r\n", "welcome\n\r\n", "xDATA_END\n\r\n"}));
    EXPECT_EQ(m_credentials.Questions().at(0).realm, "x");
}

TEST_F(HttpConnect, FailuresEndWithResultTwoAndAReason) {
    SetLimits(1500, 1024 * 1024);
    struct Case {
        const char* name;
        LoopbackServer::Handler handler;
        Lines lines; // what was read before the failure
    };
    std::mt19937 random(8);
    std::string garbage(4096, '\0');
    for (char& c : garbage) {
        c = static_cast<char>(random());
    }
    std::string manyHeaders;
    while (manyHeaders.size() < 1024 * 1024) {
        manyHeaders +=
            "X-Filler-" + std::to_string(manyHeaders.size()) + ": " + std::string(60, 'h') + "\r\n";
    }
    const std::vector<Case> cases = {
        {"reset in the middle of the body",
         [](const LoopbackRequest&, LoopbackConnection& c) {
             c.Send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\nfirst line\nsecond");
             std::this_thread::sleep_for(std::chrono::milliseconds(300));
             c.Reset();
         },
         {"first line\n\r\n"}},
        {"body cut short",
         Reply("HTTP/1.1 200 OK\r\nContent-Length: 500\r\n\r\nonly this\n"),
         {"only this\n\r\n"}},
        {"one byte a second past the time limit",
         [](const LoopbackRequest&, LoopbackConnection& c) {
             c.Send("HTTP/1.0 200 OK\r\n\r\n");
             c.Drip("ab\ncdefghijklmnopqrstuvwxyz", 1000);
         },
         {}},
        {"binary garbage instead of an answer", Reply(garbage), {}},
        {"header block of 1 MiB", Reply("HTTP/1.1 200 OK\r\n" + manyHeaders + "\r\nbody\n"), {}},
        {"one header line of 1 MiB",
         Reply("HTTP/1.1 200 OK\r\nX-Big: " + std::string(1024 * 1024, 'b') + "\r\n\r\nbody\n"),
         {}},
        {"endless body",
         [](const LoopbackRequest&, LoopbackConnection& c) {
             c.Send("HTTP/1.0 200 OK\r\n\r\n");
             std::string block = std::string(1023, 'z') + "\n";
             for (int k = 0; k < 64 * 1024 && c.Send(block); ++k) {
             }
         },
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server(c.handler);
        CVelHttpConnect http;
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(http.Request(server.Url("/x"), "", ""), 2);
        auto took = std::chrono::steady_clock::now() - start;
        EXPECT_LT(took, std::chrono::seconds(10)) << "the time limit ends every exchange";
        EXPECT_EQ(http.m_strError.rfind("127.0.0.1:" + std::to_string(server.Port()) + "/x\r\n", 0),
                  0u)
            << http.m_strError;
        EXPECT_GT(http.m_strError.size(), http.m_strFinalUrl.size() + 2)
            << "a reason follows the address";
        if (!c.lines.empty()) {
            EXPECT_EQ(http.m_arLines, c.lines);
        }
        size_t kept = 0;
        for (const std::string& line : http.m_arLines) {
            kept += line.size();
        }
        EXPECT_LE(kept, 2u * 1024 * 1024) << "no more than the answer limit is ever kept";
    }
}

TEST_F(HttpConnect, NothingToReachEndsWithAReason) {
    struct Case {
        std::string url;
        int result;
        std::string error;
    };
    const uint16_t closed = LoopbackServer::UnusedPort();
    const std::vector<Case> cases = {
        {"", 1, "URLが指定されていません。"},
        {"\r\n", 1, "URLが指定されていません。"},
        {"http://127.0.0.1:" + std::to_string(closed) + "/a", 2,
         "127.0.0.1:" + std::to_string(closed) + "/a\r\n"},
        {"#top", 2, "\r\n"},
        {"ftp://127.0.0.1/file", 2, "\r\n"},
        {"http://127.0.0.1:99999/", 2, "\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        CVelHttpConnect http;
        http.m_arLines = {"stale\r\n"};
        EXPECT_EQ(http.Request(c.url, "", ""), c.result);
        EXPECT_NE(http.m_strError.find(c.error), std::string::npos) << http.m_strError;
        EXPECT_TRUE(http.m_arLines.empty()) << "an earlier answer never passes for this one";
    }
}

TEST_F(HttpConnect, HttpsSchemeInAnyCaseSpeaksTls) {
    for (const std::string scheme : {"https", "HTTPS", "hTtPs"}) {
        SCOPED_TRACE(scheme);
        LoopbackServer server([](const LoopbackRequest&, LoopbackConnection&) {});
        CVelHttpConnect http;
        EXPECT_EQ(
            http.Request(scheme + "://127.0.0.1:" + std::to_string(server.Port()) + "/", "", ""),
            2);
        EXPECT_EQ(http.m_dwRequestFlags, 0xA0A00000u);
        auto requests = server.Requests();
        ASSERT_EQ(requests.size(), 1u);
        ASSERT_FALSE(requests[0].head.empty());
        EXPECT_EQ(requests[0].head[0], '\x16') << "a TLS handshake, not plain HTTP";
    }
}

} // namespace
