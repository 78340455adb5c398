// The HTTP client against real servers on loopback: which redirects it
// follows and how far, and the one question a password-protected server gets.
#include "online/VelHttpConnect.h"
#include "score_game.h"
#include "ui/dialog_credential_prompt.h"

#include <gtest/gtest.h>

namespace {

void Text(httplib::Response& res, const std::string& body, int status = 200) {
    res.status = status;
    res.set_content(body, "text/plain");
}

TEST(HttpClient, RedirectsAreFollowedFiveTimesAndAPasswordIsAskedOnce) {
    kztest::LoopbackServer other;
    other.server.Get("/b", [](auto&, auto& res) { Text(res, "on b\n"); });
    other.Start();
    kztest::LoopbackServer home;
    auto& s = home.server;
    // /hop/N redirects to /hop/N-1 (each with a body of its own); /hop/0 answers.
    s.Get(R"(/hop/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
        const int n = std::stoi(req.matches[1]);
        if (n == 0) {
            return Text(res, "arrived\n");
        }
        Text(res, "moved " + std::to_string(n) + "\n", 302);
        res.set_header("Location", "/hop/" + std::to_string(n - 1));
    });
    const std::string elsewhere = other.Url("/b");
    s.Get("/away", [&](auto&, auto& res) {
        Text(res, "gone\n", 301);
        res.set_header("Location", elsewhere);
    });
    struct Redirect {
        const char* path;
        int status;
        const char* target;
    };
    for (const Redirect r : {Redirect{"/see", 303, "/hop/0"},
                             {"/temporary", 307, "/hop/0"},
                             {"/relative", 302, "hop/0"}}) {
        s.Get(r.path, [r](auto&, auto& res) {
            Text(res, "redirect " + std::to_string(r.status) + "\n", r.status);
            res.set_header("Location", r.target);
        });
    }
    std::vector<std::string> auths;
    s.Get("/locked", [&](const httplib::Request& req, httplib::Response& res) {
        auths.push_back(req.get_header_value("Authorization"));
        if (req.get_header_value("Authorization") == "Basic dTpw") {
            return Text(res, "inside\n");
        }
        Text(res, "locked\n", 401);
        res.set_header("WWW-Authenticate", "Basic realm=\"scores\"");
    });
    home.Start();

    struct Case {
        const char* path;
        int result;
        std::vector<std::string> lines; // each line keeps its line feed
        std::string finalUrl;           // "" where the case does not care
        int answers = 0;                // the credential prompt: 1 answers, -1 cancels
        std::vector<std::string> auths = {};
    };
    const std::string port = ":" + std::to_string(home.port);
    const Case cases[] = {
        {"/hop/5", 0, {"arrived\n\r\n"}, "http://127.0.0.1" + port + "/hop/0"},
        {"/hop/6", 0, {"moved 1\n\r\n"}, "http://127.0.0.1" + port + "/hop/1"},
        {"/away", 0, {"on b\n\r\n"}, other.Url("/b")},
        {"/see", 0, {"arrived\n\r\n"}, ""},
        {"/temporary", 0, {"redirect 307\n\r\n"}, ""},
        {"/relative", 2, {}, ""},
        {"/locked", 0, {"inside\n\r\n"}, "", 1, {"", "Basic dTpw"}},
        {"/locked", 0, {"locked\n\r\n"}, "", -1, {"", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        platform::headless::HeadlessSystem system;
        ui::DialogCredentialPrompt credentials(system.ScoreDialogs());
        platform::Services services = system.Installed();
        services.credentials = &credentials;
        system.Reinstall(services);
        using Step = platform::headless::HeadlessScoreDialogs::Step;
        system.ScoreDialogs().AddScript(
            c.answers > 0 ? std::vector<Step>{Step::Type("u"), Step::Key(VK_TAB), Step::Type("p"),
                                              Step::Key(VK_RETURN)}
                          : std::vector<Step>{Step::Key(VK_ESCAPE)});
        auths.clear();

        CVelHttpConnect http;
        EXPECT_EQ(http.Request(home.Url(c.path), "", ""), c.result) << http.m_strError;
        EXPECT_EQ(http.m_arLines, c.lines);
        if (!c.finalUrl.empty()) {
            EXPECT_EQ(http.m_strFinalUrl, c.finalUrl);
        }
        const auto& asked = system.ScoreDialogs().Dialogs();
        ASSERT_EQ(asked.size(), c.answers ? 1u : 0u);
        if (c.answers) {
            EXPECT_EQ(asked[0].title, "scores (127.0.0.1)");
            EXPECT_EQ(auths, c.auths) << "asked once, sent again once";
        }
    }
}

} // namespace
