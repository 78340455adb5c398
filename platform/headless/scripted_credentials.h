#pragma once
#include "platform/credentials.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace platform::headless {

// Answers credential prompts from a script, in order, and records every
// question. An exhausted script cancels.
class ScriptedCredentials : public CredentialPrompt {
public:
    struct Question {
        std::string server;
        std::string realm;
    };

    void Answer(std::string user, std::string password) {
        m_answers.push_back(Credentials{std::move(user), std::move(password)});
    }
    void Cancel() { m_answers.push_back(std::nullopt); }

    std::optional<Credentials> Ask(const std::string& server, const std::string& realm) override {
        m_questions.push_back({server, realm});
        if (m_answers.empty()) {
            return std::nullopt;
        }
        std::optional<Credentials> answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }

    const std::vector<Question>& Questions() const { return m_questions; }

private:
    std::deque<std::optional<Credentials>> m_answers;
    std::vector<Question> m_questions;
};

} // namespace platform::headless
