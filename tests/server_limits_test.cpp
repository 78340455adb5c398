#include "server_fixture.h"

#include <csignal>

namespace {

using namespace server_test;

const std::string kSubmit =
    std::string(scored::ScoreServer::kSubmitPath) + "?aria=Japan&name=Taro&mode=0&level=1&score=3";
const std::string kSubmitRequest = "GET " + kSubmit + " HTTP/1.1\r\nConnection: close\r\n\r\n";

// What a hostile client sends: a head, then a pattern over and over, up to
// 512 MiB or until the server answers or hangs up.
struct Flood {
    const char* what;
    std::string head;
    std::string pattern;
    int status;
};

int SendFlood(int port, const Flood& flood) {
    int fd = Connect(port);
    if (fd < 0) {
        return -1;
    }
    send(fd, flood.head.data(), flood.head.size(), MSG_NOSIGNAL);
    std::string block;
    while (!flood.pattern.empty() && block.size() < 64 * 1024) {
        block += flood.pattern;
    }
    for (size_t sent = 0; !block.empty() && sent < (size_t{512} << 20) && !Readable(fd, 0);
         sent += block.size()) {
        if (send(fd, block.data(), block.size(), MSG_NOSIGNAL) <= 0) {
            break;
        }
    }
    int status = StatusOf(ReadAll(fd, 3000));
    close(fd);
    return status;
}

// The binary over an SQLite file of its own.
struct Running {
    TempDir dir;
    Scored server{dir.Path() + "/scores.db"};
};

TEST(ScoreServerLimits, OversizedRequestsCostAtMostTheirCap) {
    Running run;
    run.server.Start();
    const std::string path(scored::ScoreServer::kSubmitPath);
    const Flood floods[] = {
        {"endless request line", "GET " + path + "?aria=", "a", 414},
        {"header line without a line feed", "GET " + path + " HTTP/1.1\r\nX-Pad: ", "b", 431},
        {"endless header lines", "GET " + path + " HTTP/1.1\r\n", "X-Pad: b\r\n", 431},
        {"512 MiB body", "POST " + path + " HTTP/1.1\r\nContent-Length: 536870912\r\n\r\n", "c",
         413},
        {"body of unknown length", "POST /any HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n",
         "1000\r\n" + std::string(4096, 'd') + "\r\n", 411},
        {"small body on the score path",
         "GET " + kSubmit + " HTTP/1.1\r\nContent-Length: 4\r\n\r\nrank", "", 413},
        {"request line just over 8 KiB",
         "GET " + path + "?aria=" + std::string(8 * 1024, 'a') + " HTTP/1.1\r\n\r\n", "", 414},
        {"headers just over 16 KiB",
         "GET " + path + " HTTP/1.1\r\nX-Pad: " + std::string(16 * 1024, 'b') + "\r\n\r\n", "",
         431},
        {"long request line within the cap",
         "GET " + path + "?aria=Japan&mode=0&level=1&score=1&name=" + std::string(8000, 'n') +
             " HTTP/1.1\r\n\r\n",
         "", 400},
    };
    for (const Flood& flood : floods) {
        SCOPED_TRACE(flood.what);
        EXPECT_EQ(SendFlood(run.server.Port(), flood), flood.status);
        double peak = PeakMiB(run.server.process.Pid());
        std::printf("[ memory ] %s: peak %.1f MiB\n", flood.what, peak);
        EXPECT_LT(peak, 64.0);
        EXPECT_EQ(Exchange(run.server.Port(), kSubmitRequest), 200);
    }
    EXPECT_EQ(run.server.Rows(), static_cast<int64_t>(std::size(floods)));
}

// Clients that drip their heads hold no worker: others are answered at
// once, and the drippers are cut off after a few seconds.
TEST(ScoreServerLimits, DrippingClientsDelayNobody) {
    Running run;
    run.server.Start();
    Drippers drippers(run.server.Port(), 16, "GET / HTTP/1.1\r\n", 500);
    for (int i = 0; i < 10; ++i) {
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Exchange(run.server.Port(), kSubmitRequest), 200);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    }
    for (int fd : drippers.Fds()) {
        EXPECT_EQ(StatusOf(ReadAll(fd, 8000)), 408);
    }
    EXPECT_EQ(run.server.Rows(), 10);
}

// Below the free space asked for, results are refused and the operator is
// told once; with room again they are taken.
TEST(ScoreServerLimits, LowDiskRefusesResultsAndSaysSoOnce) {
    Running run;
    run.server.Start({"--min-free", "999999T"});
    for (int i = 0; i < 3; ++i) {
        auto res = run.server.Get(kSubmit);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 503);
        // The game shows what stands between the markers.
        std::string text = Utf8(res->body);
        size_t why = text.find("サーバーの空き容量が足りません。");
        EXPECT_LT(text.find("DATA_START"), why) << text;
        EXPECT_LT(why, text.find("DATA_END")) << text;
    }
    const std::string& said = run.server.process.Output(200);
    size_t first = said.find("less than --min-free");
    EXPECT_NE(first, std::string::npos) << said;
    EXPECT_EQ(said.find("less than --min-free", first + 1), std::string::npos) << said;
    EXPECT_EQ(run.server.Rows(), 0);

    run.server.process.Stop(SIGTERM);
    run.server.Start({"--min-free", "0"});
    EXPECT_EQ(Exchange(run.server.Port(), kSubmitRequest), 200);
    EXPECT_EQ(run.server.Rows(), 1);
}

} // namespace
