#pragma once
// Asking the player for a user name and password when a server wants them.

#include <optional>
#include <string>

namespace platform {

struct Credentials {
    std::string user;
    std::string password;
};

class CredentialPrompt {
public:
    virtual ~CredentialPrompt() = default;
    // server: the host asking; realm: its name for the protected area (may be
    // empty). Returns nothing when the player cancelled.
    virtual std::optional<Credentials> Ask(const std::string& server, const std::string& realm) = 0;
};

// Through the installed backend. Without a prompt the answer is "cancelled",
// so a protected page simply stays closed.
std::optional<Credentials> AskCredentials(const std::string& server, const std::string& realm);

} // namespace platform
