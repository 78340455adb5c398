#pragma once
// Everything the player reads or hears that depends on the language the game
// plays in, gathered so the main window hands one set to each scene and
// dialog.

#include "text/language.h"
#include "ui/dialog_form.h"

namespace resources {

struct GameTexts {
    const char* caption;
    const char* const* menuItems; // as many as the Japanese menu has
    const char* duelChance;
    const char* duelWon;
    const char* const (*tutorialLines)[2]; // a row per tutorial step
    // The score dialog, its message when no area is chosen, and the words it
    // speaks its controls with.
    const char* sendTitle;
    const char* nameLabel;
    const char* areaLabel;
    const char* okText;
    const char* cancelText;
    const char* chooseArea;
    ui::DialogWords dialogWords;
    // The box that stands over the game while a score is being sent.
    const char* sending;
    const char* sendingCancel;
    // Said and shown when アップデート finds no updater beside the data.
    const char* updaterMissing;
    // Said and shown when a replay given to the game cannot be played.
    const char* replayUnplayable;
    // The voices: the data folder's own sound folder, or the one of the
    // English set inside it ("\en"), which holds the same pictures.
    const char* dataSet;
    // The language's code: what the score server is asked to answer in and
    // the speech service to speak in.
    const char* languageCode;
};

const GameTexts& GameTextsFor(text::Language language);

} // namespace resources
