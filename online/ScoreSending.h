#pragma once
#include "platform/credentials.h"
#include "resources/game_texts.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// One score request run on a thread of its own, so that a server that keeps
// the game waiting never stops the frame ticks, the drawing or the speech.
// Everything but the request itself happens on the game's thread: a server
// asking for a password is answered there, when the game calls AnswerQuestions.
class CScoreSending {
public:
    // Starts the GET of the address at once, asking for an answer in the
    // game's language.
    CScoreSending(std::string strUrl, const resources::GameTexts& texts);
    // Cancels what is still under way and waits for the thread (about 100 ms
    // at most, however silent the server).
    ~CScoreSending();
    CScoreSending(const CScoreSending&) = delete;
    CScoreSending& operator=(const CScoreSending&) = delete;

    bool Done() const { return m_bDone.load(); }
    // Shows and says 「送信中…」 over the game until the answer is in (true) or
    // the player cancelled (false; nothing of the answer is kept).
    bool Wait();
    // Nothing that arrives from now on is kept.
    void Cancel();
    // Game thread: asks the player for what the server wants to know, if it
    // waits for that (a modal prompt; the ticks go on under it).
    void AnswerQuestions();
    // The answer's lines, once Done; empty after a failure or a cancel.
    const std::vector<std::string>& Lines() const { return m_arLines; }

private:
    struct Question {
        std::string server;
        std::string realm;
    };

    void Run(std::string strUrl, std::string strLanguage);
    // Request thread: waits for the game thread's answer.
    std::optional<platform::Credentials> Ask(const std::string& server, const std::string& realm);

    const resources::GameTexts& m_texts;
    std::atomic<bool> m_bCancel{false};
    std::atomic<bool> m_bDone{false};
    std::vector<std::string> m_arLines;

    std::mutex m_mutex;
    std::condition_variable m_answered;
    std::optional<Question> m_question;
    std::optional<platform::Credentials> m_answer;
    bool m_bAnswered = false;
    bool m_bAsking = false; // the game thread has a prompt open

    std::thread m_thread; // last: starts once everything above is ready
};
