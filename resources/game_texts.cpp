#include "resources/game_texts.h"

#include "resources/send_net_dialog.h"
#include "resources/texts.h"
#include "resources/texts_en.h"

namespace resources {

namespace {

static_assert(std::size(texts::en::kMenuItems) == texts::kMenuItemCount);
static_assert(std::size(texts::en::kTutorialLines) == texts::kTutorialStepCount);

const GameTexts kJapanese{
    texts::kCaption,
    texts::kMenuItems,
    texts::kDuelChance,
    texts::kDuelWon,
    texts::kTutorialLines,
    send_net::kTitle,
    send_net::kNameLabel,
    send_net::kAreaLabel,
    send_net::kOkText,
    send_net::kCancelText,
    send_net::kChooseArea,
    ui::DialogWords{},
    texts::kSending,
    texts::kSendingCancel,
    texts::kUpdaterMissing,
    texts::kReplayUnplayable,
    "",
    "ja",
};

const GameTexts kEnglish{
    texts::en::kCaption,
    texts::en::kMenuItems,
    texts::en::kDuelChance,
    texts::en::kDuelWon,
    texts::en::kTutorialLines,
    texts::en::kSendTitle,
    texts::en::kNameLabel,
    texts::en::kAreaLabel,
    texts::en::kOkText,
    texts::en::kCancelText,
    texts::en::kChooseArea,
    ui::DialogWords{"edit", "combo box", "button", "blank", "nothing selected", " characters"},
    texts::en::kSending,
    texts::en::kSendingCancel,
    texts::en::kUpdaterMissing,
    texts::en::kReplayUnplayable,
    "\\en",
    "en",
};

} // namespace

const GameTexts& GameTextsFor(text::Language language) {
    return language == text::Language::English ? kEnglish : kJapanese;
}

} // namespace resources
