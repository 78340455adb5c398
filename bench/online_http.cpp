// One GET through CVelHttpConnect to a real HTTP server on 127.0.0.1, the
// way a score is sent: a fresh connector each time, the answer read as lines.
#include "online/VelHttpConnect.h"

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <string>
#include <thread>

namespace {

void BM_LocalGetRoundTrip(benchmark::State& state) {
    httplib::Server server;
    server.Get("/game/kirikaze/GameSet.asp", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("<html>xDATA_START\n1位 です<P>\nxDATA_END\n</html>\n", "text/html");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread serving([&server] { server.listen_after_bind(); });
    while (!server.is_running()) {
        std::this_thread::yield();
    }
    const std::string url = "http://127.0.0.1:" + std::to_string(port) +
                            "/game/kirikaze/GameSet.asp?aria=Japan&name=kz&mode=0&level=2&score=0";
    for (auto _ : state) {
        CVelHttpConnect http;
        if (http.Request(url, "", "") != 0 || http.m_arLines.size() != 4) {
            state.SkipWithError("the request failed");
            break;
        }
    }
    server.stop();
    serving.join();
}
BENCHMARK(BM_LocalGetRoundTrip)->Unit(benchmark::kMicrosecond);

} // namespace
