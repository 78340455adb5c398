#include "platform/speech.h"

#include "platform/services.h"

namespace platform {

void Speak(const std::string& text, bool interrupt) {
    if (Speech* speech = GetServices().speech) {
        speech->Speak(text, interrupt);
    }
}

void SetSpeechLanguage(const std::string& language) {
    if (Speech* speech = GetServices().speech) {
        speech->SetLanguage(language);
    }
}

} // namespace platform
