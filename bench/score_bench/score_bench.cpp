// How fast the score server stores results as its database grows: for each
// size asked for, a fresh database is filled to that many results directly,
// the real server is started on it, and concurrent players submit over
// loopback for a while; every answer is a result on stable storage.
//
// usage: kz_score_bench [--rows 0,1000000,10000000] [--seconds N]
//                       [--connections N] [--db postgresql://...]
#include "server/score_store.h"
#include "server/testing/scored_process.h"
#include "server/testing/sql_script.h"
#include "tests/duel/replay_player.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <httplib.h>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A fresh database of `rows` results spread evenly over the levels, mistakes
// from 0 to 99 on each, written in one go so that filling takes minutes;
// false, with the reason in error, when it cannot be.
bool Fill(const std::string& db, long rows, std::string& error) {
    const bool pg = scored::ScoreStore::IsPostgres(db);
    error =
        pg ? scored::SqlScript::Run(db, "DROP TABLE IF EXISTS results, score_counts, score_blocks")
           : "";
    if (error.empty() && scored::ScoreStore::Open(db, error)) {
        const std::string n = std::to_string(rows), third = "((" + n + " + 2) / 3)";
        const std::string insert =
            "INSERT INTO results (area, name, level, score) SELECT 'Japan', 'bench' || (i % 1000), "
            "1 + i * 3 / " +
            n + ", (i % " + third + ") * 100 / " + third + " FROM ";
        error = scored::SqlScript::Run(
            db, (pg ? "BEGIN; SET LOCAL synchronous_commit = off;" + insert +
                          "generate_series(0, " + n + " - 1) AS i;"
                    : "PRAGMA journal_mode = DELETE; PRAGMA synchronous = OFF; BEGIN; "
                      "WITH RECURSIVE s(i) AS (SELECT 0 WHERE 0 < " +
                          n + " UNION ALL SELECT i + 1 FROM s WHERE i + 1 < " + n + ") " + insert +
                          "s;") +
                    scored::ScoreStore::kRecountSql + "COMMIT;");
    }
    if (pg && error.empty()) {
        // What the fill left to write out and tidy is done before the clock starts.
        scored::SqlScript::Run(db, "VACUUM ANALYZE");
        scored::SqlScript::Run(db, "CHECKPOINT");
    }
    error = error.empty() ? "" : "cannot fill " + db + ": " + error;
    return error.empty();
}

// Normal duels won with 0 … 99 mistakes, each of a seed of its own: the
// server takes each duel once. Played before the clock starts, enough for
// the fastest run; a player that finds none left stops.
std::vector<std::string> g_replays;
std::atomic<size_t> g_next{0};

// Each answer's milliseconds, -1 for one that failed.
void Play(int port, int player, Clock::time_point until, std::vector<double>& latencyMs) {
    httplib::Client client("127.0.0.1", port);
    client.set_keep_alive(true);
    client.set_tcp_nodelay(true);
    for (size_t n; Clock::now() < until && (n = g_next++) < g_replays.size();) {
        std::string path = "/game/kirikaze/GameSet.asp?aria=Japan&name=p" + std::to_string(player) +
                           "&mode=0&level=2&score=" + std::to_string(n % 100) +
                           "&replay=" + g_replays[n];
        auto start = Clock::now();
        auto res = client.Get(path.c_str());
        const std::chrono::duration<double, std::milli> took = Clock::now() - start;
        latencyMs.push_back(res && res->status == 200 ? took.count() : -1);
    }
}

double Percentile(const std::vector<double>& sorted, double q) {
    return sorted.empty() ? 0 : sorted[std::min(sorted.size() - 1, size_t(q * sorted.size()))];
}

} // namespace

int main(int argc, char** argv) {
    std::vector<long> sizes = {0, 1000000, 10000000};
    int seconds = 5;
    int connections = 16;
    std::string postgres;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        std::stringstream value(argv[i + 1]);
        if (arg == "--rows") {
            sizes.clear();
            for (std::string item; std::getline(value, item, ',');) {
                sizes.push_back(std::stol(item));
            }
        } else if (arg == "--seconds" || arg == "--connections") {
            (arg == "--seconds" ? seconds : connections) =
                std::clamp(std::atoi(argv[i + 1]), 1, 200);
        } else if (arg == "--db") {
            postgres = argv[i + 1];
        } else {
            std::fprintf(stderr, "unknown argument %s\n", argv[i]);
            return 2;
        }
    }
    char pattern[] = "/tmp/kz-score-bench-XXXXXX";
    if (!mkdtemp(pattern)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string dir = pattern;
    for (uint32_t n = 0; n < 8000u * seconds; ++n) {
        g_replays.push_back(duel_test::ReplayPlayer{2, n, int(n % 100)}.Play().Text());
    }
    std::printf("%s, %d connections, %d s each\n", postgres.empty() ? "SQLite" : "PostgreSQL",
                connections, seconds);
    std::printf("%12s %14s %10s %10s\n", "rows", "submissions/s", "p50 ms", "p99 ms");
    int status = 0;
    std::error_code ignored;
    for (long rows : sizes) {
        std::string db =
            postgres.empty() ? dir + "/scores-" + std::to_string(rows) + ".db" : postgres;
        auto filling = Clock::now();
        scored::ScoredProcess server;
        std::string error;
        if (!Fill(db, rows, error) || !server.Start(KZ_SCORED_PATH,
                                                    // Every player here comes from one address.
                                                    {"--listen", "127.0.0.1:0", "--db", db,
                                                     "--min-free", "0", "--per-address", "0"},
                                                    error, 120000)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            status = 1;
            break;
        }
        std::fprintf(stderr, "filled %ld rows in %.0f s\n", rows,
                     std::chrono::duration<double>(Clock::now() - filling).count());
        std::vector<std::vector<double>> players(connections);
        std::vector<std::thread> threads;
        auto start = Clock::now();
        auto until = start + std::chrono::seconds(seconds);
        for (int i = 0; i < connections; ++i) {
            threads.emplace_back(Play, server.Port(), i, until, std::ref(players[i]));
        }
        for (auto& t : threads) {
            t.join();
        }
        double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        server.Stop(SIGTERM);
        std::vector<double> latency;
        for (auto& p : players) {
            latency.insert(latency.end(), p.begin(), p.end());
        }
        const auto failed = std::erase(latency, -1.0);
        const bool ranOut = g_next > g_replays.size();
        g_next = 0; // the next database is a fresh one
        std::sort(latency.begin(), latency.end());
        std::printf("%12ld %14.0f %10.2f %10.2f%s%s\n", rows, latency.size() / elapsed,
                    Percentile(latency, 0.50), Percentile(latency, 0.99),
                    failed ? "  (some failed)" : "", ranOut ? "  (ran out of replays)" : "");
        std::fflush(stdout);
        status |= failed != 0 || ranOut;
        for (const char* file : {"", "-wal", "-shm"}) {
            std::filesystem::remove(db + file, ignored); // no file for PostgreSQL
        }
    }
    std::filesystem::remove_all(dir);
    return status;
}
