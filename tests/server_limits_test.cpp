#include "server_fixture.h"

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/statvfs.h>

namespace {

using namespace server_test;

// A duel of its own each time: the server takes each duel once.
std::string SubmitRequest(const std::string& rest = "Connection: keep-alive, close\r\n\r\n") {
    return "GET " + std::string(scored::ScoreServer::kSubmitPath) + "?" +
           SubmitQuery("Japan", "Taro", 1, 3) + " HTTP/1.1\r\n" + rest;
}

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

TEST(ScoreServerLimits, OversizedRequestsCostAtMostTheirCap) {
    Scored server;
    server.Start();
    const std::string path(scored::ScoreServer::kSubmitPath);
    const Flood floods[] = {
        {"endless request line", "GET " + path + "?aria=", "a", 414},
        {"header line without a line feed", "GET " + path + " HTTP/1.1\r\nX-Pad: ", "b", 431},
        {"endless header lines", "GET " + path + " HTTP/1.1\r\n", "X-Pad: b\r\n", 431},
        {"512 MiB body", "POST " + path + " HTTP/1.1\r\nContent-Length: 536870912\r\n\r\n", "c",
         413},
        {"body of unknown length", "POST /any HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n",
         "1000\r\n" + std::string(4096, 'd') + "\r\n", 411},
        {"small body on the score path", SubmitRequest("Content-Length: 4\r\n\r\nrank"), "", 413},
        {"request line just over 8 KiB",
         "GET " + path + "?aria=" + std::string(8 * 1024, 'a') + " HTTP/1.1\r\n\r\n", "", 414},
        {"headers just over 16 KiB",
         "GET " + path + " HTTP/1.1\r\nX-Pad: " + std::string(16 * 1024, 'b') + "\r\n\r\n", "",
         431},
        {"body just over 64 KiB", "POST /any HTTP/1.1\r\nContent-Length: 65537\r\n\r\n", "e", 413},
        // Strict proxies read these differently, so they are refused.
        {"space before a header's colon",
         "GET /any HTTP/1.1\r\nContent-Length : 9\r\n\r\nGET /any HTTP/1.1\r\n\r\n", "", 400},
        {"folded header line",
         "GET /any HTTP/1.1\r\nX-A: a\r\n Content-Length: 9\r\n\r\nGET /any HTTP/1.1\r\n\r\n", "",
         400},
        {"long request line within the cap",
         "GET " + path + "?aria=Japan&mode=0&level=1&score=1&name=" + std::string(8000, 'n') +
             " HTTP/1.1\r\n\r\n",
         "", 400},
    };
    for (const Flood& flood : floods) {
        SCOPED_TRACE(flood.what);
        EXPECT_EQ(SendFlood(server.Port(), flood), flood.status);
        EXPECT_LT(PeakMiB(server.process.Pid()), 64.0);
        EXPECT_EQ(Exchange(server.Port(), SubmitRequest()), 200);
    }
    EXPECT_EQ(server.Rows(), static_cast<int64_t>(std::size(floods)));
}

const std::string kPage =
    "GET " + std::string(scored::ScoreServer::kResultPath) + " HTTP/1.1\r\n\r\n";

// A crowd of hostile clients and what it should come to: `count`
// connections, from `spread` addresses of the network (or the usual one),
// each sending `bytes`; the server may first be left `descriptors` files.
struct Crowd {
    const char* what;
    int count;
    const char* network;
    int spread;
    std::string bytes;
    bool narrow;
    int descriptors;
    bool othersServed; // at once, while the crowd is there
    std::function<void(const std::vector<int>& crowd, Scored& server)> fate;
};

// Seconds of processor time the process has used.
double CpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string field;
    double ticks = 0;
    for (int i = 1; i <= 15 && stat >> field; ++i) {
        ticks += i >= 14 ? std::stod(field) : 0;
    }
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

const Crowd kCrowds[] = {
    {"16 clients dripping their heads", 16, nullptr, 0, "GET / HTTP/1.1\r\nX", false, 0, true,
     [](const std::vector<int>& fds, Scored&) {
         for (int fd : fds) {
             EXPECT_EQ(StatusOf(ReadAll(fd, 8000)), 408);
         }
     }},
    // Cut off after the write time-out, not before the answer began.
    {"16 clients asking for pages five at a time and reading none", 16, nullptr, 0,
     kPage + kPage + kPage + kPage + kPage, true, 0, true,
     [](const std::vector<int>& fds, Scored&) {
         for (int fd : fds) {
             EXPECT_EQ(StatusOf(ReadAll(fd, 100)), 200);
             EXPECT_TRUE(HangsUp(fd, 8000));
         }
     }},
    // A household's share is kept and served; the rest is turned away.
    {"one address holding 300 connections", 300, "127.0.7.", 1, "", false, 0, true,
     [](const std::vector<int>& fds, Scored&) {
         EXPECT_EQ(Ask(fds[15], SubmitRequest()), 200);
         EXPECT_TRUE(HangsUp(fds.back(), 1000));
     }},
    // The first 256 are kept and served; the rest are turned away at once.
    {"300 connections from 10 addresses", 300, "127.0.8.", 10, "", false, 0, false,
     [](const std::vector<int>& fds, Scored&) {
         // Once the last is turned away, the server has seen them all.
         EXPECT_TRUE(HangsUp(fds.back(), 2000));
         int turnedAway = 1;
         for (size_t i = 0; i + 1 < fds.size(); ++i) {
             char byte;
             turnedAway += Readable(fds[i], 0) && recv(fds[i], &byte, 1, 0) == 0;
         }
         EXPECT_EQ(turnedAway, 300 - 256);
         EXPECT_EQ(Ask(fds[0], SubmitRequest()), 200);
     }},
    // No busy loop while it waits, said once, and a newcomer is served once
    // the idle ones time out.
    {"connections past the server's file descriptors", 60, "127.0.9.", 60, "", false, 48, false,
     [](const std::vector<int>&, Scored& server) {
         double before = CpuSeconds(server.process.Pid());
         std::this_thread::sleep_for(std::chrono::seconds(1));
         EXPECT_LT(CpuSeconds(server.process.Pid()) - before, 0.3);
         EXPECT_EQ(Exchange(server.Port(), SubmitRequest()), 200);
         const std::string& said = server.process.Output(100);
         size_t first = said.find("no file descriptor left");
         EXPECT_NE(first, std::string::npos) << said;
         EXPECT_EQ(said.find("no file descriptor left", first + 1), std::string::npos) << said;
     }},
};

TEST(ScoreServerLimits, HostileCrowdsDelayNobodyAndEndAsTheyShould) {
    for (const Crowd& crowd : kCrowds) {
        SCOPED_TRACE(crowd.what);
        Scored server;
        server.Start();
        // A results page of some 37 KB.
        ASSERT_EQ(scored::SqlScript::Run(
                      server.db, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                                 "WHERE i < 150) INSERT INTO results (area, name, level, score) "
                                 "SELECT printf('%0100d', i), printf('%032d', i), i % 3 + 1, i "
                                 "FROM n"),
                  "");
        rlimit few{rlim_t(crowd.descriptors), rlim_t(crowd.descriptors)};
        ASSERT_TRUE(!crowd.descriptors ||
                    prlimit(server.process.Pid(), RLIMIT_NOFILE, &few, nullptr) == 0);
        std::vector<int> fds;
        for (int i = 0; i < crowd.count; ++i) {
            std::string from =
                crowd.network ? crowd.network + std::to_string(i % crowd.spread + 1) : "";
            fds.push_back(
                Connect(server.Port(), crowd.network ? from.c_str() : nullptr, crowd.narrow));
            send(fds.back(), crowd.bytes.data(), crowd.bytes.size(), MSG_NOSIGNAL);
        }
        for (int i = 0; crowd.othersServed && i < 10; ++i) {
            auto start = std::chrono::steady_clock::now();
            EXPECT_EQ(Exchange(server.Port(), SubmitRequest()), 200);
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
        }
        crowd.fate(fds, server);
        for (int fd : fds) {
            close(fd);
        }
        // The server kept its head through all of it, and closes when asked
        // among other options.
        int fd = Connect(server.Port());
        EXPECT_EQ(Ask(fd, SubmitRequest()), 200);
        EXPECT_TRUE(HangsUp(fd, 1000));
        close(fd);
    }
}

// Below the free space asked for, results are refused and the operator is
// told once; with room again they are taken.
TEST(ScoreServerLimits, LowDiskRefusesResultsAndSaysSoOnce) {
    Scored server;
    server.Start({"--min-free", "999999T"});
    for (int i = 0; i < 3; ++i) {
        auto res = server.Submit(SubmitQuery("Japan", "Taro", 1, 3));
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 503);
        // The game shows what stands between the markers.
        std::string text = Utf8(res->body);
        size_t why = text.find("サーバーの空き容量が足りません。");
        EXPECT_LT(text.find("DATA_START"), why) << text;
        EXPECT_LT(why, text.find("DATA_END")) << text;
    }
    const std::string& said = server.process.Output(200);
    size_t first = said.find("less than --min-free");
    EXPECT_NE(first, std::string::npos) << said;
    EXPECT_EQ(said.find("less than --min-free", first + 1), std::string::npos) << said;
    EXPECT_EQ(server.Rows(), 0);

    server.process.Stop(SIGTERM);
    server.Start({"--min-free", "0"});
    EXPECT_EQ(Exchange(server.Port(), SubmitRequest()), 200);
    EXPECT_EQ(server.Rows(), 1);

    // Sizes in bytes, K, M, G and T (either case): half the free room is
    // there, twice it is not.
    struct statvfs disk {};
    ASSERT_EQ(statvfs(server.dir.Path().c_str(), &disk), 0);
    const uint64_t room = static_cast<uint64_t>(disk.f_bavail) * disk.f_frsize;
    for (int shift = 0; shift <= 40; shift += 10) {
        for (bool enough : {true, false}) {
            const uint64_t count = enough ? (room / 2) >> shift : ((room * 2) >> shift) + 1;
            const std::string size =
                std::to_string(count) + std::string(shift > 0, " kMgT"[shift / 10]);
            SCOPED_TRACE(size);
            server.process.Stop(SIGTERM);
            server.Start({"--min-free", size});
            EXPECT_EQ(Exchange(server.Port(), SubmitRequest()), enough ? 200 : 503);
        }
    }
}

} // namespace
