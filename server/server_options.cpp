#include "server/server_options.h"

#include <algorithm>
#include <cctype>

namespace scored {
namespace {

// Digits only, at most max.
bool ParseNumber(const std::string& text, uint64_t max, uint64_t& value) {
    if (text.empty() || text.size() > 12 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    value = std::stoull(text);
    return value <= max;
}

bool ParsePort(const std::string& text, int& port) {
    uint64_t value = 0;
    if (!ParseNumber(text, 65535, value)) {
        return false;
    }
    port = static_cast<int>(value);
    return true;
}

// HOST:PORT, with an IPv6 host in brackets: [::1]:8765.
bool ParseListen(const std::string& text, ServerOptions& options, std::string& error) {
    size_t colon = text.rfind(':');
    std::string host = colon == std::string::npos ? "" : text.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    }
    if (host.empty() || !ParsePort(text.substr(colon + 1), options.port)) {
        error = "--listen wants HOST:PORT with a port from 0 to 65535, not \"" + text + "\"";
        return false;
    }
    options.host = host;
    return true;
}

// A number of bytes, with an optional binary unit: 512M, 1G.
bool ParseSize(const std::string& text, uint64_t& bytes) {
    size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
        ++digits;
    }
    std::string unit = text.substr(digits);
    const std::string units = "KMGT";
    size_t shift = 0;
    if (!unit.empty()) {
        char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(unit[0])));
        size_t at = units.find(letter);
        shift = at == std::string::npos ? 0 : (at + 1) * 10;
    }
    if (digits == 0 || digits > 12 || unit.size() > 1 || (!unit.empty() && shift == 0)) {
        return false;
    }
    uint64_t count = std::stoull(text.substr(0, digits));
    if (count > (UINT64_MAX >> shift)) {
        return false;
    }
    bytes = count << shift;
    return true;
}

} // namespace

std::optional<ServerOptions> ServerOptions::Parse(const std::vector<std::string>& args,
                                                  const char* xdgDataHome, const char* home,
                                                  std::string& error) {
    ServerOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::string value;
        bool inlineValue = false;
        if (size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            inlineValue = true;
        }
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        if (arg != "--listen" && arg != "--db" && arg != "--min-free" && arg != "--per-address") {
            error = "unknown argument \"" + args[i] + "\"";
            return std::nullopt;
        }
        if (!inlineValue) {
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return std::nullopt;
            }
            value = args[++i];
        }
        if (arg == "--listen" && !ParseListen(value, options, error)) {
            return std::nullopt;
        }
        if (arg == "--min-free" && !ParseSize(value, options.minFreeBytes)) {
            error = "--min-free wants a size such as 1G or 500M, not \"" + value + "\"";
            return std::nullopt;
        }
        uint64_t count = 0;
        if (arg == "--per-address" && !ParseNumber(value, 65535, count)) {
            error = "--per-address wants a number of connections such as 32, not \"" + value + "\"";
            return std::nullopt;
        }
        if (arg == "--per-address") {
            options.perAddress = count;
        }
        if (arg == "--db") {
            if (value.empty()) {
                error = "--db needs a file name";
                return std::nullopt;
            }
            options.database = value;
        }
    }
    if (options.database.empty()) {
        options.database = DefaultDatabase(xdgDataHome, home);
        if (options.database.empty() && !options.help) {
            error = "neither XDG_DATA_HOME nor HOME is set; give the database with --db PATH";
            return std::nullopt;
        }
    }
    return options;
}

std::string ServerOptions::DefaultDatabase(const char* xdgDataHome, const char* home) {
    const char* tail = "/kirikaze/scores.db";
    if (xdgDataHome && xdgDataHome[0] == '/') {
        return std::string(xdgDataHome) + tail;
    }
    if (home && home[0] != '\0') {
        return std::string(home) + "/.local/share" + tail;
    }
    return "";
}

} // namespace scored
