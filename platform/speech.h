#pragma once
#include <string>

namespace platform {

// Spoken feedback for what the recorded voices cannot say: the score dialog's
// controls, what the player types, the server's answer. Speaking never blocks
// and never fails loudly: without a speech service the game simply stays
// silent there.
class Speech {
public:
    virtual ~Speech() = default;
    // interrupt: what is still being said is cut off first; otherwise the
    // text waits until it has been said.
    virtual void Speak(const std::string& text, bool interrupt) = 0;
    // The language of the texts spoken from now on: "ja" (the game's own,
    // where nothing else is said) or "en".
    virtual void SetLanguage(const std::string& language) { (void)language; }
};

// Through the installed backend; without one, nothing is said.
void Speak(const std::string& text, bool interrupt = true);
void SetSpeechLanguage(const std::string& language);

} // namespace platform
