// Our own dialogs worked by the keyboard: the name and password prompt a
// server's 401 brings up, and the game's message boxes;
// what comes back, what is drawn, and what is said aloud.
#include "backends/headless/headless_system.h"
#include "platform/credentials.h"
#include "platform/keys.h"
#include "platform/message_box.h"
#include "ui/dialog_credential_prompt.h"
#include "ui/dialog_message_boxes.h"

#include <gtest/gtest.h>

namespace {

using Step = platform::headless::HeadlessScoreDialogs::Step;

struct Prompted {
    std::optional<platform::Credentials> answer;
    std::vector<std::string> said;
    std::vector<std::string> drawnAtClose;
    std::string title;
};

Prompted Prompt(const std::vector<Step>& steps) {
    platform::headless::HeadlessSystem system;
    ui::DialogCredentialPrompt prompt(system.ScoreDialogs());
    platform::Services services = system.Installed();
    services.credentials = &prompt;
    system.Reinstall(services);
    system.ScoreDialogs().AddScript(steps);
    Prompted out;
    out.answer = platform::AskCredentials("scores.example.org", "score room");
    out.said = system.Speech().Texts();
    const auto& shown = system.ScoreDialogs().Dialogs().at(0);
    out.title = shown.title;
    for (const auto& drawn : shown.atClose) {
        out.drawnAtClose.push_back(drawn.text);
    }
    return out;
}

bool Contains(const std::vector<std::string>& texts, const std::string& part) {
    for (const std::string& text : texts) {
        if (text.find(part) != std::string::npos) {
            return true;
        }
    }
    return false;
}

TEST(CredentialPrompt, EnterAnswersWhatWasTypedEscapeCancelOrClosingAnswersNothing) {
    const Prompted got = Prompt({Step::Type("musashi"), Step::Key(VK_TAB), Step::Type("ni"),
                                 Step::Type("ten"), Step::Key(VK_RETURN)});
    ASSERT_TRUE(got.answer);
    EXPECT_EQ(got.answer->user + ":" + got.answer->password, "musashi:niten");
    EXPECT_EQ(got.title, "score room (scores.example.org)");
    for (Step last : {Step::Key(VK_ESCAPE), Step::Click(ui::kDialogCancel), Step::CloseWindow()}) {
        EXPECT_FALSE(Prompt({Step::Type("musashi"), last}).answer);
    }
}

TEST(CredentialPrompt, ThePasswordIsDrawnAsMarksAndNeverSpoken) {
    // Typed, moved over, rubbed out, selected and tabbed back into: at no
    // point is a character of it said or drawn.
    const Prompted got =
        Prompt({Step::Type("kojiro"), Step::Key(VK_TAB), Step::Type("Zq"), Step::Type("7W"),
                Step::Key(VK_LEFT), Step::Key(VK_BACK), Step::Key(VK_HOME), Step::Key(VK_RIGHT),
                Step::Key(VK_DELETE), Step::Key(VK_TAB), Step::Key(VK_TAB, {true, false, false}),
                Step::Key('A', {false, true, false}), Step::Key(VK_LEFT), Step::Key(VK_RIGHT),
                Step::Key(VK_TAB)});
    EXPECT_FALSE(got.answer) << "never confirmed";
    for (const char* secret : {"Z", "q", "7", "W"}) {
        EXPECT_FALSE(Contains(got.said, secret)) << secret;
        EXPECT_FALSE(Contains(got.drawnAtClose, secret)) << secret;
    }
    EXPECT_TRUE(Contains(got.said, "kojiro")) << "the user name is spoken as usual";
    EXPECT_TRUE(Contains(got.said, "パスワード エディット 2文字")) << got.said.back();
    EXPECT_TRUE(Contains(got.drawnAtClose, "ユーザー名"));
    EXPECT_TRUE(Contains(got.drawnAtClose, "kojiro"));
    EXPECT_TRUE(Contains(got.drawnAtClose, "●●")) << "one mark a character, Zx left";
    EXPECT_FALSE(Contains(got.drawnAtClose, "●●●"));
}

} // namespace

namespace {

// The game's message boxes drawn over its window as its own dialogs: caption,
// text and OK drawn and said, and Enter or Space closing them with OK.
TEST(MessageBox, IsDrawnAndSaidOverTheGameAndClosedByEnterOrSpace) {
    for (int key : {VK_RETURN, VK_SPACE}) {
        platform::headless::HeadlessSystem system;
        ui::DialogMessageBoxes boxes(system.ScoreDialogs(), system.MessageBoxes());
        platform::Services services = system.Installed();
        services.messageBoxes = &boxes;
        system.Reinstall(services);
        system.ScoreDialogs().AddScript({Step::Key(key)});
        platform::ShowMessageBox("sound/kin.ywv\n lol ", "キリカゼ", true);
        const auto& shown = system.ScoreDialogs().Dialogs().at(0);
        EXPECT_EQ(shown.title, "キリカゼ");
        EXPECT_EQ(shown.result, ui::kDialogOk) << key;
        std::vector<std::string> drawn;
        for (const auto& text : shown.atClose) {
            drawn.push_back(text.text);
        }
        for (const char* part : {"sound/kin.ywv", " lol ", "OK"}) {
            EXPECT_TRUE(Contains(drawn, part)) << part;
        }
        EXPECT_EQ(system.Speech().Texts(),
                  (std::vector<std::string>{"キリカゼ", "sound/kin.ywv", " lol ", "OK "}));
        EXPECT_TRUE(system.MessageBoxes().Boxes().empty()) << "drawn, not passed on";
    }
}

} // namespace
