// CVelHttpConnect against a full HTTP server (cpp-httplib) on 127.0.0.1: the
// requests it writes are understood, form bodies arrive as fields, and a
// redirect from a real server is followed.
#include "online/VelHttpConnect.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <string>
#include <thread>
#include <vector>

namespace {

class RealServer {
public:
    RealServer() {
        m_server.Get("/score", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content("xDATA_START\n" + req.get_param_value("name") + "/" +
                                req.get_param_value("aria") + "\nxDATA_END\n",
                            "text/plain");
        });
        m_server.Post("/form", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content(req.get_param_value("a") + "|" + req.get_param_value("b") + "\n",
                            "text/plain");
        });
        m_server.Get("/old", [](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("/score?name=moved&aria=Chad");
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running()) {
            std::this_thread::yield();
        }
    }
    ~RealServer() {
        m_server.stop();
        m_thread.join();
    }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(m_port) + path;
    }

private:
    httplib::Server m_server;
    int m_port = 0;
    std::thread m_thread;
};

TEST(HttpRealServer, RequestsAreUnderstood) {
    RealServer server;
    struct Case {
        const char* name;
        std::string path;
        std::string body;
        std::vector<std::string> lines;
        std::string finalPath;
    };
    const std::vector<Case> cases = {
        {"score query with a blank and Japanese",
         "/score?aria=Burkina Faso&name=剣士",
         "",
         {"xDATA_START\n\r\n", "剣士/Burkina Faso\n\r\n", "xDATA_END\n\r\n"},
         "/score?aria=Burkina Faso&name=剣士"},
        {"form POST", "/form", "a=1&b=%E5%89%A3+x", {"1|剣 x\n\r\n"}, "/form"},
        {"redirect",
         "/old",
         "",
         {"xDATA_START\n\r\n", "moved/Chad\n\r\n", "xDATA_END\n\r\n"},
         "/score?name=moved&aria=Chad"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CVelHttpConnect http;
        EXPECT_EQ(http.Request(server.Url(c.path), c.body, ""), 0);
        EXPECT_EQ(http.m_strError, "");
        EXPECT_EQ(http.m_arLines, c.lines);
        EXPECT_EQ(http.m_strFinalUrl, server.Url(c.finalPath));
    }
}

} // namespace
