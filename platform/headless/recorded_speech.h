#pragma once
#include "platform/speech.h"

#include <string>
#include <vector>

namespace platform::headless {

// Keeps every text the game would have said, in order.
class RecordedSpeech : public Speech {
public:
    struct Utterance {
        std::string text;
        bool interrupt = false;
    };

    void Speak(const std::string& text, bool interrupt) override {
        m_said.push_back({text, interrupt});
    }

    const std::vector<Utterance>& Said() const { return m_said; }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const Utterance& u : m_said) {
            texts.push_back(u.text);
        }
        return texts;
    }
    void Clear() { m_said.clear(); }

private:
    std::vector<Utterance> m_said;
};

} // namespace platform::headless
