// A submission to a server that keeps the game waiting: the game goes on,
// says it is sending, and Escape takes the submission back.
#include "platform/inet.h"
#include "score_game.h"
#include "ui/dialog_credential_prompt.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

using kztest::Game;
using kztest::WinDuel;
using Step = platform::headless::HeadlessScoreDialogs::Step;
using Answer = std::function<void(const httplib::Request&, httplib::Response&)>;

// A score server on loopback that answers as the case says.
class Server {
public:
    explicit Server(Answer answer) : m_answer(std::move(answer)) {
        m_server.Get("/game/kirikaze/GameSet.asp",
                     [this](const httplib::Request& q, httplib::Response& r) { m_answer(q, r); });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running()) {
            std::this_thread::yield();
        }
    }
    ~Server() {
        stopping = true;
        m_server.stop();
        m_thread.join();
    }
    int Port() const { return m_port; }
    static inline std::atomic<bool> stopping{false};

private:
    Answer m_answer;
    httplib::Server m_server;
    int m_port = 0;
    std::thread m_thread;
};

// Takes the request and says nothing until the server goes.
void Stall(const httplib::Request&, httplib::Response&) {
    while (!Server::stopping) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

Answer Marked(const std::string& message) {
    return [message](const httplib::Request&, httplib::Response& r) {
        r.set_content("<!-- DATA_START -->\r\n" + message + "\r\n<!-- DATA_END -->\r\n",
                      "text/html");
    };
}

TEST(ScoreWaiting, TheGameGoesOnSaysItIsSendingAndShowsOnlyWhatCameBack) {
    struct Case {
        const char* what;
        bool stalls;
        Answer server;
        std::vector<Step> whileWaiting;
        std::vector<Step> prompt; // a 401 is answered with this
        const char* shown;        // nullptr: no box at all
    };
    const std::string longMessage(200 * 1024, 'a');
    const Case cases[] = {
        {"stalled, Escape", true, Stall, {Step::Ticks(5), Step::Key(VK_ESCAPE)}, {}, nullptr},
        {"stalled past the limit", true, Stall, {}, {}, "Err"},
        {"control characters",
         false,
         Marked(std::string("ok\a\x1b[2J\0 done\ttab", 18)),
         {},
         {},
         "ok[2J donetab\r\n"},
        {"a message of 200 KiB", false, Marked(longMessage), {}, {}, ""},
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
        quick.exchangeTimeoutMs = 1000;
        const platform::InetLimits previous = platform::SetInetLimits(quick);
        Server::stopping = false;
        Server server(c.server);
        Game game;
        kztest::WriteSettings(game, kztest::ServerSetting(server.Port()));
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
        const int ticksBefore = window.TickCount();
        const int paintsBefore = window.PaintCount();
        game.system.Speech().Clear();
        WinDuel(game, 1, 0);

        ASSERT_EQ(game.system.ScoreDialogs().Waits().size(), 1u);
        EXPECT_EQ(game.system.ScoreDialogs().Waits()[0].title, "送信中…");
        const auto said = game.system.Speech().Texts();
        EXPECT_NE(std::find(said.begin(), said.end(), "送信中…"), said.end());
        if (c.stalls) {
            EXPECT_GT(window.TickCount(), ticksBefore + 4) << "ticks went on while it waited";
            EXPECT_GT(window.PaintCount(), paintsBefore + 2) << "and so did the drawing";
        }
        EXPECT_EQ(game.dlg->m_reg.m_strName, "武蔵") << "stored before sending";
        EXPECT_EQ(game.dlg->m_nScene, 1);
        const auto& boxes = game.system.MessageBoxes().Boxes();
        if (!c.shown) {
            EXPECT_TRUE(boxes.empty()) << "cancelled: nothing shown";
        } else {
            ASSERT_EQ(boxes.size(), 1u);
            std::string expected = c.shown;
            if (expected.empty()) {
                const size_t size = boxes[0].text.size();
                EXPECT_TRUE(size <= 64 * 1024 && size > 60 * 1024) << size << " bytes shown";
            } else {
                EXPECT_EQ(boxes[0].text, expected);
            }
            EXPECT_TRUE(said.back() == boxes[0].text) << "and spoken";
        }
        platform::SetInetLimits(previous);
    }
}

} // namespace

namespace {

TEST(ScoreWaiting, OnlyTheDefaultServerIsStartedOnThisMachineBeforeSending) {
    for (const bool byDefault : {true, false}) {
        Game game;
        if (!byDefault) {
            kztest::WriteSettings(game, "server=http://127.0.0.1:9\n");
        }
        game.Start();
        game.system.ScoreDialogs().AddScript({Step::Key(VK_RETURN)});
        game.system.ScoreDialogs().AddWaitScript({Step::Key(VK_ESCAPE)});
        WinDuel(game, 1, 0);
        EXPECT_EQ(game.system.Launches().Served(),
                  byDefault ? std::vector<std::string>{"kirikaze-scored:8765"}
                            : std::vector<std::string>{});
    }
}

} // namespace
