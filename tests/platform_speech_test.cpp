// Speech through libspeechd, against a small stand-in for speech-dispatcher
// that speaks its protocol on a socket of our own, and without any service.
#include "online/DlgSendNet.h"
#include "platform/headless/headless_system.h"
#include "platform/keys.h"
#include "platform/speechd_speech.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using platform::SpeechdSpeech;

std::string Upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

// Answers every command with success and keeps what it was told: the
// commands, and the texts of SPEAK.
class FakeSpeechService {
public:
    FakeSpeechService() {
        char dir[] = "/tmp/kz-speech-XXXXXX";
        m_dir = mkdtemp(dir) ? dir : "/tmp";
        m_path = m_dir + "/speechd.sock";
        m_listen = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        m_path.copy(address.sun_path, sizeof(address.sun_path) - 1);
        if (bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(m_listen, 4) != 0) {
            ADD_FAILURE() << "cannot listen on " << m_path;
        }
        m_thread = std::thread([this] { Serve(); });
    }
    ~FakeSpeechService() {
        m_stop = true;
        m_thread.join();
        close(m_listen);
        unlink(m_path.c_str());
        rmdir(m_dir.c_str());
    }

    const std::string& Path() const { return m_path; }
    std::vector<std::string> Commands() {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_commands;
    }
    std::vector<std::string> Texts() {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_texts;
    }

private:
    void Serve() {
        int client = -1;
        std::string pending;
        bool inData = false;
        std::string data;
        while (!m_stop) {
            pollfd fd{client < 0 ? m_listen : client, POLLIN, 0};
            if (poll(&fd, 1, 20) <= 0) {
                continue;
            }
            if (client < 0) {
                client = accept(m_listen, nullptr, nullptr);
                continue;
            }
            char buffer[512];
            const ssize_t got = read(client, buffer, sizeof buffer);
            if (got <= 0) {
                close(client);
                client = -1;
                continue;
            }
            pending.append(buffer, static_cast<size_t>(got));
            for (size_t end; (end = pending.find("\r\n")) != std::string::npos;) {
                const std::string line = pending.substr(0, end);
                pending.erase(0, end + 2);
                Answer(client, line, inData, data);
            }
        }
        if (client >= 0) {
            close(client);
        }
    }

    void Answer(int client, const std::string& line, bool& inData, std::string& data) {
        std::string reply;
        if (inData) {
            if (line != ".") {
                data += (data.empty() ? "" : "\n") + line;
                return;
            }
            inData = false;
            std::lock_guard<std::mutex> lock(m_lock);
            m_texts.push_back(data);
            data.clear();
            reply = "225-" + std::to_string(m_texts.size()) + "\r\n225 OK MESSAGE QUEUED\r\n";
        } else {
            std::lock_guard<std::mutex> lock(m_lock);
            m_commands.push_back(line);
            if (Upper(line) == "SPEAK") {
                inData = true;
                reply = "230 OK RECEIVING DATA\r\n";
            } else {
                reply = "200 OK\r\n";
            }
        }
        if (write(client, reply.data(), reply.size()) < 0) {
            ADD_FAILURE() << "cannot answer";
        }
    }

    std::string m_dir;
    std::string m_path;
    int m_listen = -1;
    std::atomic<bool> m_stop{false};
    std::mutex m_lock;
    std::vector<std::string> m_commands;
    std::vector<std::string> m_texts;
    std::thread m_thread;
};

size_t IndexOf(const std::vector<std::string>& lines, const std::string& what, size_t from = 0) {
    for (size_t i = from; i < lines.size(); ++i) {
        if (Upper(lines[i]).find(Upper(what)) != std::string::npos) {
            return i;
        }
    }
    return lines.size();
}

TEST(Speech, TextsReachTheSpeechServiceInOrderInJapanese) {
    FakeSpeechService service;
    {
        SpeechdSpeech speech(service.Path());
        speech.Speak("ネットに記録しますか?", true);
        speech.Speak("名前 エディット 武蔵", false);
        ASSERT_TRUE(speech.Flush(5000));
        EXPECT_TRUE(speech.Connected());
        speech.Speak("Japan", true);
        ASSERT_TRUE(speech.Flush(5000));
    }
    EXPECT_EQ(service.Texts(),
              (std::vector<std::string>{"ネットに記録しますか?", "名前 エディット 武蔵", "Japan"}));
    const auto commands = service.Commands();
    const size_t language = IndexOf(commands, "LANGUAGE ja");
    const size_t firstSpeak = IndexOf(commands, "SPEAK");
    EXPECT_LT(language, firstSpeak) << "the voice is Japanese from the first text";
    // Only the interrupting texts cut off what is being said.
    const size_t secondSpeak = IndexOf(commands, "SPEAK", firstSpeak + 1);
    const size_t thirdSpeak = IndexOf(commands, "SPEAK", secondSpeak + 1);
    ASSERT_LT(thirdSpeak, commands.size());
    EXPECT_LT(IndexOf(commands, "CANCEL"), firstSpeak);
    EXPECT_EQ(IndexOf(commands, "CANCEL", firstSpeak), IndexOf(commands, "CANCEL", secondSpeak))
        << "no cancel before the queued second text";
    EXPECT_LT(IndexOf(commands, "CANCEL", secondSpeak), thirdSpeak);
}

TEST(Speech, WithoutAServiceNothingWaitsAndTheDialogStillWorks) {
    platform::headless::HeadlessSystem system;
    SpeechdSpeech speech("/tmp/kz-no-such-speech-service/speechd.sock");
    platform::Services services = system.Installed();
    services.speech = &speech;
    system.Reinstall(services);

    using Step = platform::headless::HeadlessScoreDialogs::Step;
    system.ScoreDialogs().AddScript(
        {Step::Type("武蔵"), Step::Key(VK_TAB), Step::Key(VK_END), Step::Key(VK_RETURN)});
    const auto start = std::chrono::steady_clock::now();
    CDlgSendNet dlg;
    dlg.m_strArea = "Japan";
    EXPECT_EQ(dlg.DoModal(), CDlgSendNet::IDOK);
    EXPECT_EQ(dlg.m_strName, "武蔵");
    EXPECT_EQ(dlg.m_strArea, "Zimbabwe");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1))
        << "speaking never holds the dialog up";
    EXPECT_TRUE(speech.Flush(5000)) << "texts for a missing service are dropped, not kept";
    EXPECT_FALSE(speech.Connected());
}

} // namespace
