#pragma once
#include "platform/speech.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace platform {

// Speech through the desktop's speech-dispatcher, the service screen readers
// on Linux speak through. The connection is made on the first text, on a
// thread of its own, so neither a slow start of the service nor a missing one
// ever holds up the game; texts said while there is no service are dropped.
class SpeechdSpeech : public Speech {
public:
    // socketPath: empty for the user's own service (started on demand, as
    // its other clients do); otherwise that socket, and nothing is started.
    explicit SpeechdSpeech(std::string socketPath = {});
    ~SpeechdSpeech() override;
    SpeechdSpeech(const SpeechdSpeech&) = delete;
    SpeechdSpeech& operator=(const SpeechdSpeech&) = delete;

    void Speak(const std::string& text, bool interrupt) override;
    void SetLanguage(const std::string& language) override;

    // Waits until every text given so far has been handed to the service or
    // dropped; false when that took longer than the time given.
    bool Flush(uint32_t timeoutMs);
    // Whether the last attempt found the service.
    bool Connected();

private:
    struct Item {
        std::string text;
        bool interrupt = false;
        std::string language;
    };

    void Run();
    bool EnsureConnection();
    void Disconnect();
    bool Say(const Item& item);

    const std::string m_socketPath;
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Item> m_queue;
    std::string m_language = "ja";
    bool m_stop = false;
    bool m_working = false;
    bool m_connected = false;
    // After a failed attempt the service is not looked for again at once.
    std::chrono::steady_clock::time_point m_nextAttempt{};
    void* m_connection = nullptr;     // SPDConnection, only touched by the worker
    std::string m_connectionLanguage; // what it was last told; the worker's too
    std::thread m_worker;
};

} // namespace platform
