#include "server/server_options.h"

#include <gtest/gtest.h>

namespace {

using scored::ServerOptions;

struct OptionsCase {
    std::vector<std::string> args;
    const char* xdg;
    const char* home;
    // Expected outcome; an empty error means the arguments are accepted.
    const char* error;
    const char* host;
    int port;
    const char* database;
};

const OptionsCase kCases[] = {
    {{}, "/x/data", "/home/p", "", "127.0.0.1", 8765, "/x/data/kirikaze/scores.db"},
    {{}, nullptr, "/home/p", "", "127.0.0.1", 8765, "/home/p/.local/share/kirikaze/scores.db"},
    // A relative XDG_DATA_HOME is to be ignored.
    {{}, "rel/data", "/home/p", "", "127.0.0.1", 8765, "/home/p/.local/share/kirikaze/scores.db"},
    {{}, "", "/home/p", "", "127.0.0.1", 8765, "/home/p/.local/share/kirikaze/scores.db"},
    {{}, nullptr, nullptr, "neither XDG_DATA_HOME nor HOME", "", 0, ""},
    {{"--db", "/tmp/s.db"}, nullptr, nullptr, "", "127.0.0.1", 8765, "/tmp/s.db"},
    {{"--listen", "0.0.0.0:80", "--db=s.db"}, "/x", "/h", "", "0.0.0.0", 80, "s.db"},
    {{"--listen=localhost:0"}, "/x", "/h", "", "localhost", 0, "/x/kirikaze/scores.db"},
    {{"--listen", "[::1]:9000"}, "/x", "/h", "", "::1", 9000, "/x/kirikaze/scores.db"},
    {{"--listen", "127.0.0.1:65535"}, "/x", "/h", "", "127.0.0.1", 65535, "/x/kirikaze/scores.db"},
    {{"--listen", "127.0.0.1:65536"}, "/x", "/h", "--listen wants HOST:PORT", "", 0, ""},
    {{"--listen", "127.0.0.1:-1"}, "/x", "/h", "--listen wants HOST:PORT", "", 0, ""},
    {{"--listen", "127.0.0.1:"}, "/x", "/h", "--listen wants HOST:PORT", "", 0, ""},
    {{"--listen", "8765"}, "/x", "/h", "--listen wants HOST:PORT", "", 0, ""},
    {{"--listen", "[]:8765"}, "/x", "/h", "--listen wants HOST:PORT", "", 0, ""},
    {{"--db"}, "/x", "/h", "--db needs a value", "", 0, ""},
    {{"--db="}, "/x", "/h", "--db needs a file name", "", 0, ""},
    {{"--port", "1"}, "/x", "/h", "unknown argument \"--port\"", "", 0, ""},
    {{"serve"}, "/x", "/h", "unknown argument \"serve\"", "", 0, ""},
};

TEST(ScoreServerOptions, ParsesAddressAndDatabase) {
    for (const OptionsCase& c : kCases) {
        std::string joined;
        for (const auto& a : c.args) {
            joined += a + " ";
        }
        SCOPED_TRACE(joined);
        std::string error;
        auto options = ServerOptions::Parse(c.args, c.xdg, c.home, error);
        if (*c.error) {
            EXPECT_FALSE(options);
            EXPECT_NE(error.find(c.error), std::string::npos) << error;
            continue;
        }
        ASSERT_TRUE(options) << error;
        EXPECT_EQ(options->host, c.host);
        EXPECT_EQ(options->port, c.port);
        EXPECT_EQ(options->database, c.database);
    }
}

} // namespace
