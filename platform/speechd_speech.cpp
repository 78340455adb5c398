#include "platform/speechd_speech.h"

#include <libspeechd.h>

#include <cstdlib>
#include <filesystem>

namespace platform {

namespace {

constexpr char kClientName[] = "kirikazeJ";
constexpr char kConnectionName[] = "dialog";
constexpr auto kRetryAfter = std::chrono::seconds(5);

SPDConnection* Open(const std::string& socketPath) {
    char* error = nullptr;
    SPDConnection* connection = nullptr;
    if (socketPath.empty()) {
        connection =
            spd_open2(kClientName, kConnectionName, nullptr, SPD_MODE_SINGLE, nullptr, 1, &error);
    } else if (std::filesystem::exists(socketPath)) {
        // (Only tried when the socket is there: the library loses a string
        // on every attempt that finds nothing.)
        SPDConnectionAddress address{};
        address.method = SPD_METHOD_UNIX_SOCKET;
        address.unix_socket_name = const_cast<char*>(socketPath.c_str());
        connection =
            spd_open2(kClientName, kConnectionName, nullptr, SPD_MODE_SINGLE, &address, 0, &error);
    }
    // A missing service is normal (no screen reader in use): nothing to report.
    std::free(error);
    return connection;
}

} // namespace

SpeechdSpeech::SpeechdSpeech(std::string socketPath)
    : m_socketPath(std::move(socketPath)), m_worker([this] { Run(); }) {}

SpeechdSpeech::~SpeechdSpeech() {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_stop = true;
    }
    m_wake.notify_all();
    m_worker.join();
}

void SpeechdSpeech::Speak(const std::string& text, bool interrupt) {
    if (text.empty()) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_lock);
        // What has not even started yet is cut off as well.
        if (interrupt) {
            m_queue.clear();
        }
        m_queue.push_back({text, interrupt, m_language});
    }
    m_wake.notify_all();
}

void SpeechdSpeech::SetLanguage(const std::string& language) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_language = language;
}

bool SpeechdSpeech::Flush(uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(m_lock);
    return m_idle.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [this] { return m_queue.empty() && !m_working; });
}

bool SpeechdSpeech::Connected() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_connected;
}

void SpeechdSpeech::Run() {
    std::unique_lock<std::mutex> lock(m_lock);
    while (true) {
        m_wake.wait(lock, [this] { return m_stop || !m_queue.empty(); });
        if (m_stop) {
            break;
        }
        m_working = true;
        while (!m_queue.empty() && !m_stop) {
            Item item = std::move(m_queue.front());
            m_queue.pop_front();
            lock.unlock();
            const bool connected = EnsureConnection() && Say(item);
            lock.lock();
            m_connected = connected;
            if (!connected) {
                // No service: the rest would only wait for it in vain.
                m_queue.clear();
            }
        }
        m_working = false;
        m_idle.notify_all();
    }
    lock.unlock();
    Disconnect();
}

bool SpeechdSpeech::EnsureConnection() {
    if (m_connection) {
        return true;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now < m_nextAttempt) {
        return false;
    }
    SPDConnection* connection = Open(m_socketPath);
    if (!connection) {
        m_nextAttempt = now + kRetryAfter;
        return false;
    }
    m_connection = connection;
    m_connectionLanguage.clear();
    return true;
}

void SpeechdSpeech::Disconnect() {
    if (m_connection) {
        spd_close(static_cast<SPDConnection*>(m_connection));
        m_connection = nullptr;
    }
}

bool SpeechdSpeech::Say(const Item& item) {
    auto* connection = static_cast<SPDConnection*>(m_connection);
    if (item.interrupt) {
        spd_cancel(connection);
    }
    // The service picks its voice by the language it was told.
    if (item.language != m_connectionLanguage) {
        spd_set_language(connection, item.language.c_str());
        m_connectionLanguage = item.language;
    }
    if (spd_say(connection, SPD_MESSAGE, item.text.c_str()) < 0) {
        // The service went away; the next text looks for it again.
        Disconnect();
        return false;
    }
    return true;
}

} // namespace platform
