#pragma once
#include "platform/credentials.h"
#include "ui/score_dialog.h"

namespace ui {

// Asks for a user name and password with a small dialog of our own widgets,
// run modally by the backend's dialog runner: the password is drawn as marks
// and never spoken. OK (Enter) answers, キャンセル (Escape) cancels.
class DialogCredentialPrompt : public platform::CredentialPrompt {
public:
    explicit DialogCredentialPrompt(ScoreDialogs& dialogs) : m_dialogs(dialogs) {}
    std::optional<platform::Credentials> Ask(const std::string& server,
                                             const std::string& realm) override;

    // The dialog's control ids.
    static constexpr int kUser = 101;
    static constexpr int kPassword = 102;

    static DialogTemplate Template(const std::string& server, const std::string& realm);

private:
    ScoreDialogs& m_dialogs;
};

} // namespace ui
