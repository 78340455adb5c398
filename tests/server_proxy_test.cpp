// The server as it runs for others: Debian's nginx with the shipped
// configuration in front of two instances over one database.
#include "server_fixture.h"

#include <algorithm>
#include <csignal>
#include <netinet/in.h>

namespace {

using namespace server_test;

const std::string kScripts = KZ_SOURCE_DIR "/scripts/";

int FreePort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
    close(fd);
    return ntohs(addr.sin_port);
}

std::string Submission(int n) {
    return "GET " + std::string(scored::ScoreServer::kSubmitPath) + "?" +
           SubmitQuery("Japan", "p" + std::to_string(n), 2, n % 50) +
           " HTTP/1.1\r\nHost: scores\r\nConnection: close\r\n\r\n";
}

class ProxyTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        const std::string db = m_dir.Path() + "/scores.db";
        for (auto& instance : m_instances) {
            ASSERT_TRUE(
                instance.Start(KZ_SCORED_PATH, {"--listen", "127.0.0.1:0", "--db", db}, error))
                << error;
        }
        m_http = FreePort();
        m_https = FreePort();
        auto started = scored::ScoredProcess::Run(
            "/bin/bash",
            {kScripts + "nginx-for-tests", "start", m_dir.Path() + "/nginx", std::to_string(m_http),
             std::to_string(m_https), std::to_string(m_instances[0].Port()),
             std::to_string(m_instances[1].Port())});
        if (started.exitCode == 3) {
            GTEST_SKIP() << "nginx cannot be had here: " << started.output;
        }
        ASSERT_EQ(started.exitCode, 0) << started.output;
        m_nginx = true;
    }
    void TearDown() override {
        if (m_nginx) {
            scored::ScoredProcess::Run(
                "/bin/bash", {kScripts + "nginx-for-tests", "stop", m_dir.Path() + "/nginx"});
        }
    }

    TempDir m_dir;
    scored::ScoredProcess m_instances[2];
    int m_http = 0;
    int m_https = 0;
    bool m_nginx = false;
};

TEST_F(ProxyTest, ShieldsTheServersFromSlowHugeAndHastyClients) {
    // 200 clients, each from an address of its own, drip their heads.
    std::vector<int> drippers;
    for (int i = 1; i <= 200; ++i) {
        drippers.push_back(Connect(m_http, ("127.0.2." + std::to_string(i)).c_str()));
        send(drippers.back(), "GET /game/kirikaze/GameSet.asp HTTP/1.1\r\n", 41, MSG_NOSIGNAL);
    }
    std::atomic<bool> dripping{true};
    std::thread dripper([&] {
        for (; dripping; std::this_thread::sleep_for(std::chrono::milliseconds(300))) {
            for (int fd : drippers) {
                send(fd, "X", 1, MSG_NOSIGNAL);
            }
        }
    });

    // Meanwhile players submit, each within its rate: 400 submissions from
    // 100 addresses. Starved players would wait out the drippers' seconds; a
    // second's bound leaves room for a busy machine without hiding that.
    constexpr int kPlayers = 100;
    constexpr int kEach = 4;
    std::atomic<int> answered{0};
    std::vector<double> latencyMs(kPlayers * kEach);
    AtOnce(4, [&](int t) {
        for (int n = t; n < kPlayers * kEach; n += 4) {
            std::string from = "127.0.1." + std::to_string(n / kEach + 1);
            auto start = std::chrono::steady_clock::now();
            answered += Exchange(m_http, Submission(n), from.c_str()) == 200;
            latencyMs[n] =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
        }
    });
    dripping = false;
    dripper.join();
    for (int fd : drippers) {
        close(fd);
    }
    std::sort(latencyMs.begin(), latencyMs.end());
    std::printf("[ latency ] p50 %.1f ms, p99 %.1f ms with 200 dripping connections\n",
                latencyMs[latencyMs.size() / 2], latencyMs[latencyMs.size() * 99 / 100]);
    EXPECT_EQ(answered, kPlayers * kEach);
    EXPECT_LT(latencyMs[latencyMs.size() * 99 / 100], 1000.0);

    // A 1 GiB body is refused at the door.
    EXPECT_EQ(Exchange(m_http,
                       "POST " + std::string(scored::ScoreServer::kSubmitPath) +
                           " HTTP/1.1\r\nHost: s\r\nContent-Length: 1073741824\r\n\r\n" +
                           std::string(64 * 1024, 'x'),
                       "127.0.3.1"),
              413);
    // Paths other than the score paths do not reach the servers.
    EXPECT_EQ(Exchange(m_http, "GET /admin HTTP/1.1\r\nHost: s\r\nConnection: close\r\n\r\n",
                       "127.0.3.2"),
              404);

    // One client far over its rate: turned away, and what was turned away is
    // not stored.
    int stored = 0;
    int limited = 0;
    for (int i = 0; i < 20; ++i) {
        int status = Exchange(m_http, Submission(1000 + i), "127.0.4.1");
        stored += status == 200;
        limited += status == 429;
    }
    EXPECT_EQ(stored + limited, 20);
    EXPECT_GT(limited, 0);

    // The page over TLS, with the certificate the test made.
    httplib::SSLClient tls("127.0.0.1", m_https);
    tls.enable_server_certificate_verification(false);
    auto page = tls.Get(std::string(scored::ScoreServer::kResultPath).c_str());
    ASSERT_TRUE(page);
    EXPECT_NE(page->body.find("p0"), std::string::npos);
    // And the first result's replay, which the page links to.
    auto replay = tls.Get((std::string(scored::ScoreServer::kReplayPath) + "?id=1").c_str());
    EXPECT_EQ(replay ? replay->status : 0, 200);

    EXPECT_EQ(Scored(m_dir.Path() + "/scores.db").Rows(), kPlayers * kEach + stored);
}

// The unit file is one systemd accepts.
TEST(ScoreServerDeploy, SystemdUnitVerifies) {
    TempDir dir;
    std::ifstream shipped(KZ_SOURCE_DIR "/server/deploy/kirikaze-scored@.service");
    std::string unit((std::istreambuf_iterator<char>(shipped)), {});
    ASSERT_FALSE(unit.empty());
    // Checked against the binary just built rather than an installed one.
    const std::string installed = "/usr/local/bin/kirikaze-scored";
    unit.replace(unit.find(installed), installed.size(), KZ_SCORED_PATH);
    const std::string path = dir.Path() + "/kirikaze-scored@8765.service";
    std::ofstream(path) << unit;
    auto verified = scored::ScoredProcess::Run("/bin/sh", {"-c", "command -v systemd-analyze && "
                                                                 "systemd-analyze verify " +
                                                                     path});
    if (verified.output.find("systemd-analyze") == std::string::npos) {
        GTEST_SKIP() << "systemd-analyze is not installed (scripts/deps test installs systemd)";
    }
    EXPECT_EQ(verified.exitCode, 0) << verified.output;
    // It only warns about keys it ignores; a warning is a fault here too.
    std::string said = verified.output.substr(verified.output.find('\n') + 1);
    EXPECT_EQ(said, "");
}

} // namespace
