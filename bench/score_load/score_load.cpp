// A bounded load run of the score server: several connections submit results
// on loopback for a fixed time, then the server is killed with SIGKILL and
// the database is checked: every answered result must be there exactly once.
//
// usage: kz_score_load [--seconds N] [--connections N] [--server PATH]
#include "server/testing/scored_process.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <httplib.h>
#include <map>
#include <sqlite3.h>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Worker {
    std::vector<std::string> answered; // names the server confirmed
    std::vector<std::string> unsure;   // names sent without a confirmation
    std::vector<double> latencyMs;
};

void Submit(int port, int id, Clock::time_point until, Worker& w) {
    httplib::Client client("127.0.0.1", port);
    client.set_keep_alive(true);
    client.set_tcp_nodelay(true);
    for (int i = 0; Clock::now() < until; ++i) {
        std::string name = "load" + std::to_string(id) + "-" + std::to_string(i);
        std::string path = "/game/kirikaze/GameSet.asp?aria=Japan&name=" + name +
                           "&mode=0&level=" + std::to_string(i % 3 + 1) +
                           "&score=" + std::to_string(i % 10);
        auto start = Clock::now();
        auto res = client.Get(path.c_str());
        double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        bool ok = res && res->status == 200 && res->body.find("DATA_START") != std::string::npos;
        (ok ? w.answered : w.unsure).push_back(name);
        w.latencyMs.push_back(ms);
    }
}

// name -> number of rows, straight from the file the killed server left.
bool CountRows(const std::string& db, std::map<std::string, int>& rows) {
    sqlite3* handle = nullptr;
    if (sqlite3_open_v2(db.c_str(), &handle, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "cannot open %s: %s\n", db.c_str(), sqlite3_errmsg(handle));
        sqlite3_close(handle);
        return false;
    }
    sqlite3_stmt* stmt = nullptr;
    bool ok = sqlite3_prepare_v2(handle, "SELECT name, COUNT(*) FROM results GROUP BY name", -1,
                                 &stmt, nullptr) == SQLITE_OK;
    int rc = SQLITE_DONE;
    while (ok && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        rows[reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))] =
            sqlite3_column_int(stmt, 1);
    }
    ok = ok && rc == SQLITE_DONE;
    if (!ok) {
        std::fprintf(stderr, "cannot count rows: %s\n", sqlite3_errmsg(handle));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(handle);
    return ok;
}

double Percentile(std::vector<double>& sorted, double p) {
    if (sorted.empty()) {
        return 0;
    }
    size_t index = static_cast<size_t>(p * static_cast<double>(sorted.size() - 1) + 0.5);
    return sorted[std::min(index, sorted.size() - 1)];
}

} // namespace

int main(int argc, char** argv) {
    int seconds = 20;
    int connections = 8;
    std::string binary = KZ_SCORED_PATH;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string arg = argv[i];
        if (arg == "--seconds") {
            seconds = std::clamp(std::atoi(argv[i + 1]), 1, 600);
        } else if (arg == "--connections") {
            connections = std::clamp(std::atoi(argv[i + 1]), 1, 64);
        } else if (arg == "--server") {
            binary = argv[i + 1];
        } else {
            std::fprintf(stderr, "unknown argument %s\n", argv[i]);
            return 2;
        }
    }
    char pattern[] = "/tmp/kz-score-load-XXXXXX";
    if (!mkdtemp(pattern)) {
        std::perror("mkdtemp");
        return 1;
    }
    std::string dir = pattern;
    std::string db = dir + "/scores.db";

    scored::ScoredProcess server;
    std::string error;
    if (!server.Start(binary, {"--listen", "127.0.0.1:0", "--db", db}, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::printf("server on 127.0.0.1:%d, %d connections, %d s\n", server.Port(), connections,
                seconds);
    std::fflush(stdout);

    std::vector<Worker> workers(connections);
    std::vector<std::thread> threads;
    auto start = Clock::now();
    auto until = start + std::chrono::seconds(seconds);
    for (int i = 0; i < connections; ++i) {
        threads.emplace_back(Submit, server.Port(), i, until, std::ref(workers[i]));
    }
    for (auto& t : threads) {
        t.join();
    }
    double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    // No goodbye: whatever was answered must already be on disk.
    server.Stop(SIGKILL);

    std::map<std::string, int> rows;
    if (!CountRows(db, rows)) {
        return 1;
    }
    size_t answered = 0, unsure = 0, lost = 0, duplicated = 0, storedUnsure = 0;
    std::vector<double> latency;
    for (auto& w : workers) {
        answered += w.answered.size();
        unsure += w.unsure.size();
        for (auto& name : w.answered) {
            lost += rows.count(name) == 0;
        }
        for (auto& name : w.unsure) {
            storedUnsure += rows.count(name);
        }
        latency.insert(latency.end(), w.latencyMs.begin(), w.latencyMs.end());
    }
    size_t total = 0;
    for (auto& [name, count] : rows) {
        total += count;
        duplicated += count > 1 ? count - 1 : 0;
    }
    std::sort(latency.begin(), latency.end());
    std::printf("answered   %zu in %.1f s = %.0f submissions/s\n", answered, elapsed,
                answered / elapsed);
    std::printf("latency    p50 %.2f ms, p90 %.2f ms, p99 %.2f ms, max %.2f ms\n",
                Percentile(latency, 0.50), Percentile(latency, 0.90), Percentile(latency, 0.99),
                latency.empty() ? 0.0 : latency.back());
    std::printf("failed     %zu (of which stored: %zu)\n", unsure, storedUnsure);
    std::printf("rows       %zu after SIGKILL; lost %zu, duplicated %zu\n", total, lost,
                duplicated);
    bool good = lost == 0 && duplicated == 0 && unsure == 0 && total == answered;
    std::printf("%s\n", good ? "OK" : "FAILED");
    if (good) {
        std::filesystem::remove_all(dir);
    } else {
        std::printf("database kept in %s\n", dir.c_str());
    }
    return good ? 0 : 1;
}
