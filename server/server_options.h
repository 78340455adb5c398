#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace scored {

// How the server was asked to run, from its command line and environment.
struct ServerOptions {
    static constexpr const char* kUsage =
        "usage: kirikaze-scored [--listen HOST:PORT] [--db PATH|URL] [--min-free SIZE]\n"
        "                       [--per-address N]\n"
        "  --listen HOST:PORT  address to serve on (default 127.0.0.1:8765; port 0 picks a "
        "free one)\n"
        "  --db PATH           SQLite database file (default "
        "$XDG_DATA_HOME/kirikaze/scores.db)\n"
        "  --db postgresql://USER@HOST/DB\n"
        "                      a PostgreSQL database, which several servers may share\n"
        "  --min-free SIZE     refuse new results while the database's disk has less free\n"
        "                      (default 1G; K, M, G, T for binary units; 0 never refuses)\n"
        "  --per-address N     connections one client address may hold at once (default\n"
        "                      32; 0 for no cap, behind a proxy that caps them itself)\n";

    std::string host = "127.0.0.1";
    int port = 8765;
    std::string database;
    uint64_t minFreeBytes = uint64_t{1} << 30;
    size_t perAddress = 32;
    bool help = false;

    // Nothing, with the reason in error, for an unknown option, a missing
    // value or a bad address. xdgDataHome and home are the environment's
    // values, null when unset.
    static std::optional<ServerOptions> Parse(const std::vector<std::string>& args,
                                              const char* xdgDataHome, const char* home,
                                              std::string& error);

    // $XDG_DATA_HOME/kirikaze/scores.db, or ~/.local/share/... when that is
    // unset or not absolute; empty when neither gives a folder.
    static std::string DefaultDatabase(const char* xdgDataHome, const char* home);
};

} // namespace scored
