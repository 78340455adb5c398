#include "platform/credentials.h"

#include "platform/services.h"

namespace platform {

std::optional<Credentials> AskCredentials(const std::string& server, const std::string& realm) {
    if (CredentialPrompt* prompt = GetServices().credentials) {
        return prompt->Ask(server, realm);
    }
    return std::nullopt;
}

} // namespace platform
