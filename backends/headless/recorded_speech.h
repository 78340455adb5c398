#pragma once
#include "platform/speech.h"

#include <string>
#include <vector>

namespace platform::headless {

// Keeps every text the game would have said, in order.
class RecordedSpeech : public Speech {
public:
    void Speak(const std::string& text, bool) override { m_said.push_back(text); }
    const std::vector<std::string>& Texts() const { return m_said; }
    void Clear() { m_said.clear(); }

private:
    std::vector<std::string> m_said;
};

} // namespace platform::headless
