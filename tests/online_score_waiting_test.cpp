// A submission to a server that keeps the game waiting: the game goes on,
// says it is sending, and Escape takes the submission back.
#include "platform/inet.h"
#include "platform/text_encoding.h"
#include "score_game.h"
#include "ui/dialog_credential_prompt.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

using kztest::Game;
using kztest::WinDuel;
using Step = platform::headless::HeadlessScoreDialogs::Step;
using Answer = std::function<void(const httplib::Request&, httplib::Response&)>;

// Stalling answers end when the case is over (or, should it fail early,
// after a while), so the server can stop.
std::atomic<bool> g_caseOver{false};

// Takes the request and says nothing until the server goes.
void Stall(const httplib::Request&, httplib::Response&) {
    for (int i = 0; i < 4000 && !g_caseOver; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

Answer Marked(const std::string& message) {
    return [message](const httplib::Request&, httplib::Response& r) {
        r.set_content("<!-- DATA_START -->\r\n" + message + "\r\n<!-- DATA_END -->\r\n",
                      "text/html");
    };
}

// The first 64 KiB of what the server said, cut before a character.
void ExpectCut(const std::string& shown, const std::string& said) {
    EXPECT_LE(shown.size(), 64u * 1024);
    EXPECT_GT(shown.size(), 60u * 1024);
    EXPECT_EQ(said.compare(0, shown.size(), shown), 0);
    EXPECT_NE(static_cast<unsigned char>(said[shown.size()]) & 0xC0, 0x80) << "cut in a character";
}

TEST(ScoreWaiting, TheGameGoesOnSaysItIsSendingAndShowsOnlyWhatCameBack) {
    struct Case {
        const char* what;
        bool stalls;
        Answer server;
        std::vector<Step> whileWaiting;
        std::vector<Step> prompt; // a 401 is answered with this
        const char* shown;        // nullptr: no box at all; "": the 侍 lines, cut
        int limitMs = 1000;       // how long one exchange may take
    };
    auto repeat = [](const std::string& s, int times) {
        std::string out;
        for (int i = 0; i < times; ++i) {
            out += s;
        }
        return out;
    };
    std::string controls;
    for (char c = 0; c < 0x20; ++c) {
        controls += c == '\r' || c == '\n' ? ' ' : c;
    }
    // Lines of 侍 (CP932 on the wire): 302 bytes each once read, 64 KiB in 218.
    const std::string samurai = repeat(repeat("侍", 100) + "\r\n", 400);
    // What a server says before its message counts against the 1 MiB kept.
    auto after = [&](int kib) {
        return [before = repeat(std::string(999, '-') + "\n", kib)](const httplib::Request& q,
                                                                    httplib::Response& r) {
            Marked("found")(q, r);
            r.body = before + r.body;
        };
    };
    const Case cases[] = {
        {"stalled, Escape",
         true,
         Stall,
         {Step::Ticks(5), Step::Key(VK_ESCAPE)},
         {},
         nullptr,
         30000},
        {"stalled past the limit", true, Stall, {}, {}, "Err"},
        {"control characters",
         false,
         Marked("ok" + controls + "\x7f done"),
         {},
         {},
         "ok   done\r\n"},
        {"120 KiB of 侍", false, Marked(platform::Cp932FromUtf8(samurai)), {}, {}, ""},
        {"after 1000 KiB of filler", false, after(1000), {}, {}, "found\r\n", 10000},
        {"after 1050 KiB of filler", false, after(1050), {}, {}, "Err", 10000},
        {"slow typist at the password prompt",
         false,
         [](const httplib::Request& q, httplib::Response& r) {
             if (q.has_header("Authorization")) {
                 Marked("ok")(q, r);
                 return;
             }
             r.status = 401;
             r.set_header("WWW-Authenticate", "Basic realm=\"s\"");
         },
         {},
         {Step::Run([](ui::DialogForm&) {
              std::this_thread::sleep_for(std::chrono::milliseconds(1500));
          }),
          Step::Type("u"), Step::Key(VK_TAB), Step::Type("p"), Step::Key(VK_RETURN)},
         "ok\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform::InetLimits quick;
        quick.exchangeTimeoutMs = c.limitMs;
        const platform::InetLimits previous = platform::SetInetLimits(quick);
        g_caseOver = false;
        kztest::LoopbackServer server;
        server.server.Get("/game/kirikaze/GameSet.asp", c.server);
        server.Start();
        Game game;
        kztest::WriteSettings(game, kztest::ServerSetting(server.port));
        auto& window = game.Start();
        ui::DialogCredentialPrompt prompt(game.system.ScoreDialogs());
        platform::Services services = game.system.Installed();
        services.credentials = &prompt;
        game.system.Reinstall(services);
        game.system.ScoreDialogs().AddScript({Step::Type("武蔵"), Step::Key(VK_RETURN)});
        if (!c.prompt.empty()) {
            game.system.ScoreDialogs().AddScript(c.prompt);
        }
        game.system.ScoreDialogs().AddWaitScript(c.whileWaiting);
        kztest::PlayToWin(game, 1, 0);
        const int ticksBefore = window.TickCount();
        const int paintsBefore = window.PaintCount();
        game.system.Speech().Clear();
        const auto started = std::chrono::steady_clock::now();
        kztest::ConfirmWin(game);
        const auto waitedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  std::chrono::steady_clock::now() - started)
                                  .count();

        ASSERT_EQ(game.system.ScoreDialogs().Waits().size(), 1u);
        EXPECT_EQ(game.system.ScoreDialogs().Waits()[0].title, "送信中…");
        const auto said = game.system.Speech().Texts();
        EXPECT_NE(std::find(said.begin(), said.end(), "送信中…"), said.end());
        if (c.stalls) {
            EXPECT_GT(window.TickCount(), ticksBefore + 4) << "ticks went on while it waited";
            EXPECT_GT(window.PaintCount(), paintsBefore + 2) << "and so did the drawing";
            EXPECT_LT(waitedMs, 5000)
                << "Escape ends the wait at once and the limit after a second, not the server";
        }
        EXPECT_EQ(game.dlg->m_reg.m_strName, "武蔵") << "stored before sending";
        EXPECT_EQ(game.dlg->m_nScene, 1);
        const auto& boxes = game.system.MessageBoxes().Boxes();
        if (!c.shown) {
            EXPECT_TRUE(boxes.empty()) << "cancelled: nothing shown";
        } else {
            ASSERT_EQ(boxes.size(), 1u);
            if (*c.shown) {
                EXPECT_EQ(boxes[0].text, c.shown);
            } else {
                ExpectCut(boxes[0].text, samurai);
            }
            EXPECT_TRUE(said.back() == boxes[0].text) << "and spoken";
        }
        platform::SetInetLimits(previous);
        g_caseOver = true;
    }
}

} // namespace

namespace {

// Any other server is left to itself (see the submission tests).
TEST(ScoreWaiting, TheDefaultServerIsStartedOnThisMachineBeforeSending) {
    Game game;
    game.Start();
    game.system.ScoreDialogs().AddScript({Step::Key(VK_RETURN)});
    game.system.ScoreDialogs().AddWaitScript({Step::Key(VK_ESCAPE)});
    WinDuel(game, 1, 0);
    EXPECT_EQ(game.system.Launches().Served(), std::vector<std::string>{"kirikaze-scored:8765"});
}

} // namespace
